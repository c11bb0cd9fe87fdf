#include "screen_capture.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "plugin_window.h"

namespace {

bool writeBmp(const std::string& path, int width, int height, const std::vector<unsigned char>& pixels) {
  const int rowBytes = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + DWORD(rowBytes) * DWORD(height);
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  return std::fclose(out) == 0 && ok;
}

}  // namespace

bool captureScreen(int width, int height, const std::string& path) {
  return captureScreenArea(RECT{0, 0, width, height}, path);
}

bool captureScreenArea(const RECT& area, const std::string& path) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  if (!screen) return false;
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && memory) {
    HGDIOBJ old = SelectObject(memory, dib);
    ok = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY) != 0;
    GdiFlush();
    SelectObject(memory, old);
    if (ok) {
      const size_t bytes = size_t((width * 3 + 3) & ~3) * size_t(height);
      std::vector<unsigned char> pixels(static_cast<unsigned char*>(bits), static_cast<unsigned char*>(bits) + bytes);
      ok = writeBmp(path, width, height, pixels);
    }
  }
  if (dib) DeleteObject(dib);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return ok;
}

void pictureSize(int& width, int& height) {
  RECT r;
  HWND window = GetForegroundWindow();
  width = height = 0;
  if (window && GetWindowRect(window, &r)) width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
}

RECT pictureArea() {
  HWND window = pluginWindow();
  RECT client;
  if (window && (GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME) && GetClientRect(window, &client)) {
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    // Only what lies on the screen can be copied from it.
    return RECT{std::max<LONG>(corner.x, 0), std::max<LONG>(corner.y, 0),
                std::min<LONG>(corner.x + client.right, GetSystemMetrics(SM_CXSCREEN)),
                std::min<LONG>(corner.y + client.bottom, GetSystemMetrics(SM_CYSCREEN))};
  }
  int width, height;
  pictureSize(width, height);
  return RECT{0, 0, width, height};
}
