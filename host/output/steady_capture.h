// Frames captured at a steady rate on the visualisation clock (DIR\frame00000.bmp, ...): a slot
// missed because a frame took long repeats the last picture, so the files make an even video.
#pragma once

#include <string>

struct SteadyCapture {
  std::string folder;
  int framesPerSecond = 15;
  int lastSlot = -1;
};

// Captures the screen into every slot that has come due by `seconds`. False when a file fails.
bool captureDueSlots(SteadyCapture& capture, double seconds);
