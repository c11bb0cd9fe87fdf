// The encoder sink of an offline render: after each Render the plug-in window's client area is
// captured and written, raw, to the video encoder reading vishost's standard output (ffmpeg, run
// by tools/render.sh). The stream starts with one text line "frames WIDTHxHEIGHT", then each
// frame is WIDTH x HEIGHT pixels of 4 bytes (blue, green, red, unused), top row first.
#pragma once

#include <windows.h>

#include <string>

struct VideoEncoder {
  HANDLE out = INVALID_HANDLE_VALUE;  // the encoder's pipe
  HDC screen = nullptr, memory = nullptr;
  HBITMAP dib = nullptr;
  void* bits = nullptr;
  RECT area = {};  // the captured rectangle on the screen
  long long framesWritten = 0;
};

// Takes the standard output for the video and points the C library's standard output at standard
// error, so that every status line goes there. Call before anything is printed.
bool openVideoEncoder(VideoEncoder& encoder, std::string& error);
// Captures the picture now on the screen and writes it; the first frame fixes the size.
bool encodeFrame(VideoEncoder& encoder, std::string& error);
void closeVideoEncoder(VideoEncoder& encoder);  // the encoder then sees the end of its input
