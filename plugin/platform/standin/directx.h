// Stand-in declarations of the DirectDraw and Direct3D (DirectX 5) subset the plug-in uses.
// Interfaces carry only the methods the plug-in calls; field names and values follow the SDK.
#pragma once

#include "win32.h"

using D3DVALUE = float;
using D3DCOLOR = DWORD;
using D3DMATERIALHANDLE = DWORD;
using D3DTEXTUREHANDLE = DWORD;

enum D3DRENDERSTATETYPE { D3DRENDERSTATE_TEXTUREHANDLE = 1, D3DRENDERSTATE_TEXTUREPERSPECTIVE = 4, D3DRENDERSTATE_ZENABLE = 7, D3DRENDERSTATE_SHADEMODE = 9, D3DRENDERSTATE_ZWRITEENABLE = 14, D3DRENDERSTATE_TEXTUREMAG = 17, D3DRENDERSTATE_TEXTUREMIN = 18, D3DRENDERSTATE_SRCBLEND = 19, D3DRENDERSTATE_DESTBLEND = 20, D3DRENDERSTATE_TEXTUREMAPBLEND = 21, D3DRENDERSTATE_CULLMODE = 22, D3DRENDERSTATE_DITHERENABLE = 26, D3DRENDERSTATE_ALPHABLENDENABLE = 27, D3DRENDERSTATE_SPECULARENABLE = 29, D3DRENDERSTATE_FILLMODE = 8 };
enum D3DLIGHTSTATETYPE { D3DLIGHTSTATE_MATERIAL = 1, D3DLIGHTSTATE_AMBIENT = 2 };
enum D3DTRANSFORMSTATETYPE { D3DTRANSFORMSTATE_WORLD = 1, D3DTRANSFORMSTATE_VIEW = 2, D3DTRANSFORMSTATE_PROJECTION = 3 };
enum D3DPRIMITIVETYPE { D3DPT_POINTLIST = 1, D3DPT_LINELIST = 2, D3DPT_LINESTRIP = 3, D3DPT_TRIANGLELIST = 4, D3DPT_TRIANGLESTRIP = 5, D3DPT_TRIANGLEFAN = 6 };
enum D3DVERTEXTYPE { D3DVT_VERTEX = 1, D3DVT_LVERTEX = 2, D3DVT_TLVERTEX = 3 };
enum D3DLIGHTTYPE { D3DLIGHT_POINT = 1, D3DLIGHT_DIRECTIONAL = 3 };
enum D3DTEXTUREFILTER { D3DFILTER_NEAREST = 1, D3DFILTER_LINEAR = 2 };
enum D3DBLEND { D3DBLEND_ZERO = 1, D3DBLEND_ONE = 2, D3DBLEND_SRCCOLOR = 3, D3DBLEND_SRCALPHA = 5, D3DBLEND_INVSRCALPHA = 6, D3DBLEND_DESTCOLOR = 9, D3DBLEND_DESTALPHA = 7 };
enum D3DSHADEMODE { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum D3DCULL { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };
enum D3DTEXTUREBLEND { D3DTBLEND_MODULATE = 2, D3DTBLEND_MODULATEALPHA = 4, D3DTBLEND_DECAL = 1 };

constexpr DWORD DDSCL_EXCLUSIVE = 0x10u;
constexpr DWORD DDSCL_FULLSCREEN = 0x1u;
constexpr DWORD DDSCL_ALLOWMODEX = 0x40u;
constexpr DWORD DDSCL_NORMAL = 0x8u;
constexpr DWORD DDSD_CAPS = 0x1u;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20u;
constexpr DWORD DDSD_WIDTH = 0x4u;
constexpr DWORD DDSD_HEIGHT = 0x2u;
constexpr DWORD DDSD_ZBUFFERBITDEPTH = 0x40u;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000u;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200u;
constexpr DWORD DDSCAPS_FLIP = 0x10u;
constexpr DWORD DDSCAPS_COMPLEX = 0x8u;
constexpr DWORD DDSCAPS_3DDEVICE = 0x2000u;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000u;
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4u;
constexpr DWORD DDSCAPS_ZBUFFER = 0x20000u;
constexpr DWORD DDSCAPS_TEXTURE = 0x1000u;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800u;
constexpr DWORD DDSCAPS_ALLOCONLOAD = 0x4000000u;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40u;
constexpr DWORD DDBLT_COLORFILL = 0x400u;
constexpr DWORD DDBLT_WAIT = 0x1000000u;
constexpr DWORD DDBLT_DEPTHFILL = 0x2000000u;
constexpr DWORD DDBLTFAST_WAIT = 0x10u;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0u;
constexpr DWORD DDFLIP_WAIT = 0x1u;
constexpr DWORD DDLOCK_WAIT = 0x1u;
constexpr DWORD DDLOCK_READONLY = 0x10u;
constexpr DWORD DDLOCK_SURFACEMEMORYPTR = 0x0u;
constexpr DWORD DDPF_ALPHAPIXELS = 0x1u;
constexpr DWORD DDPF_ALPHA = 0x2u;
constexpr DWORD DDPF_RGB = 0x40u;
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20u;
constexpr DWORD DDPF_PALETTEINDEXED4 = 0x8u;
constexpr DWORD DDPCAPS_4BIT = 0x1u;
constexpr DWORD DDPCAPS_8BIT = 0x4u;
constexpr DWORD DDPCAPS_ALLOW256 = 0x40u;
constexpr HRESULT DD_OK = HRESULT(0x00000000u);
constexpr HRESULT DDERR_SURFACELOST = HRESULT(0x887601C2u);
constexpr HRESULT DDERR_GENERIC = HRESULT(0x80004005u);
constexpr HRESULT DDERR_WASSTILLDRAWING = HRESULT(0x8876021Cu);
constexpr HRESULT DDERR_INVALIDPARAMS = HRESULT(0x80070057u);
constexpr HRESULT DDERR_UNSUPPORTED = HRESULT(0x80004001u);
constexpr HRESULT DDERR_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT D3D_OK = HRESULT(0x00000000u);
constexpr int D3DDP_WAIT = 1;
constexpr int D3DCOLOR_MONO = 1;
constexpr int D3DCOLOR_RGB = 2;

constexpr DWORD DDPCAPS_8BIT_ENTRIES = 256;

struct D3DVECTOR { D3DVALUE x, y, z; };
struct D3DCOLORVALUE { D3DVALUE r, g, b, a; };
struct D3DMATRIX {
  D3DVALUE _11, _12, _13, _14;
  D3DVALUE _21, _22, _23, _24;
  D3DVALUE _31, _32, _33, _34;
  D3DVALUE _41, _42, _43, _44;
};
struct D3DVERTEX { D3DVALUE x, y, z, nx, ny, nz, tu, tv; };
struct D3DLVERTEX { D3DVALUE x, y, z; DWORD dwReserved; D3DCOLOR color; D3DCOLOR specular; D3DVALUE tu, tv; };
struct D3DMATERIAL {
  DWORD dwSize;
  D3DCOLORVALUE diffuse, ambient, specular, emissive;
  D3DVALUE power;
  D3DTEXTUREHANDLE hTexture;
  DWORD dwRampSize;
};
struct D3DLIGHT {
  DWORD dwSize;
  D3DLIGHTTYPE dltType;
  D3DCOLORVALUE dcvColor;
  D3DVECTOR dvPosition;
  D3DVECTOR dvDirection;
  D3DVALUE dvRange, dvFalloff, dvAttenuation0, dvAttenuation1, dvAttenuation2, dvTheta, dvPhi;
};
struct D3DVIEWPORT2 {
  DWORD dwSize, dwX, dwY, dwWidth, dwHeight;
  D3DVALUE dvClipX, dvClipY, dvClipWidth, dvClipHeight, dvMinZ, dvMaxZ;
};
// Only the fields the plug-in reads are named; the size is the SDK's (204 bytes).
struct D3DDEVICEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dcmColorModel;
  BYTE rest[204 - 12];
};

struct DDSCAPS { DWORD dwCaps; };
using LPDDSCAPS = DDSCAPS*;
struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};
using LPDDPIXELFORMAT = DDPIXELFORMAT*;
struct DDCOLORKEY { DWORD dwColorSpaceLowValue, dwColorSpaceHighValue; };
struct DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  union { DWORD dwMipMapCount; DWORD dwZBufferBitDepth; DWORD dwRefreshRate; };
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  LPVOID lpSurface;
  DDCOLORKEY ddckCKDestOverlay, ddckCKDestBlt, ddckCKSrcOverlay, ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};
using LPDDSURFACEDESC = DDSURFACEDESC*;
// DDBLTFX is 100 bytes; the plug-in sets the size and one fill value.
struct DDBLTFX {
  DWORD dwSize;
  BYTE before[76];
  union { DWORD dwFillColor; DWORD dwFillDepth; DWORD dwFillPixel; };
  BYTE after[16];
};
using LPDDBLTFX = DDBLTFX*;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
 protected:
  ~IUnknown() = default;
};

struct IDirectDraw;
struct IDirectDrawSurface;
struct IDirectDrawPalette;
struct IDirectDrawClipper;
struct IDirect3DDevice2;
struct IDirect3DViewport2;
struct IDirect3DLight;
struct IDirect3DMaterial2;
struct IDirect3DTexture2;
using LPDIRECTDRAW = IDirectDraw*;
using LPDIRECTDRAWSURFACE = IDirectDrawSurface*;
using LPDIRECTDRAWPALETTE = IDirectDrawPalette*;
using LPDIRECT3DDEVICE2 = IDirect3DDevice2*;

struct IDirectDraw : IUnknown {
  virtual HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, IDirectDrawPalette** out, IUnknown* outer) = 0;
  virtual HRESULT CreateSurface(LPDDSURFACEDESC desc, IDirectDrawSurface** out, IUnknown* outer) = 0;
  virtual HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags) = 0;
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp) = 0;
  virtual HRESULT RestoreDisplayMode() = 0;
  virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, IUnknown* outer) = 0;
  virtual HRESULT GetDisplayMode(LPDDSURFACEDESC desc) = 0;
};

struct IDirectDrawClipper : IUnknown {
  virtual HRESULT SetHWnd(DWORD flags, HWND hwnd) = 0;
};

struct IDirectDrawSurface : IUnknown {
  virtual HRESULT AddAttachedSurface(IDirectDrawSurface* attached) = 0;
  virtual HRESULT Blt(LPRECT dst, IDirectDrawSurface* src, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) = 0;
  virtual HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* src, LPRECT srcRect, DWORD trans) = 0;
  virtual HRESULT Flip(IDirectDrawSurface* override, DWORD flags) = 0;
  virtual HRESULT GetAttachedSurface(LPDDSCAPS caps, IDirectDrawSurface** out) = 0;
  virtual HRESULT GetDC(HDC* out) = 0;
  virtual HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT Restore() = 0;
  virtual HRESULT SetPalette(IDirectDrawPalette* palette) = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
  virtual HRESULT Unlock(LPVOID data) = 0;
};

struct IDirectDrawSurface2 : IDirectDrawSurface {
  virtual HRESULT GetDDInterface(LPVOID* out) = 0;
};

struct IDirectDrawPalette : IUnknown {
  virtual HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) = 0;
};

using LPD3DENUMTEXTUREFORMATSCALLBACK = HRESULT (*)(LPDDSURFACEDESC desc, LPVOID context);
constexpr HRESULT D3DENUMRET_OK = 1;
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;
constexpr HRESULT DDENUMRET_CANCEL = 0;

struct IDirect3D2 : IUnknown {
  virtual HRESULT CreateLight(IDirect3DLight** out, IUnknown* outer) = 0;
  virtual HRESULT CreateMaterial(IDirect3DMaterial2** out, IUnknown* outer) = 0;
  virtual HRESULT CreateViewport(IDirect3DViewport2** out, IUnknown* outer) = 0;
  virtual HRESULT CreateDevice(REFCLSID kind, IDirectDrawSurface* target, IDirect3DDevice2** out) = 0;
};

struct IDirect3DDevice2 : IUnknown {
  virtual HRESULT GetCaps(D3DDEVICEDESC* hal, D3DDEVICEDESC* hel) = 0;
  virtual HRESULT AddViewport(IDirect3DViewport2* viewport) = 0;
  virtual HRESULT EnumTextureFormats(LPD3DENUMTEXTUREFORMATSCALLBACK callback, void* context) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT SetCurrentViewport(IDirect3DViewport2* viewport) = 0;
  virtual HRESULT GetRenderTarget(IDirectDrawSurface** out) = 0;
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
  virtual HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, void* vertices, DWORD count,
                                DWORD flags) = 0;
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, D3DVERTEXTYPE vertexType, void* vertices,
                                       DWORD vertexCount, WORD* indices, DWORD indexCount, DWORD flags) = 0;
};

struct IDirect3DViewport2 : IUnknown {
  virtual HRESULT AddLight(IDirect3DLight* light) = 0;
  virtual HRESULT SetViewport2(D3DVIEWPORT2* data) = 0;
};

struct IDirect3DLight : IUnknown {
  virtual HRESULT SetLight(D3DLIGHT* light) = 0;
};

struct IDirect3DMaterial2 : IUnknown {
  virtual HRESULT SetMaterial(D3DMATERIAL* material) = 0;
  virtual HRESULT GetHandle(IDirect3DDevice2* device, D3DMATERIALHANDLE* out) = 0;
};

struct IDirect3DTexture2 : IUnknown {
  virtual HRESULT GetHandle(IDirect3DDevice2* device, D3DTEXTUREHANDLE* out) = 0;
  virtual HRESULT Load(IDirect3DTexture2* source) = 0;
};

extern const GUID IID_IDirect3D2;
extern const GUID IID_IDirectDrawSurface2;
extern const GUID IID_IDirect3DTexture2;
extern const GUID IID_IDirect3DHALDevice;
extern const GUID IID_IDirect3DRGBDevice;
extern const GUID IID_IDirect3DRampDevice;

using LPDDENUMCALLBACKA = BOOL (*)(GUID* guid, LPSTR description, LPSTR name, LPVOID context);
HRESULT DirectDrawEnumerateA(LPDDENUMCALLBACKA callback, LPVOID context);
HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** out, IUnknown* outer);
