#include "steady_capture.h"

#include <windows.h>

#include <cstdio>

#include "plugin_window.h"
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
  // The picture where it is now and at the size it has now (a window may have moved or been resized).
  if (!captureScreenArea(pluginPictureArea(), slotPath(capture, slot))) return false;
  // Slots skipped since the last capture keep the picture they would have shown (the first
  // capture also fills the slots before it).
  const int source = capture.lastSlot >= 0 ? capture.lastSlot : slot;
  for (int missed = capture.lastSlot + 1; missed < slot; ++missed)
    CopyFileA(slotPath(capture, source).c_str(), slotPath(capture, missed).c_str(), FALSE);
  capture.lastSlot = slot;
  return true;
}
