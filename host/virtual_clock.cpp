#include "virtual_clock.h"

#include <cmath>

uint32_t virtualMilliseconds(const VirtualClock& clock) {
  return virtualStartMs + uint32_t(clock.frame * 1000 / clock.fps);
}

int64_t virtualTicks(const VirtualClock& clock) { return clock.frame * virtualTicksPerSecond / clock.fps; }

int64_t virtualMicroseconds(const VirtualClock& clock) { return clock.frame * 1000000 / clock.fps; }

int64_t videoFrameCount(double seconds, int fps) { return std::llround(seconds * fps); }

PlaybackStatus playlistStatusAt(const std::vector<PlaylistEntry>& entries, int64_t elapsedUs) {
  PlaybackStatus status;
  int64_t entryStartUs = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const PlaylistEntry& entry = entries[i];
    const int64_t frame = (elapsedUs - entryStartUs) * entry.sampleRate / 1000000;
    if (frame < entry.lengthFrames) {
      status.state = PlayState::playing;
      status.index = int(i);
      status.audibleFrame = frame;
      status.sampleRate = entry.sampleRate;
      status.lengthFrames = entry.lengthFrames;
      return status;
    }
    entryStartUs += (entry.lengthFrames * 1000000 + entry.sampleRate - 1) / entry.sampleRate;
  }
  return status;
}

double playlistSeconds(const std::vector<PlaylistEntry>& entries) {
  double seconds = 0;
  for (const PlaylistEntry& entry : entries) seconds += double(entry.lengthFrames) / entry.sampleRate;
  return seconds;
}
