#include "bitmap_texture.h"

#include <cstring>

namespace {

// The device description of DirectX 5: later SDK headers declare a longer record, and the
// runtime fills only as much as dwSize announces.
constexpr DWORD deviceDescSizeDx5 = 204;

struct TextureFormatSearch {
  DWORD wantedBits;
  DDPIXELFORMAT best;
};

template <typename T>
void releaseCom(T*& object) {
  if (object) {
    object->Release();
    object = nullptr;
  }
}

bool usableFormat(const DDPIXELFORMAT& format) {
  if (format.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) return false;
  if (format.dwRGBBitCount > 8) return (format.dwFlags & DDPF_RGB) != 0;
  if (format.dwRGBBitCount < 8) return false;
  return (format.dwFlags & (DDPF_PALETTEINDEXED8 | DDPF_PALETTEINDEXED4)) != 0;
}

HRESULT CALLBACK textureFormatCallback(LPDDSURFACEDESC desc, LPVOID context) {
  auto* search = static_cast<TextureFormatSearch*>(context);
  const DDPIXELFORMAT& format = desc->ddpfPixelFormat;
  if (!usableFormat(format)) return D3DENUMRET_OK;
  if (search->best.dwFlags == 0) {
    search->best = format;
    return D3DENUMRET_OK;
  }
  const DWORD distance = format.dwRGBBitCount - search->wantedBits;
  const DWORD keptDistance = search->best.dwRGBBitCount - search->wantedBits;
  if (format.dwRGBBitCount >= search->wantedBits && distance < keptDistance) search->best = format;
  return D3DENUMRET_OK;
}

void chooseTextureFormat(IDirect3DDevice2* device, DWORD wantedBits, DDPIXELFORMAT* format) {
  TextureFormatSearch search;
  std::memset(&search, 0, sizeof search);
  search.wantedBits = wantedBits;
  device->EnumTextureFormats(textureFormatCallback, &search);
  *format = search.best;
}

// The DirectDraw object behind the device, borrowed (no reference is kept).
IDirectDraw* directDrawOfDevice(IDirect3DDevice2* device) {
  IDirectDrawSurface* target = nullptr;
  if (FAILED(device->GetRenderTarget(&target))) return nullptr;
  IDirectDrawSurface2* target2 = nullptr;
  if (FAILED(target->QueryInterface(IID_IDirectDrawSurface2, reinterpret_cast<void**>(&target2)))) {
    target->Release();
    return nullptr;
  }
  IDirectDraw* ddraw = nullptr;
  HRESULT hr = target2->GetDDInterface(reinterpret_cast<void**>(&ddraw));
  target2->Release();
  target->Release();
  if (FAILED(hr) || !ddraw) return nullptr;
  ddraw->Release();
  return ddraw;
}

IDirectDrawPalette* createBitmapPalette(IDirectDraw* ddraw, HBITMAP bitmap) {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bitmap);
  RGBQUAD colours[256];
  const UINT count = GetDIBColorTable(dc, 0, 256, colours);
  DeleteDC(dc);
  if (count == 0) return nullptr;
  PALETTEENTRY entries[256];
  std::memset(entries, 0, sizeof entries);
  for (UINT i = 0; i < count; ++i) {
    entries[i].peRed = colours[i].rgbRed;
    entries[i].peGreen = colours[i].rgbGreen;
    entries[i].peBlue = colours[i].rgbBlue;
    entries[i].peFlags = 0;
  }
  IDirectDrawPalette* palette = nullptr;
  const DWORD caps = count <= 16 ? DDPCAPS_4BIT : DDPCAPS_8BIT;
  if (FAILED(ddraw->CreatePalette(caps, entries, &palette, nullptr))) return nullptr;
  return palette;
}

int copyBitmapToTexture(BitmapTexture& texture, HBITMAP bitmap, int width, int height) {
  HDC bitmapDC = CreateCompatibleDC(nullptr);
  SelectObject(bitmapDC, bitmap);
  int result = 0;
  HDC surfaceDC;
  if (SUCCEEDED(texture.sourceSurface->GetDC(&surfaceDC))) {
    BitBlt(surfaceDC, 0, 0, width, height, bitmapDC, 0, 0, SRCCOPY);
    texture.sourceSurface->ReleaseDC(surfaceDC);
    result = reloadBitmapTexture(texture);
  }
  DeleteDC(bitmapDC);
  return result;
}

HBITMAP loadBitmap(const char* name) {
  HANDLE image = LoadImageA(GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  if (!image) image = LoadImageA(nullptr, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE);
  return static_cast<HBITMAP>(image);
}

int failLoad(BitmapTexture& texture, HBITMAP bitmap) {
  DeleteObject(bitmap);
  releaseBitmapTexture(texture);
  return 0;
}

}  // namespace

int loadBitmapTexture(BitmapTexture& texture, IDirect3DDevice2* device, const char* name) {
  IDirectDraw* ddraw = directDrawOfDevice(device);
  if (!ddraw) return 0;
  HBITMAP bitmap = loadBitmap(name);
  if (!bitmap) return 0;
  releaseBitmapTexture(texture);

  BITMAP header;
  std::memset(&header, 0, sizeof header);
  GetObjectA(bitmap, sizeof header, &header);
  DDSURFACEDESC desc;
  std::memset(&desc, 0, sizeof desc);
  desc.dwSize = sizeof desc;
  chooseTextureFormat(device, header.bmBitsPixel, &desc.ddpfPixelFormat);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
  desc.dwHeight = DWORD(header.bmHeight);
  desc.dwWidth = DWORD(header.bmWidth);

  D3DDEVICEDESC hardware, software;
  std::memset(&hardware, 0, sizeof hardware);
  std::memset(&software, 0, sizeof software);
  hardware.dwSize = software.dwSize = deviceDescSizeDx5;
  device->GetCaps(&hardware, &software);
  const bool isHardware = hardware.dcmColorModel != 0;

  desc.ddsCaps.dwCaps = isHardware ? DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD
                                   : DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
  if (FAILED(ddraw->CreateSurface(&desc, &texture.textureSurface, nullptr))) {
    texture.textureSurface = nullptr;
    return failLoad(texture, bitmap);
  }
  if (isHardware) {
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    if (FAILED(ddraw->CreateSurface(&desc, &texture.sourceSurface, nullptr))) {
      texture.sourceSurface = nullptr;
      return failLoad(texture, bitmap);
    }
  } else {
    texture.sourceSurface = texture.textureSurface;
    texture.sourceSurface->AddRef();
  }
  if (desc.ddpfPixelFormat.dwRGBBitCount <= 8) {
    texture.palette = createBitmapPalette(ddraw, bitmap);
    texture.sourceSurface->SetPalette(texture.palette);
    texture.textureSurface->SetPalette(texture.palette);
  }
  if (!copyBitmapToTexture(texture, bitmap, header.bmWidth, header.bmHeight)) return failLoad(texture, bitmap);

  IDirect3DTexture2* d3dTexture = nullptr;
  if (FAILED(texture.textureSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&d3dTexture))))
    return failLoad(texture, bitmap);
  d3dTexture->GetHandle(device, &texture.handle);
  d3dTexture->Release();
  DeleteObject(bitmap);
  return 1;
}

int reloadBitmapTexture(BitmapTexture& texture) {
  if (!texture.sourceSurface || !texture.textureSurface) return 0;
  if (texture.sourceSurface == texture.textureSurface) return 1;
  if (FAILED(texture.textureSurface->Restore())) return 0;
  IDirect3DTexture2* source = nullptr;
  IDirect3DTexture2* target = nullptr;
  texture.sourceSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&source));
  texture.textureSurface->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&target));
  HRESULT loaded = E_FAIL;
  if (source && target) loaded = target->Load(source);
  if (source) source->Release();
  if (target) target->Release();
  return SUCCEEDED(loaded) ? 1 : 0;
}

void releaseBitmapTexture(BitmapTexture& texture) {
  releaseCom(texture.sourceSurface);
  releaseCom(texture.textureSurface);
  releaseCom(texture.palette);
  texture.handle = 0;
}
