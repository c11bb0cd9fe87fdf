// The screen read straight from the X server's memory. Xvfb started with -fbdir keeps its screen in
// a file it maps and draws into (XWD: a header, a colour map, then the pixels); a render reads each
// frame from there instead of asking the server for a copy through the X connection (BitBlt from
// the screen: 7 to 8 ms a 1920 x 1080 frame on a quiet machine).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

struct ScreenFile {
  HANDLE file = INVALID_HANDLE_VALUE, mapping = nullptr;
  const uint8_t* view = nullptr;
  const uint8_t* pixels = nullptr;  // the top left pixel: blue, green, red, unused
  int width = 0, height = 0;
  size_t stride = 0;  // bytes from one row to the next
};

// Maps the file at PATH (a Windows path); false with a one-line reason when it is no 24-bit screen
// of 4 bytes a pixel.
bool openScreenFile(ScreenFile& screen, const std::string& path, std::string& error);
// Copies AREA (screen coordinates, inside the screen) into OUT, rows of 4 bytes a pixel without
// gaps, once the X server has drawn everything this process asked of it: the one-pixel read from
// SCREEN_DC before the copy waits for that.
bool readScreenFile(const ScreenFile& screen, HDC screenDc, const RECT& area, uint8_t* out);
void closeScreenFile(ScreenFile& screen);
