#include "video_encoder.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "plugin_window.h"
#include "yuv_frame.h"

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

int widthOf(const RECT& area) { return area.right - area.left; }
int heightOf(const RECT& area) { return area.bottom - area.top; }
size_t frameBytes(const VideoEncoder& encoder) { return size_t(widthOf(encoder.area)) * size_t(heightOf(encoder.area)) * 4; }

double nowSeconds() {
  LARGE_INTEGER t, frequency;
  QueryPerformanceCounter(&t);
  QueryPerformanceFrequency(&frequency);
  return double(t.QuadPart) / double(frequency.QuadPart);
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

// Writes the buffers in the order they are filled, 0, 1, 2, 3, 0, ..., until told to stop; after a
// failed write it only hands the buffers back.
DWORD WINAPI writeFrames(LPVOID parameter) {
  VideoEncoder& encoder = *static_cast<VideoEncoder*>(parameter);
  for (int buffer = 0;; buffer = (buffer + 1) % videoBuffers) {
    WaitForSingleObject(encoder.filled[buffer], INFINITE);
    if (encoder.stopping) return 0;
    if (!encoder.failed) {
      const void* picture = encoder.bits[buffer];
      size_t bytes = frameBytes(encoder);
      if (encoder.i420) {
        bgrxToI420(static_cast<const uint8_t*>(picture), size_t(widthOf(encoder.area)) * 4, widthOf(encoder.area),
                   heightOf(encoder.area), encoder.converted.data());
        picture = encoder.converted.data();
        bytes = encoder.converted.size();
      }
      if (writeAll(encoder.out, picture, bytes))
        InterlockedIncrement64(&encoder.framesWritten);
      else
        InterlockedExchange(&encoder.failed, 1);
    }
    SetEvent(encoder.emptied[buffer]);
  }
}

HBITMAP topDownDib(HDC screen, int width, int height, void** bits) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(screen, &info, DIB_RGB_COLORS, bits, nullptr, 0);
}

bool startStream(VideoEncoder& encoder, std::string& error) {
  encoder.area = pictureArea();
  const int width = widthOf(encoder.area), height = heightOf(encoder.area);
  encoder.screen = GetDC(nullptr);
  encoder.memory = encoder.screen ? CreateCompatibleDC(encoder.screen) : nullptr;
  for (int i = 0; i < videoBuffers && encoder.memory; ++i) {
    encoder.dib[i] = topDownDib(encoder.screen, width, height, &encoder.bits[i]);
    encoder.filled[i] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    encoder.emptied[i] = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  }
  if (!encoder.dib[videoBuffers - 1] || !encoder.filled[videoBuffers - 1] || !encoder.emptied[videoBuffers - 1]) {
    error = "cannot capture the screen";
    return false;
  }
  if (encoder.i420) encoder.converted.resize(i420Bytes(width, height));
  char header[64];
  const int length =
      std::snprintf(header, sizeof header, "frames %dx%d%s\n", width, height, encoder.i420 ? " yuv420p" : "");
  if (!writeAll(encoder.out, header, size_t(length))) {
    error = "the video encoder does not take the frames (is standard output a pipe to it?)";
    return false;
  }
  encoder.writer = CreateThread(nullptr, 0, writeFrames, &encoder, 0, nullptr);
  if (!encoder.writer) {
    error = "cannot start the thread that writes the video";
    return false;
  }
  return true;
}

bool captureThroughX(VideoEncoder& encoder, int buffer) {
  SelectObject(encoder.memory, encoder.dib[buffer]);
  const bool ok = BitBlt(encoder.memory, 0, 0, widthOf(encoder.area), heightOf(encoder.area), encoder.screen,
                         encoder.area.left, encoder.area.top, SRCCOPY);
  GdiFlush();
  return ok;
}

// Blue, green and red of every pixel the same (the fourth byte is unused either way).
bool samePictures(const void* a, const void* b, size_t bytes) {
  const uint8_t *p = static_cast<const uint8_t*>(a), *q = static_cast<const uint8_t*>(b);
  for (size_t i = 0; i < bytes; i += 4)
    if (p[i] != q[i] || p[i + 1] != q[i + 1] || p[i + 2] != q[i + 2]) return false;
  return true;
}

// The first frame through the X server into BUFFER, and from the screen file into the other one:
// the file is used from now on only when it showed the same picture.
bool captureFirstFrame(VideoEncoder& encoder, int buffer) {
  if (!captureThroughX(encoder, buffer)) return false;
  uint8_t* other = static_cast<uint8_t*>(encoder.bits[(buffer + 1) % videoBuffers]);
  if (!readScreenFile(encoder.screenFile, encoder.screen, encoder.area, other) ||
      !samePictures(encoder.bits[buffer], other, frameBytes(encoder))) {
    std::fprintf(stderr, "vishost: the screen file does not show the plug-in's picture; frames come through the X server\n");
    closeScreenFile(encoder.screenFile);
  }
  return true;
}

bool capture(VideoEncoder& encoder, int buffer) {
  if (!encoder.screenFile.view) return captureThroughX(encoder, buffer);
  if (encoder.framesCaptured == 0) return captureFirstFrame(encoder, buffer);
  return readScreenFile(encoder.screenFile, encoder.screen, encoder.area, static_cast<uint8_t*>(encoder.bits[buffer]));
}

std::string stoppedTaking(const VideoEncoder& encoder) {
  return "the video encoder stopped taking frames after frame " + std::to_string(encoder.framesWritten);
}

}  // namespace

bool openVideoEncoder(VideoEncoder& encoder, const std::string& screenFile, bool i420, std::string& error) {
  encoder.i420 = i420;
  if (!screenFile.empty() && !openScreenFile(encoder.screenFile, screenFile, error)) return false;
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
  if (!encoder.writer && !startStream(encoder, error)) return false;
  const double start = nowSeconds();
  WaitForSingleObject(encoder.emptied[encoder.next], INFINITE);
  const double freed = nowSeconds();
  encoder.waitSeconds += freed - start;
  if (encoder.failed) {
    error = stoppedTaking(encoder);
    return false;
  }
  const int buffer = encoder.next;
  if (!capture(encoder, buffer)) {
    SetEvent(encoder.emptied[buffer]);
    error = "cannot capture the screen";
    return false;
  }
  encoder.captureSeconds += nowSeconds() - freed;
  ++encoder.framesCaptured;
  encoder.next = (encoder.next + 1) % videoBuffers;
  SetEvent(encoder.filled[buffer]);
  return true;
}

void reportEncoderTimes(const VideoEncoder& encoder) {
  if (encoder.framesCaptured == 0) return;
  const double frames = double(encoder.framesCaptured);
  std::printf("benchmark: capture %.2f ms a frame, waited %.2f ms a frame for the writer (the pipe and the encoder), "
              "%lld frames\n",
              encoder.captureSeconds * 1000 / frames, encoder.waitSeconds * 1000 / frames, encoder.framesCaptured);
}

void closeVideoEncoder(VideoEncoder& encoder) {
  if (encoder.writer) {  // every captured frame written, then the writer told to stop
    for (HANDLE emptied : encoder.emptied) WaitForSingleObject(emptied, INFINITE);
    encoder.stopping = 1;
    SetEvent(encoder.filled[encoder.next]);
    WaitForSingleObject(encoder.writer, INFINITE);
    CloseHandle(encoder.writer);
  }
  for (int i = 0; i < videoBuffers; ++i) {
    if (encoder.dib[i]) DeleteObject(encoder.dib[i]);
    if (encoder.filled[i]) CloseHandle(encoder.filled[i]);
    if (encoder.emptied[i]) CloseHandle(encoder.emptied[i]);
  }
  closeScreenFile(encoder.screenFile);
  if (encoder.memory) DeleteDC(encoder.memory);
  if (encoder.screen) ReleaseDC(nullptr, encoder.screen);
  if (encoder.out != INVALID_HANDLE_VALUE) CloseHandle(encoder.out);
  encoder = VideoEncoder{};
}
