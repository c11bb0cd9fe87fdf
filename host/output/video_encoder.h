// The encoder sink of an offline render: after each Render the plug-in window's client area is
// captured and written, raw, to the video encoder reading vishost's standard output (ffmpeg, run
// by tools/render.sh). The stream starts with one text line "frames WIDTHxHEIGHT", then each
// frame is WIDTH x HEIGHT pixels of 4 bytes (blue, green, red, unused), top row first; or, asked
// for I420, the line "frames WIDTHxHEIGHT yuv420p" and each frame in I420 (yuv_frame.h).
//
// The picture is captured into one of four buffers and converted and written by a thread of its
// own, so the pipe and the encoder behind it take one frame while the plug-in draws the next. With
// the X server's screen file (screen_file.h) the capture is a copy from memory; the first frame is
// captured both ways, and when they differ every frame comes through the X server, as without it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "screen_file.h"

constexpr int videoBuffers = 4;  // frames captured ahead of the writer

struct VideoEncoder {
  HANDLE out = INVALID_HANDLE_VALUE;  // the encoder's pipe
  HDC screen = nullptr, memory = nullptr;
  HBITMAP dib[videoBuffers] = {};
  void* bits[videoBuffers] = {};
  int next = 0;  // the buffer the next capture goes into
  RECT area = {};  // the captured rectangle on the screen
  ScreenFile screenFile;  // open: frames are read from it
  bool i420 = false;      // frames go out as I420
  std::vector<uint8_t> converted;  // the writer's I420 picture
  HANDLE writer = nullptr;
  HANDLE filled[videoBuffers] = {}, emptied[videoBuffers] = {};  // events: a buffer waits for the writer; the writer is done with it
  volatile LONG failed = 0;             // the writer could not write: the encoder stopped taking frames
  volatile LONG stopping = 0;
  long long framesCaptured = 0;
  volatile LONG64 framesWritten = 0;
  double captureSeconds = 0, waitSeconds = 0;  // spent capturing; waiting for the writer to free a buffer
};

// Takes the standard output for the video and points the C library's standard output at standard
// error, so that every status line goes there. Call before anything is printed. SCREEN_FILE (may
// be empty) is the X server's screen file; I420 asks for I420 frames.
bool openVideoEncoder(VideoEncoder& encoder, const std::string& screenFile, bool i420, std::string& error);
// Captures the picture now on the screen and hands it to the writer; the first frame fixes the size.
// False once the encoder stops taking frames.
bool encodeFrame(VideoEncoder& encoder, std::string& error);
// One line on standard output: the capture's and the wait's share of each frame.
void reportEncoderTimes(const VideoEncoder& encoder);
void closeVideoEncoder(VideoEncoder& encoder);  // writes what is captured; the encoder then sees the end of its input
