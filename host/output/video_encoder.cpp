#include "video_encoder.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "plugin_window.h"

namespace {

// The plug-in window's client area on the screen (even sized: the encoder's 4:2:0 chroma needs
// it), else the whole screen.
RECT pictureArea() {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND window = pluginWindow()) {
    RECT client;
    POINT origin = {0, 0};
    if (GetClientRect(window, &client) && ClientToScreen(window, &origin) && client.right > 1 && client.bottom > 1)
      area = {origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
  }
  area.right = area.left + ((area.right - area.left) & ~1);
  area.bottom = area.top + ((area.bottom - area.top) & ~1);
  return area;
}

bool writeAll(HANDLE out, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : DWORD(size);
    if (!WriteFile(out, at, chunk, &written, nullptr) || written == 0) return false;
    at += written;
    size -= written;
  }
  return true;
}

bool startStream(VideoEncoder& encoder, std::string& error) {
  encoder.area = pictureArea();
  const int width = encoder.area.right - encoder.area.left, height = encoder.area.bottom - encoder.area.top;
  encoder.screen = GetDC(nullptr);
  encoder.memory = encoder.screen ? CreateCompatibleDC(encoder.screen) : nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (encoder.memory)
    encoder.dib = CreateDIBSection(encoder.screen, &info, DIB_RGB_COLORS, &encoder.bits, nullptr, 0);
  if (!encoder.dib) {
    error = "cannot capture the screen";
    return false;
  }
  SelectObject(encoder.memory, encoder.dib);
  char header[64];
  const int length = std::snprintf(header, sizeof header, "frames %dx%d\n", width, height);
  if (!writeAll(encoder.out, header, size_t(length))) {
    error = "the video encoder does not take the frames (is standard output a pipe to it?)";
    return false;
  }
  return true;
}

}  // namespace

bool openVideoEncoder(VideoEncoder& encoder, std::string& error) {
  // The video keeps a handle of its own; the C library's standard output becomes standard error.
  if (!DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &encoder.out, 0,
                       FALSE, DUPLICATE_SAME_ACCESS)) {
    error = "no standard output to write the video to";
    return false;
  }
  std::fflush(stdout);
  _dup2(_fileno(stderr), _fileno(stdout));
  return true;
}

bool encodeFrame(VideoEncoder& encoder, std::string& error) {
  if (!encoder.dib && !startStream(encoder, error)) return false;
  const int width = encoder.area.right - encoder.area.left, height = encoder.area.bottom - encoder.area.top;
  if (!BitBlt(encoder.memory, 0, 0, width, height, encoder.screen, encoder.area.left, encoder.area.top, SRCCOPY)) {
    error = "cannot capture the screen";
    return false;
  }
  GdiFlush();
  if (!writeAll(encoder.out, encoder.bits, size_t(width) * size_t(height) * 4)) {
    error = "the video encoder stopped taking frames after frame " + std::to_string(encoder.framesWritten);
    return false;
  }
  ++encoder.framesWritten;
  return true;
}

void closeVideoEncoder(VideoEncoder& encoder) {
  if (encoder.dib) DeleteObject(encoder.dib);
  if (encoder.memory) DeleteDC(encoder.memory);
  if (encoder.screen) ReleaseDC(nullptr, encoder.screen);
  if (encoder.out != INVALID_HANDLE_VALUE) CloseHandle(encoder.out);
  encoder = VideoEncoder{};
}
