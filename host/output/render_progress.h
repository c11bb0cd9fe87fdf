// The progress of an offline render on standard error: "render: frame K of N (P %), S x real
// time, M:SS left", twice a second of wall time, on the frame that starts each tenth and on the
// last frame. tools/render.sh shows it in place on a terminal, else one line per tenth.
#pragma once

#include <cstdint>
#include <string>

struct RenderProgress {
  int64_t frames = 0;  // in the whole render
  int fps = 60;
  double lastLineAt = -1;  // wall seconds
  int lastTenth = -1;
};

std::string progressLine(int64_t frame, int64_t frames, int fps, double wallSeconds);
// Prints the line for `frame` (from 1) when one is due; `wallSeconds` since the render began.
void reportProgress(RenderProgress& progress, int64_t frame, double wallSeconds);
