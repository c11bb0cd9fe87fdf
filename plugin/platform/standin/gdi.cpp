// GDI: device contexts, bitmaps, fonts and blits as bookkeeping; nothing is drawn.
#include <map>

#include "internal.h"

namespace {

enum class Kind { dc, bitmap, font };

struct GdiObject {
  Kind kind;
  std::string label;
  standin::FakeBitmap bitmap;   // for bitmaps
  std::map<int, HGDIOBJ> selected;  // for DCs: by kind
};

struct GdiState {
  std::map<void*, GdiObject> objects;
  std::map<std::string, standin::FakeBitmap> files;
  int next = 0x1000;
  int counters[3] = {0, 0, 0};
};

GdiState& gdi() {
  static GdiState s;
  return s;
}

void* newObject(Kind kind, const char* prefix) {
  void* handle = reinterpret_cast<void*>(static_cast<std::uintptr_t>(gdi().next += 8));
  GdiObject object{kind, prefix + std::to_string(++gdi().counters[int(kind)]), {}, {}};
  gdi().objects.emplace(handle, std::move(object));
  return handle;
}

GdiObject* find(const void* handle) {
  auto it = gdi().objects.find(const_cast<void*>(handle));
  return it == gdi().objects.end() ? nullptr : &it->second;
}

std::string name(const void* handle) { return standin::detail::handleName(handle); }

}  // namespace

using standin::detail::call;
using standin::detail::failing;

namespace standin {

void addBitmapFile(const std::string& path, const FakeBitmap& bitmap) { gdi().files[path] = bitmap; }
int liveGdiObjects() { return int(gdi().objects.size()); }

namespace detail {
void resetGdi() { gdi() = GdiState{}; }
std::string gdiLabel(const void* handle) {
  const GdiObject* object = find(handle);
  return object ? object->label : "";
}
HDC newSurfaceDC() { return static_cast<HDC>(newObject(Kind::dc, "surfaceDC")); }
void dropSurfaceDC(HDC dc) { gdi().objects.erase(dc); }
}  // namespace detail

}  // namespace standin

HDC CreateCompatibleDC(HDC dc) {
  call("CreateCompatibleDC", name(dc));
  if (failing("CreateCompatibleDC")) return nullptr;
  return static_cast<HDC>(newObject(Kind::dc, "dc"));
}

BOOL DeleteDC(HDC dc) {
  call("DeleteDC", name(dc));
  return gdi().objects.erase(dc) ? TRUE : FALSE;
}

HBITMAP CreateCompatibleBitmap(HDC dc, int w, int h) {
  call("CreateCompatibleBitmap", name(dc), w, h);
  if (failing("CreateCompatibleBitmap")) return nullptr;
  void* handle = newObject(Kind::bitmap, "bitmap");
  find(handle)->bitmap = standin::FakeBitmap{w, h, 16, {}};
  return static_cast<HBITMAP>(handle);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj) {
  call("SelectObject", name(dc), name(obj));
  GdiObject* target = find(dc);
  GdiObject* object = find(obj);
  if (!target || !object) return nullptr;
  HGDIOBJ& slot = target->selected[int(object->kind)];
  HGDIOBJ old = slot;
  slot = obj;
  return old ? old : reinterpret_cast<HGDIOBJ>(1);  // the DC's stock object
}

BOOL DeleteObject(HGDIOBJ obj) {
  call("DeleteObject", name(obj));
  return gdi().objects.erase(obj) ? TRUE : FALSE;
}

int GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
  call("GetObjectA", name(obj), size);
  GdiObject* object = find(obj);
  if (!object || object->kind != Kind::bitmap || size < int(sizeof(BITMAP))) return 0;
  BITMAP header{};
  header.bmWidth = object->bitmap.width;
  header.bmHeight = object->bitmap.height;
  header.bmPlanes = 1;
  header.bmBitsPixel = WORD(object->bitmap.bitsPerPixel);
  header.bmWidthBytes = ((object->bitmap.width * object->bitmap.bitsPerPixel + 31) / 32) * 4;
  *static_cast<BITMAP*>(out) = header;
  return int(sizeof(BITMAP));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charset, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face) {
  call("CreateFontA", height, width, escapement, orientation, weight, italic, underline, strikeOut, charset,
       outPrecision, clipPrecision, quality, pitchAndFamily, standin::detail::text(face));
  if (failing("CreateFontA")) return nullptr;
  return static_cast<HFONT>(newObject(Kind::font, "font"));
}

int SetBkMode(HDC dc, int mode) {
  call("SetBkMode", name(dc), mode);
  return OPAQUE;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
  call("SetBkColor", name(dc), colour);
  return 0;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  call("SetTextColor", name(dc), colour);
  return 0;
}

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  call("TextOutA", name(dc), x, y, standin::detail::text(std::string(text, size_t(length)).c_str()), length);
  return find(dc) ? TRUE : FALSE;
}

BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  call("BitBlt", name(dst), x, y, w, h, name(src), sx, sy, rop);
  return find(dst) ? TRUE : FALSE;
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, BLENDFUNCTION fn) {
  call("AlphaBlend", name(dst), x, y, w, h, name(src), sx, sy, sw, sh, int(fn.BlendOp), int(fn.BlendFlags),
       int(fn.SourceConstantAlpha), int(fn.AlphaFormat));
  return find(dst) ? TRUE : FALSE;
}

UINT GetDIBColorTable(HDC dc, UINT start, UINT count, RGBQUAD* out) {
  call("GetDIBColorTable", name(dc), start, count);
  GdiObject* target = find(dc);
  if (!target) return 0;
  GdiObject* bitmap = find(target->selected[int(Kind::bitmap)]);
  if (!bitmap) return 0;
  const auto& colours = bitmap->bitmap.colours;
  UINT n = 0;
  for (UINT i = start; i < colours.size() && n < count; ++i) out[n++] = colours[i];
  return n;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR imageName, UINT type, int w, int h, UINT flags) {
  call("LoadImageA", name(instance), standin::detail::text(imageName), type, w, h, flags);
  if (failing("LoadImageA") || !(flags & LR_LOADFROMFILE) || type != IMAGE_BITMAP) return nullptr;
  auto it = gdi().files.find(standin::nativePath(imageName));
  if (it == gdi().files.end()) return nullptr;
  void* handle = newObject(Kind::bitmap, "dib");
  find(handle)->bitmap = it->second;
  return handle;
}
