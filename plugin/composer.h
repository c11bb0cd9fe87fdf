// Render: the back buffer's preparation, one scheduler step, the overlays and the present.
#pragma once

#include <cstdint>

#include "vis_module.h"

struct ComposerState {
  int frameCount;
  int playPosition;
  std::int64_t trackLength;  // 64 bits: the host may report up to 2^31 - 1 seconds
  char currentTitle[128];
  int framesPerSecond;
  DWORD lastFpsTime;
  int lastFpsCount;
  IDirectDrawSurface* feedbackSource;
  IDirectDrawSurface* feedbackTarget;
};

extern ComposerState composer;

// The title's grey at full strength (the overlays' 0xDCDCDC).
constexpr int fullGrey = 220;

// One frame onto the display as it stands (the window mode has had its say before).
int renderFrame(const VisModule& module);
void drawTitleText(int grey);
int formatPlayTime(int positionMs, std::int64_t lengthMs, char* buffer);
// Frames per second over the last interval, computed in 64 bits so it survives long runs.
int framesPerSecondOver(int frames, int lastFrames, DWORD elapsedMs);
// The title grey of the current frame, or -1 for no title strip; may change titleReshow.
int titleGrey(int positionMs, std::int64_t lengthMs, bool* redraw);

// Init's step before the display: a fresh composer.
void resetComposer();
// What buildDisplay (entry.cpp) does on each display it builds, in this order: the title strip
// prepared, the time strips and the back buffer cleared, and the surfaces Super Shells zooms from
// and presents with remembered (the first frame takes them too).
void prepareTitleStrip(const VisModule& module);
void clearTimeBitmaps();
void clearBackBuffer();
void rememberFeedbackSurfaces();
