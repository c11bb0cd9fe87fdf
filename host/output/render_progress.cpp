#include "render_progress.h"

#include <cstdio>

std::string progressLine(int64_t frame, int64_t frames, int fps, double wallSeconds) {
  const double speed = wallSeconds > 0 ? double(frame) / fps / wallSeconds : 0;
  const int64_t leftSeconds = frame > 0 ? int64_t(wallSeconds / double(frame) * double(frames - frame) + 0.5) : 0;
  char line[160];
  std::snprintf(line, sizeof line, "render: frame %lld of %lld (%d %%), %.2fx real time, %lld:%02lld left",
                static_cast<long long>(frame), static_cast<long long>(frames),
                frames > 0 ? int(frame * 100 / frames) : 100, speed, static_cast<long long>(leftSeconds / 60),
                static_cast<long long>(leftSeconds % 60));
  return line;
}

void reportProgress(RenderProgress& progress, int64_t frame, double wallSeconds) {
  const int tenth = progress.frames > 0 ? int(frame * 10 / progress.frames) : 10;
  if (tenth == progress.lastTenth && frame != progress.frames && wallSeconds - progress.lastLineAt < 0.5) return;
  progress.lastTenth = tenth;
  progress.lastLineAt = wallSeconds;
  std::fprintf(stderr, "%s\n", progressLine(frame, progress.frames, progress.fps, wallSeconds).c_str());
  std::fflush(stderr);
}
