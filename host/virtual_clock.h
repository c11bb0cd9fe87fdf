// The virtual clock of an offline render: video frame k (from 0) is drawn at exactly k / fps
// seconds after the start, worked out from the frame number each time, so no rounding adds up
// however long the video. The plug-in's time functions and the playlist position both read it.
#pragma once

#include <cstdint>
#include <vector>

#include "playback.h"

struct VirtualClock {
  int fps = 60;
  int64_t frame = 0;  // the video frame being drawn
};

// What the plug-in's timeGetTime reads at the start of a render: a fixed value, so every render
// sees the same times (and seeds its random numbers alike).
constexpr uint32_t virtualStartMs = 100000;
// The tick rate the plug-in's QueryPerformanceFrequency reads.
constexpr int64_t virtualTicksPerSecond = 10000000;

uint32_t virtualMilliseconds(const VirtualClock& clock);  // virtualStartMs + k * 1000 / fps
int64_t virtualTicks(const VirtualClock& clock);          // k * virtualTicksPerSecond / fps
int64_t virtualMicroseconds(const VirtualClock& clock);   // since the start

// Video frames for `seconds` of sound: round(seconds * fps).
int64_t videoFrameCount(double seconds, int fps);

// A playlist heard without pause from its start: the entry and sample frame audible after
// `elapsedUs` microseconds; stopped once the last entry has ended.
struct PlaylistEntry {
  int64_t lengthFrames;
  int sampleRate;
};
PlaybackStatus playlistStatusAt(const std::vector<PlaylistEntry>& entries, int64_t elapsedUs);
double playlistSeconds(const std::vector<PlaylistEntry>& entries);
