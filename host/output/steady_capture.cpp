#include "steady_capture.h"

#include <windows.h>

#include <cstdio>

#include "screen_capture.h"

namespace {

std::string slotPath(const SteadyCapture& capture, int slot) {
  char name[32];
  std::snprintf(name, sizeof name, "\\frame%05d.bmp", slot);
  return capture.folder + name;
}

}  // namespace

bool captureDueSlots(SteadyCapture& capture, double seconds) {
  const int slot = int(seconds * capture.framesPerSecond);
  if (slot <= capture.lastSlot) return true;
  // Where the picture is now (a window may have moved), at the size of the first capture: the
  // frames of one video keep one size.
  const RECT area = pictureArea();
  if (capture.width == 0) capture.width = area.right - area.left, capture.height = area.bottom - area.top;
  const RECT steady = {area.left, area.top, area.left + capture.width, area.top + capture.height};
  if (!captureScreenArea(steady, slotPath(capture, slot))) return false;
  // Slots skipped since the last capture keep the picture they would have shown (the first
  // capture also fills the slots before it).
  const int source = capture.lastSlot >= 0 ? capture.lastSlot : slot;
  for (int missed = capture.lastSlot + 1; missed < slot; ++missed)
    CopyFileA(slotPath(capture, source).c_str(), slotPath(capture, missed).c_str(), FALSE);
  capture.lastSlot = slot;
  return true;
}
