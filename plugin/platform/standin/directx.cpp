// Simulated DirectDraw and Direct3D objects: reference counted, traced, failable.
#include <cstring>
#include <map>
#include <memory>

#include "internal.h"

const GUID IID_IDirect3D2 = {0x6aae1ec1, 0x662a, 0x11d0, {0x88, 0x9d, 0x00, 0xaa, 0x00, 0xbb, 0xb7, 0x6a}};
const GUID IID_IDirect3DRampDevice = {0xF2086B20, 0x259F, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const GUID IID_IDirect3DRGBDevice = {0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};
const GUID IID_IDirect3DHALDevice = {0x84E63dE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const GUID IID_IDirect3DTexture2 = {0x93281502, 0x8CF8, 0x11D0, {0x89, 0xAB, 0x00, 0xA0, 0xC9, 0x05, 0x41, 0x29}};
const GUID IID_IDirectDrawSurface2 = {0x57805885, 0x6eec, 0x11cf, {0x94, 0x41, 0xa8, 0x23, 0x03, 0xc1, 0x0e, 0x27}};

namespace standin::detail {
HDC newSurfaceDC();
void dropSurfaceDC(HDC dc);
std::string gdiLabel(const void* handle);
}  // namespace standin::detail

namespace {

using standin::detail::call;
using standin::detail::failing;

struct Counted {
  std::string label;
  int refs = 1;
  virtual ~Counted() = default;
};

struct DxState {
  std::vector<std::unique_ptr<Counted>> objects;
  std::map<const void*, Counted*> byInterface;
  std::map<std::string, int> counters;
  std::vector<DDPIXELFORMAT> formats;
  std::vector<std::pair<std::string, std::string>> drivers = {{"Primary Display Driver", "display"}};
  std::vector<GUID> driverGuids;
  bool hardware = true;
  bool lost = false;
  std::map<int, D3DMATRIX> transforms;
  std::vector<standin::IndexedDraw> indexedDraws;
  std::vector<D3DLIGHT> lights;
  std::map<D3DMATERIALHANDLE, D3DMATERIAL> materials;
  D3DVIEWPORT2 viewport{};
  DWORD nextHandle = 0;
};

DxState& dx() {
  static DxState s;
  return s;
}

std::string rect(const RECT* r) {
  if (!r) return "null";
  return "[" + std::to_string(r->left) + " " + std::to_string(r->top) + " " + std::to_string(r->right) + " " +
         std::to_string(r->bottom) + "]";
}

std::string nameOf(const void* object) { return object ? standin::label(object) : "null"; }

// The COM plumbing every simulated object shares: a label, a reference count, a trace line per
// call and failure injection by method name ("CreateSurface") or by "label.Method".
template <typename Interface>
struct Sim : Interface, Counted {
  explicit Sim(const std::string& prefix) {
    label = prefix + std::to_string(++dx().counters[prefix]);
    dx().byInterface[static_cast<Interface*>(this)] = this;
  }
  template <typename... Args>
  HRESULT traced(const char* method, const Args&... args) {
    call(label + "." + method, args...);
    HRESULT hr = S_OK;
    if (failing(method, &hr) || failing(label + "." + method, &hr)) return hr;
    return S_OK;
  }
  HRESULT QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    HRESULT hr = traced("QueryInterface", iidName(iid));
    if (FAILED(hr)) return hr;
    *out = query(iid);
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG AddRef() override {
    call(label + ".AddRef");
    return ULONG(++refs);
  }
  ULONG Release() override {
    call(label + ".Release");
    // A release too many: a crash on the real platform.
    if (refs == 0) standin::detail::misuse(label + ".OverRelease");
    if (refs > 0) --refs;
    if (refs == 0) released();
    return ULONG(refs);
  }
  virtual void* query(REFIID) { return nullptr; }
  virtual void released() {}
  static std::string iidName(REFIID iid) {
    if (iid == IID_IDirect3D2) return "IDirect3D2";
    if (iid == IID_IDirectDrawSurface2) return "IDirectDrawSurface2";
    if (iid == IID_IDirect3DTexture2) return "IDirect3DTexture2";
    return "other";
  }
};

template <typename T, typename... Args>
T* make(Args&&... args) {
  auto object = std::make_unique<T>(std::forward<Args>(args)...);
  T* raw = object.get();
  dx().objects.push_back(std::move(object));
  return raw;
}

struct SimDirectDraw;

struct SimPalette : Sim<IDirectDrawPalette> {
  std::vector<PALETTEENTRY> entries;
  DWORD flags = 0;
  SimPalette() : Sim("palette") {}
  HRESULT GetEntries(DWORD, DWORD base, DWORD count, LPPALETTEENTRY out) override {
    HRESULT hr = traced("GetEntries", base, count);
    if (FAILED(hr)) return hr;
    for (DWORD i = 0; i < count && base + i < entries.size(); ++i) out[i] = entries[base + i];
    return S_OK;
  }
};

struct SimTexture;

struct SimSurface : Sim<IDirectDrawSurface2> {
  DDSURFACEDESC desc{};
  SimDirectDraw* owner = nullptr;
  SimSurface* attached = nullptr;  // back buffer of a flipping primary
  SimSurface* zBuffer = nullptr;
  IDirectDrawClipper* clipper = nullptr;
  HDC dc = nullptr;
  std::vector<BYTE> pixels;
  bool lost = false;
  explicit SimSurface(const char* prefix) : Sim(prefix) {}

  void* query(REFIID iid) override;
  // Like DirectDraw: a surface gives up the surfaces attached to it when it goes.
  void released() override {
    if (clipper) clipper->Release();
    clipper = nullptr;
    if (attached) attached->Release();
    if (zBuffer) zBuffer->Release();
    attached = zBuffer = nullptr;
  }
  HRESULT AddAttachedSurface(IDirectDrawSurface* surface) override {
    HRESULT hr = traced("AddAttachedSurface", nameOf(surface));
    if (SUCCEEDED(hr)) {
      zBuffer = static_cast<SimSurface*>(surface);
      surface->AddRef();
    }
    return hr;
  }
  HRESULT Blt(LPRECT dst, IDirectDrawSurface* src, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) override {
    return traced("Blt", rect(dst), nameOf(src), rect(srcRect), flags, fx ? fx->dwSize : 0, fx ? fx->dwFillColor : 0);
  }
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, LPRECT srcRect, DWORD trans) override {
    return traced("BltFast", x, y, nameOf(src), rect(srcRect), trans);
  }
  HRESULT Flip(IDirectDrawSurface* override, DWORD flags) override { return traced("Flip", nameOf(override), flags); }
  HRESULT GetAttachedSurface(LPDDSCAPS caps, IDirectDrawSurface** out) override {
    *out = nullptr;
    HRESULT hr = traced("GetAttachedSurface", caps->dwCaps);
    if (FAILED(hr)) return hr;
    if (!attached) return DDERR_GENERIC;
    attached->AddRef();
    *out = attached;
    return S_OK;
  }
  HRESULT GetDC(HDC* out) override {
    *out = nullptr;
    HRESULT hr = traced("GetDC");
    if (FAILED(hr)) return hr;
    dc = standin::detail::newSurfaceDC();
    *out = dc;
    return S_OK;
  }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC out) override {
    HRESULT hr = traced("GetSurfaceDesc");
    if (SUCCEEDED(hr)) *out = desc;
    return hr;
  }
  HRESULT IsLost() override {
    call(label + ".IsLost");
    return lost || dx().lost ? DDERR_SURFACELOST : S_OK;
  }
  HRESULT Lock(LPRECT r, LPDDSURFACEDESC out, DWORD flags, HANDLE) override {
    HRESULT hr = traced("Lock", rect(r), flags);
    if (FAILED(hr)) return hr;
    DWORD bytes = (desc.ddpfPixelFormat.dwRGBBitCount ? desc.ddpfPixelFormat.dwRGBBitCount : 16) / 8;
    pixels.assign(size_t(desc.dwWidth) * desc.dwHeight * bytes, 0);
    *out = desc;
    out->lPitch = LONG(desc.dwWidth * bytes);
    out->lpSurface = pixels.data();
    return S_OK;
  }
  HRESULT ReleaseDC(HDC handle) override {
    HRESULT hr = traced("ReleaseDC", standin::detail::gdiLabel(handle));
    if (handle == dc) {
      standin::detail::dropSurfaceDC(dc);
      dc = nullptr;
    }
    return hr;
  }
  HRESULT Restore() override {
    HRESULT hr = traced("Restore");
    if (SUCCEEDED(hr)) lost = dx().lost = false;
    return hr;
  }
  HRESULT SetPalette(IDirectDrawPalette* palette) override { return traced("SetPalette", nameOf(palette)); }
  // Like DirectDraw: the surface holds a reference to its clipper until it goes.
  HRESULT SetClipper(IDirectDrawClipper* c) override {
    HRESULT hr = traced("SetClipper", nameOf(c));
    if (SUCCEEDED(hr) && c) {
      c->AddRef();
      clipper = c;
    }
    return hr;
  }
  HRESULT Unlock(LPVOID) override { return traced("Unlock"); }
  HRESULT GetDDInterface(LPVOID* out) override;
};

struct SimClipper : Sim<IDirectDrawClipper> {
  SimClipper() : Sim("clipper") {}
  HRESULT SetHWnd(DWORD flags, HWND hwnd) override { return traced("SetHWnd", flags, standin::detail::handleName(hwnd)); }
};

struct SimTexture : Sim<IDirect3DTexture2> {
  SimSurface* surface;
  explicit SimTexture(SimSurface* s) : Sim("texture"), surface(s) {}
  HRESULT GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* out) override {
    HRESULT hr = traced("GetHandle", nameOf(device));
    if (SUCCEEDED(hr)) *out = 0x100 + (++dx().nextHandle);
    return hr;
  }
  HRESULT Load(IDirect3DTexture2* source) override { return traced("Load", nameOf(source)); }
};

void* SimSurface::query(REFIID iid) {
  if (iid == IID_IDirectDrawSurface2) {
    AddRef();
    return static_cast<IDirectDrawSurface2*>(this);
  }
  if (iid == IID_IDirect3DTexture2) return static_cast<IDirect3DTexture2*>(make<SimTexture>(this));
  return nullptr;
}

struct SimLight : Sim<IDirect3DLight> {
  int index;
  SimLight() : Sim("light"), index(int(dx().lights.size())) { dx().lights.push_back(D3DLIGHT{}); }
  HRESULT SetLight(D3DLIGHT* light) override {
    HRESULT hr = traced("SetLight", light->dcvColor.r, light->dcvColor.g, light->dcvColor.b, light->dvPosition.x,
                        light->dvPosition.y, light->dvPosition.z, light->dvAttenuation2);
    if (SUCCEEDED(hr)) dx().lights[size_t(index)] = *light;
    return hr;
  }
};

struct SimMaterial : Sim<IDirect3DMaterial2> {
  D3DMATERIAL material{};
  D3DMATERIALHANDLE handle = 0;
  SimMaterial() : Sim("material") {}
  HRESULT SetMaterial(D3DMATERIAL* m) override {
    HRESULT hr = traced("SetMaterial", m->diffuse.a, m->ambient.a, m->specular.a, m->hTexture);
    if (SUCCEEDED(hr)) {
      material = *m;
      if (handle) dx().materials[handle] = material;
    }
    return hr;
  }
  HRESULT GetHandle(IDirect3DDevice2* device, D3DMATERIALHANDLE* out) override {
    HRESULT hr = traced("GetHandle", nameOf(device));
    if (FAILED(hr)) return hr;
    if (!handle) handle = 0x200 + (++dx().nextHandle);
    dx().materials[handle] = material;
    *out = handle;
    return S_OK;
  }
};

struct SimViewport : Sim<IDirect3DViewport2> {
  SimViewport() : Sim("viewport") {}
  HRESULT AddLight(IDirect3DLight* light) override { return traced("AddLight", nameOf(light)); }
  HRESULT SetViewport2(D3DVIEWPORT2* v) override {
    HRESULT hr = traced("SetViewport2", v->dwX, v->dwY, v->dwWidth, v->dwHeight, v->dvClipX, v->dvClipY,
                        v->dvClipWidth, v->dvClipHeight, v->dvMinZ, v->dvMaxZ);
    if (SUCCEEDED(hr)) dx().viewport = *v;
    return hr;
  }
};

struct SimDevice : Sim<IDirect3DDevice2> {
  SimSurface* target;
  bool hardware;
  std::string kind;
  SimDevice(SimSurface* t, bool hal, std::string k) : Sim("device"), target(t), hardware(hal), kind(std::move(k)) {}
  HRESULT GetCaps(D3DDEVICEDESC* hal, D3DDEVICEDESC* hel) override {
    HRESULT hr = traced("GetCaps");
    if (FAILED(hr)) return hr;
    // A DirectX 5 runtime knows only its own record size.
    if (hal->dwSize != 204 || hel->dwSize != 204) return DDERR_INVALIDPARAMS;
    hal->dcmColorModel = hardware ? D3DCOLOR_RGB : 0;
    hel->dcmColorModel = D3DCOLOR_RGB;
    return S_OK;
  }
  HRESULT AddViewport(IDirect3DViewport2* v) override { return traced("AddViewport", nameOf(v)); }
  HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, void* context) override {
    HRESULT hr = traced("EnumTextureFormats");
    if (FAILED(hr)) return hr;
    for (const auto& format : dx().formats) {
      DDSURFACEDESC desc{};
      desc.dwSize = sizeof desc;
      desc.dwFlags = DDSD_PIXELFORMAT;
      desc.ddpfPixelFormat = format;
      if (callback(&desc, context) == D3DENUMRET_CANCEL) break;
    }
    return S_OK;
  }
  HRESULT BeginScene() override { return traced("BeginScene"); }
  HRESULT EndScene() override { return traced("EndScene"); }
  HRESULT SetCurrentViewport(IDirect3DViewport2* v) override { return traced("SetCurrentViewport", nameOf(v)); }
  HRESULT GetRenderTarget(IDirectDrawSurface** out) override {
    *out = nullptr;
    HRESULT hr = traced("GetRenderTarget");
    if (FAILED(hr)) return hr;
    target->AddRef();
    *out = target;
    return S_OK;
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    return traced("SetRenderState", int(state), value);
  }
  HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) override {
    return traced("SetLightState", int(state), value);
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override {
    HRESULT hr = traced("SetTransform", int(state));
    if (SUCCEEDED(hr)) dx().transforms[int(state)] = *m;
    return hr;
  }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, void* vertices, DWORD count,
                        DWORD flags) override {
    HRESULT hr = traced("DrawPrimitive", int(type), int(vertexType), count, flags);
    if (!vertices && count) standin::detail::misuse(label + ".InvalidDraw", "null vertices");
    return hr;
  }
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, void* vertices, DWORD vertexCount,
                               WORD* indices, DWORD indexCount, DWORD flags) override {
    HRESULT hr = traced("DrawIndexedPrimitive", int(type), int(vertexType), vertexCount, indexCount, flags);
    if (standin::detail::tracing())
      dx().indexedDraws.push_back({vertices, indices, dx().transforms[D3DTRANSFORMSTATE_WORLD]});
    // A draw that reads past its vertices would crash a real driver: make it visible to tests.
    for (DWORD i = 0; indices && i < indexCount; ++i)
      if (indices[i] >= vertexCount) {
        standin::detail::misuse(label + ".InvalidDraw",
                                "index " + std::to_string(indices[i]) + " of " + std::to_string(vertexCount));
        break;
      }
    if (!vertices || !indices) standin::detail::misuse(label + ".InvalidDraw", "null arrays");
    return hr;
  }
};

struct SimDirect3D : Sim<IDirect3D2> {
  SimDirectDraw* owner;
  explicit SimDirect3D(SimDirectDraw* o) : Sim("d3d"), owner(o) {}
  HRESULT CreateLight(IDirect3DLight** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreateLight");
    if (SUCCEEDED(hr)) *out = make<SimLight>();
    return hr;
  }
  HRESULT CreateMaterial(IDirect3DMaterial2** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreateMaterial");
    if (SUCCEEDED(hr)) *out = make<SimMaterial>();
    return hr;
  }
  HRESULT CreateViewport(IDirect3DViewport2** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreateViewport");
    if (SUCCEEDED(hr)) *out = make<SimViewport>();
    return hr;
  }
  HRESULT CreateDevice(REFCLSID kind, IDirectDrawSurface* target, IDirect3DDevice2** out) override {
    *out = nullptr;
    std::string kindName = kind == IID_IDirect3DHALDevice ? "HAL" : kind == IID_IDirect3DRGBDevice ? "RGB" : "RAMP";
    HRESULT hr = traced("CreateDevice", kindName, nameOf(target));
    if (FAILED(hr)) return hr;
    bool hal = kindName == "HAL" && dx().hardware;
    *out = make<SimDevice>(static_cast<SimSurface*>(target), hal, kindName);
    return S_OK;
  }
};

struct SimDirectDraw : Sim<IDirectDraw> {
  DWORD width = 1920, height = 1080, bpp = 32;  // the desktop's mode until SetDisplayMode
  SimDirectDraw() : Sim("ddraw") {}
  void* query(REFIID iid) override {
    if (iid == IID_IDirect3D2) return static_cast<IDirect3D2*>(make<SimDirect3D>(this));
    return nullptr;
  }
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, IDirectDrawPalette** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreatePalette", flags);
    if (FAILED(hr)) return hr;
    auto* palette = make<SimPalette>();
    palette->flags = flags;
    palette->entries.assign(entries, entries + ((flags & DDPCAPS_8BIT) ? 256 : 16));
    *out = palette;
    return S_OK;
  }
  HRESULT CreateSurface(LPDDSURFACEDESC desc, IDirectDrawSurface** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreateSurface", desc->dwSize, desc->dwFlags, desc->ddsCaps.dwCaps, desc->dwWidth,
                        desc->dwHeight, desc->dwBackBufferCount);
    if (FAILED(hr)) return hr;
    bool primary = desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE;
    bool z = desc->ddsCaps.dwCaps & DDSCAPS_ZBUFFER;
    auto* surface = make<SimSurface>(primary ? "primary" : z ? "zbuffer" : "surface");
    surface->owner = this;
    surface->desc = *desc;
    if (primary) {
      surface->desc.dwWidth = width;
      surface->desc.dwHeight = height;
      surface->desc.ddpfPixelFormat.dwRGBBitCount = bpp;
      if (desc->dwBackBufferCount > 0) {
        surface->attached = make<SimSurface>("backbuffer");
        surface->attached->owner = this;
        surface->attached->desc = surface->desc;
      }
    }
    *out = surface;
    return S_OK;
  }
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) override {
    return traced("SetCooperativeLevel", standin::detail::handleName(hwnd), flags);
  }
  HRESULT SetDisplayMode(DWORD w, DWORD h, DWORD bits) override {
    HRESULT hr = traced("SetDisplayMode", w, h, bits);
    if (SUCCEEDED(hr)) width = w, height = h, bpp = bits;
    return hr;
  }
  HRESULT RestoreDisplayMode() override { return traced("RestoreDisplayMode"); }
  HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown*) override {
    *out = nullptr;
    HRESULT hr = traced("CreateClipper", flags);
    if (SUCCEEDED(hr)) *out = make<SimClipper>();
    return hr;
  }
  HRESULT GetDisplayMode(LPDDSURFACEDESC out) override {
    HRESULT hr = traced("GetDisplayMode");
    if (FAILED(hr)) return hr;
    std::memset(out, 0, sizeof *out);
    out->dwSize = sizeof *out;
    out->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    out->dwWidth = width;
    out->dwHeight = height;
    out->ddpfPixelFormat.dwRGBBitCount = bpp;
    return S_OK;
  }
};

HRESULT SimSurface::GetDDInterface(LPVOID* out) {
  *out = nullptr;
  HRESULT hr = traced("GetDDInterface");
  if (FAILED(hr)) return hr;
  owner->AddRef();
  *out = static_cast<IDirectDraw*>(owner);
  return S_OK;
}

}  // namespace

namespace standin {

int refCount(const void* object) {
  auto it = dx().byInterface.find(object);
  return it == dx().byInterface.end() ? 0 : it->second->refs;
}

int liveComObjects() {
  int live = 0;
  for (const auto& object : dx().objects) live += object->refs > 0;
  return live;
}

std::vector<std::string> liveComLabels() {
  std::vector<std::string> out;
  for (const auto& object : dx().objects)
    if (object->refs > 0) out.push_back(object->label + " x" + std::to_string(object->refs));
  return out;
}

std::string label(const void* object) {
  auto it = dx().byInterface.find(object);
  if (it != dx().byInterface.end()) return it->second->label;
  return detail::gdiLabel(object);
}

void setTextureFormats(const std::vector<DDPIXELFORMAT>& formats) { dx().formats = formats; }

DDPIXELFORMAT rgbFormat(DWORD bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB;
  f.dwRGBBitCount = bits;
  return f;
}

DDPIXELFORMAT palettedFormat(DWORD bits) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = bits == 4 ? DDPF_PALETTEINDEXED4 : DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = bits;
  return f;
}

void setDrivers(const std::vector<std::pair<std::string, std::string>>& drivers) { dx().drivers = drivers; }
void setHardwareDevice(bool hal) { dx().hardware = hal; }
void loseSurfaces() { dx().lost = true; }
D3DMATRIX lastTransform(int state) { return dx().transforms[state]; }
const std::vector<IndexedDraw>& indexedDraws() { return dx().indexedDraws; }
D3DLIGHT lastLight(int index) { return index < int(dx().lights.size()) ? dx().lights[size_t(index)] : D3DLIGHT{}; }
D3DMATERIAL materialOf(D3DMATERIALHANDLE handle) { return dx().materials[handle]; }
D3DVIEWPORT2 lastViewport() { return dx().viewport; }

namespace detail {
void resetDirectX() {
  dx() = DxState{};
  dx().formats = {rgbFormat(16), palettedFormat(8), rgbFormat(32)};
}
}  // namespace detail

}  // namespace standin

HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context) {
  call("DirectDrawEnumerateA");
  HRESULT hr = S_OK;
  if (failing("DirectDrawEnumerateA", &hr)) return hr;
  dx().driverGuids.assign(dx().drivers.size(), GUID{});
  for (size_t i = 0; i < dx().drivers.size(); ++i) {
    dx().driverGuids[i].Data1 = DWORD(i + 1);
    std::string description = dx().drivers[i].first, name = dx().drivers[i].second;
    if (!callback(&dx().driverGuids[i], description.data(), name.data(), context)) break;
  }
  return S_OK;
}

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, IUnknown*) {
  *out = nullptr;
  std::string which = guid ? "driver" + std::to_string(guid->Data1) : "null";
  call("DirectDrawCreate", which);
  HRESULT hr = S_OK;
  if (failing("DirectDrawCreate", &hr)) return hr;
  *out = make<SimDirectDraw>();
  return S_OK;
}
