#include "display.h"

#include <cmath>
#include <cstdio>
#include <cstring>

DisplayState display;
int modeWidth = 640;
int modeHeight = 480;
int notWidescreen = 1;
HWND pluginWindow = nullptr;

const char* const textureFiles[3] = {"plugins\\zev.bmp", "plugins\\trees.bmp", "plugins\\generated.bmp"};

#ifdef _WIN32
// The DirectX 5 record sizes the runtime checks in dwSize. Two of them hold pointers, which the
// 64-bit build widens and aligns to 8 bytes.
#ifdef _WIN64
static_assert(sizeof(DDSURFACEDESC) == 120);
static_assert(sizeof(DDBLTFX) == 128);
#else
static_assert(sizeof(DDSURFACEDESC) == 108);
static_assert(sizeof(DDBLTFX) == 100);
#endif
static_assert(sizeof(D3DVIEWPORT2) == 44);
static_assert(sizeof(D3DMATERIAL) == 80);
static_assert(sizeof(D3DLIGHT) == 76);
static_assert(sizeof(D3DDEVICEDESC) >= 204);  // later SDKs append fields; see bitmap_texture.cpp
#endif

namespace {

constexpr int textSize = 128;

template <typename T>
void releaseCom(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

BOOL CALLBACK enumDriverCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context) {
  const char* wanted = static_cast<const char*>(context);
  char both[textSize];
  std::snprintf(both, sizeof both, "%s (%s)", description, name);
  if (lstrcmpiA(wanted, name) == 0 || lstrcmpiA(wanted, both) == 0) {
    DirectDrawCreate(guid, &display.ddraw, nullptr);
    return 0;
  }
  return 1;
}

D3DMATERIAL whiteMaterial(float alpha, D3DTEXTUREHANDLE texture) {
  D3DMATERIAL m;
  std::memset(&m, 0, sizeof m);
  m.dwSize = sizeof m;
  m.diffuse.r = m.diffuse.g = m.diffuse.b = 1;
  m.diffuse.a = alpha;
  m.ambient = m.diffuse;
  m.specular = m.diffuse;
  m.power = 40.0f;
  m.hTexture = texture;
  m.dwRampSize = 1;
  return m;
}

// Creates a material, sets it and returns its handle through `handle`.
bool makeMaterial(IDirect3DMaterial2** object, D3DMATERIAL material, D3DMATERIALHANDLE* handle) {
  if (FAILED(display.d3d->CreateMaterial(object, nullptr))) return false;
  (*object)->SetMaterial(&material);
  (*object)->GetHandle(display.device, handle);
  return true;
}

void setRenderStates(IDirect3DDevice2* device) {
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAG, D3DFILTER_LINEAR);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_DESTCOLOR);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD);
  device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_CCW);
  device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREMAPBLEND, D3DTBLEND_MODULATEALPHA);
  device->SetLightState(D3DLIGHTSTATE_AMBIENT, 0x404040);
}

void buildMatrices() {
  const D3DMATRIX identity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  display.worldMatrix = identity;
  const double t = -1.0995572;
  display.viewMatrix = identity;
  display.viewMatrix._22 = float(std::cos(t));
  display.viewMatrix._23 = float(std::sin(t));
  display.viewMatrix._32 = float(-std::sin(t));
  display.viewMatrix._33 = float(std::cos(t));
  display.viewMatrix._43 = 9;
  const double f = 0.785398006439209;
  std::memset(&display.projectionMatrix, 0, sizeof display.projectionMatrix);
  display.projectionMatrix._11 = float(std::cos(f));
  display.projectionMatrix._22 = float(std::cos(f));
  display.projectionMatrix._33 = float(1.0101010101010102 * std::sin(f));
  display.projectionMatrix._34 = float(std::sin(f));
  display.projectionMatrix._43 = float(-1.0101010101010102 * std::sin(f));
}

bool createLights() {
  for (int i = 0; i < 4; ++i) {
    if (FAILED(display.d3d->CreateLight(&display.lightObjects[i], nullptr))) return false;
    D3DLIGHT& light = display.sceneLight;
    std::memset(&light, 0, sizeof light);
    light.dwSize = sizeof light;
    light.dltType = D3DLIGHT_POINT;
    light.dcvColor.r = light.dcvColor.g = light.dcvColor.b = light.dcvColor.a = 1;
    light.dvPosition.x = 1;
    light.dvPosition.y = 2;
    light.dvRange = 250.0f;
    light.dvAttenuation2 = 0.2f;
    if (FAILED(display.lightObjects[i]->SetLight(&light))) return false;
    if (FAILED(display.viewport->AddLight(display.lightObjects[i]))) return false;
  }
  return true;
}

void createOverlayObjects() {
  HDC surfaceDC;
  if (FAILED(display.backBuffer->GetDC(&surfaceDC))) return;
  // A second setup in one run replaces the strips instead of leaking them.
  releaseOverlayObjects();
  const int stripHeight = int(unsigned(modeHeight) / 32);
  display.titleDC = CreateCompatibleDC(surfaceDC);
  display.timeDC = CreateCompatibleDC(surfaceDC);
  display.titleBitmap = CreateCompatibleBitmap(surfaceDC, modeWidth, stripHeight);
  display.timeBitmapA = CreateCompatibleBitmap(surfaceDC, int(unsigned(modeWidth) / 3), stripHeight);
  display.timeBitmapB = CreateCompatibleBitmap(surfaceDC, int(unsigned(modeWidth) / 3), stripHeight);
  display.backBuffer->ReleaseDC(surfaceDC);
}

bool createZBuffer(int width, int height) {
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
  desc.dwWidth = DWORD(width);
  desc.dwHeight = DWORD(height);
  desc.dwZBufferBitDepth = 16;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_VIDEOMEMORY;
  if (FAILED(display.ddraw->CreateSurface(&desc, &display.zBuffer, nullptr))) {
    display.zBuffer = nullptr;
    return false;
  }
  return SUCCEEDED(display.backBuffer->AddAttachedSurface(display.zBuffer));
}

// An off-screen surface in the display's format, in video memory where there is room.
bool createOffscreen(IDirectDrawSurface** surface, int width, int height, DWORD caps) {
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = DWORD(width);
  desc.dwHeight = DWORD(height);
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_VIDEOMEMORY | caps;
  if (SUCCEEDED(display.ddraw->CreateSurface(&desc, surface, nullptr))) return true;
  desc.ddsCaps.dwCaps &= ~DWORD(DDSCAPS_VIDEOMEMORY);
  if (SUCCEEDED(display.ddraw->CreateSurface(&desc, surface, nullptr))) return true;
  *surface = nullptr;
  return false;
}

void replaceOverlayFont() {
  if (display.overlayFont) DeleteObject(display.overlayFont);
  display.overlayFont = CreateFontA(int(unsigned(modeHeight) / 32), 0, 0, 0, 300, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DRAFT_QUALITY, FIXED_PITCH, "Arial");
}

// Full screen at the desktop's own mode: its size and depth, so the display does not change.
int setDesktopMode(EffectStart startEffect) {
  DDSURFACEDESC mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dwSize = sizeof mode;
  if (FAILED(display.ddraw->GetDisplayMode(&mode))) return 0;
  modeWidth = int(mode.dwWidth);
  modeHeight = int(mode.dwHeight);
  return setDisplayMode(modeWidth, modeHeight, int(mode.ddpfPixelFormat.dwRGBBitCount), startEffect);
}

int setUpSurfaces(EffectStart startEffect) {
  switch (display.presentation) {
    case Presentation::blitToWindow:
      return createWindowSurfaces(modeWidth, modeHeight, startEffect);
    case Presentation::flipAtDesktopMode:
      return setDesktopMode(startEffect);
    case Presentation::flipAtGraphicsMode:
      break;
  }
  return setDisplayMode(modeWidth, modeHeight, 16, startEffect) || setDisplayMode(modeWidth, modeHeight, 8, startEffect);
}

}  // namespace

int setupDisplay(const char* driverName, EffectStart startEffect, Presentation presentation) {
  display.presentation = presentation;
  releaseDisplayObjects(1);
  const char* name = driverName ? driverName : "";
  if (name[0] != '\0') DirectDrawEnumerateA(enumDriverCallback, const_cast<char*>(name));
  if (!display.ddraw) {
    name = "";
    if (FAILED(DirectDrawCreate(nullptr, &display.ddraw, nullptr))) {
      display.ddraw = nullptr;
      MessageBoxA(pluginWindow, "This app requires DirectDraw", "Vexilumarine", MB_OK);
      return 0;
    }
  }
  const DWORD level =
      presentation == Presentation::blitToWindow ? DDSCL_NORMAL : DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_ALLOWMODEX;
  if (FAILED(display.ddraw->SetCooperativeLevel(pluginWindow, level))) return 0;
  if (FAILED(display.ddraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&display.d3d)))) {
    display.d3d = nullptr;
    MessageBoxA(pluginWindow, "This app requires DirectX 5.0", "Vexilumarine", MB_OK);
    return 0;
  }
  if (!setUpSurfaces(startEffect)) return 0;
  char text[textSize];
  std::snprintf(text, sizeof text, "%s - %s %s", "Vexilumarine", name[0] ? name : "DISPLAY",
                display.deviceKind ? display.deviceKind : "");
  SetWindowTextA(pluginWindow, text);
  return 1;
}

int setDisplayMode(int width, int height, int bitsPerPixel, EffectStart startEffect) {
  if (FAILED(display.ddraw->SetDisplayMode(DWORD(width), DWORD(height), DWORD(bitsPerPixel)))) return 0;
  display.displayWidth = width;
  display.displayHeight = height;
  releaseDisplayObjects(0);

  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE |
                        DDSCAPS_VIDEOMEMORY;
  if (FAILED(display.ddraw->CreateSurface(&desc, &display.primarySurface, nullptr))) {
    display.primarySurface = nullptr;
    desc.ddsCaps.dwCaps &= ~DWORD(DDSCAPS_VIDEOMEMORY);
    if (FAILED(display.ddraw->CreateSurface(&desc, &display.primarySurface, nullptr))) {
      display.primarySurface = nullptr;
      return 0;
    }
  }
  DDSCAPS backCaps = {DDSCAPS_BACKBUFFER};
  if (FAILED(display.primarySurface->GetAttachedSurface(&backCaps, &display.backBuffer))) {
    display.backBuffer = nullptr;
    return 0;
  }

  if (!createZBuffer(width, height)) return 0;
  replaceOverlayFont();
  return createDevice(startEffect);
}

int createWindowSurfaces(int width, int height, EffectStart startEffect) {
  display.displayWidth = width;
  display.displayHeight = height;
  releaseDisplayObjects(0);
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  if (FAILED(display.ddraw->CreateSurface(&desc, &display.primarySurface, nullptr))) {
    display.primarySurface = nullptr;
    return 0;
  }
  if (FAILED(display.ddraw->CreateClipper(0, &display.clipper, nullptr))) {
    display.clipper = nullptr;
    return 0;
  }
  if (FAILED(display.clipper->SetHWnd(0, pluginWindow)) || FAILED(display.primarySurface->SetClipper(display.clipper)))
    return 0;
  if (!createOffscreen(&display.backBuffer, width, height, DDSCAPS_3DDEVICE) ||
      !createOffscreen(&display.previousFrame, width, height, 0) || !createZBuffer(width, height))
    return 0;
  replaceOverlayFont();
  return createDevice(startEffect);
}

int createDevice(EffectStart startEffect) {
  static const struct {
    const GUID* kind;
    const char* name;
  } kinds[3] = {{&IID_IDirect3DHALDevice, "HAL"}, {&IID_IDirect3DRGBDevice, "RGB"}, {&IID_IDirect3DRampDevice, "RAMP"}};
  bool created = false;
  for (const auto& kind : kinds) {
    display.deviceKind = kind.name;
    if (SUCCEEDED(display.d3d->CreateDevice(*kind.kind, display.backBuffer, &display.device))) {
      created = true;
      break;
    }
    display.device = nullptr;
  }
  if (!created) return 0;
  if (FAILED(display.d3d->CreateViewport(&display.viewport, nullptr))) {
    display.viewport = nullptr;
    return 0;
  }
  display.device->AddViewport(display.viewport);

  D3DVIEWPORT2 view;
  std::memset(&view, 0, sizeof view);
  view.dwSize = sizeof view;
  view.dwX = 0;
  view.dwWidth = DWORD(display.displayWidth);
  view.dvClipX = -1.0f;
  view.dvClipWidth = 2.0f;
  view.dvClipHeight = float(2.0 * display.displayHeight / display.displayWidth);
  view.dvClipY = view.dvClipHeight / 2;
  view.dvMinZ = 0.0f;
  view.dvMaxZ = 100.0f;
  if (notWidescreen) {
    view.dwY = 0;
    view.dwHeight = DWORD(display.displayHeight);
  } else {
    view.dwY = unsigned(modeHeight) / 16;
    view.dwHeight = DWORD(display.displayHeight) - unsigned(modeHeight) / 8;
  }
  if (FAILED(display.viewport->SetViewport2(&view))) return 0;
  if (FAILED(display.device->SetCurrentViewport(display.viewport))) return 0;
  if (!setupScene(startEffect)) return 0;
  createOverlayObjects();
  return 1;
}

int setupScene(EffectStart startEffect) {
  IDirect3DDevice2* device = display.device;
  if (!startEffect()) return 0;
  setRenderStates(device);
  for (int i = 0; i < 3; ++i) {
    loadBitmapTexture(display.textureRecords[i], device, textureFiles[i]);
    display.textureHandles[i] = display.textureRecords[i].handle;
  }
  D3DMATERIAL marker = whiteMaterial(0.3f, 0);
  marker.ambient.a = 0.2f;
  marker.specular.a = 0;
  if (!makeMaterial(&display.markerMaterial, marker, &display.markerHandle)) {
    display.markerMaterial = nullptr;
    return 0;
  }
  for (int k = 0; k < 15; ++k) {
    const float alpha = float(1.0 - k * 0.0625);
    if (!makeMaterial(&display.materialObjects[k], whiteMaterial(alpha, display.textureHandles[0]),
                      &display.materials.handles[k])) {
      display.materialObjects[k] = nullptr;
      return 0;
    }
  }
  display.materials.handles[15] = display.markerHandle;
  buildMatrices();
  if (FAILED(device->SetTransform(D3DTRANSFORMSTATE_WORLD, &display.worldMatrix)) ||
      FAILED(device->SetTransform(D3DTRANSFORMSTATE_VIEW, &display.viewMatrix)) ||
      FAILED(device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &display.projectionMatrix)))
    return 0;
  if (!createLights()) return 0;
  startEffect();
  return 1;
}

void releaseDisplayObjects(int all) {
  releaseCom(display.device);
  releaseCom(display.viewport);
  for (auto& light : display.lightObjects) releaseCom(light);
  releaseCom(display.backBuffer);
  releaseCom(display.primarySurface);
  releaseCom(display.zBuffer);
  releaseCom(display.previousFrame);
  releaseCom(display.clipper);
  for (auto& material : display.materialObjects) releaseCom(material);
  releaseCom(display.markerMaterial);
  for (auto& texture : display.textureRecords) releaseBitmapTexture(texture);
  if (all) releaseDirectDraw();
}

void releaseDirectDraw() {
  releaseCom(display.d3d);
  releaseCom(display.ddraw);
}

void releaseOverlayObjects() {
  if (display.titleDC) DeleteDC(display.titleDC);
  if (display.titleBitmap) DeleteObject(display.titleBitmap);
  if (display.timeDC) DeleteDC(display.timeDC);
  if (display.timeBitmapA) DeleteObject(display.timeBitmapA);
  if (display.timeBitmapB) DeleteObject(display.timeBitmapB);
  display.titleDC = display.timeDC = nullptr;
  display.titleBitmap = display.timeBitmapA = display.timeBitmapB = nullptr;
}

void releaseOverlayFont() {
  if (display.overlayFont) DeleteObject(display.overlayFont);
  display.overlayFont = nullptr;
}
