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

int renderFrame(const VisModule& module);
void drawTitleText(int grey);
int formatPlayTime(int positionMs, std::int64_t lengthMs, char* buffer);
// Frames per second over the last interval, computed in 64 bits so it survives long runs.
int framesPerSecondOver(int frames, int lastFrames, DWORD elapsedMs);
// The title grey of the current frame, or -1 for no title strip; may change titleReshow.
int titleGrey(int positionMs, std::int64_t lengthMs, bool* redraw);

// Init's steps: a fresh composer before the display, then the strips and the back buffer.
void resetComposer();
// The surfaces Super Shells zooms from and presents with: taken at the first frame and again
// whenever the display is rebuilt.
void rememberFeedbackSurfaces();
void prepareTitleStrip(const VisModule& module);
void clearTimeBitmaps();
void clearBackBuffer();
