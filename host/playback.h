// What the player is doing, as the plug-in's queries see it, and the clock that runs playback
// when there is no sound device to follow.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class PlayState { stopped, playing, paused };

struct PlaybackStatus {
  PlayState state = PlayState::stopped;
  int index = 0;                 // playlist entry
  int64_t audibleFrame = 0;      // sample frame of the entry being heard now
  int sampleRate = 44100;
  int64_t lengthFrames = 0;

  int positionMs() const { return int(audibleFrame * 1000 / sampleRate); }
  int lengthSeconds() const { return int((lengthFrames + sampleRate / 2) / sampleRate); }
};

// The version the player reports (5.66): plug-ins compare it with 0x2900 or 0x5000.
constexpr intptr_t playerVersion = 0x5066;

// The player's reply to WM_USER with (wParam, lParam): (0, 0) its version; (0, 104) 1 playing,
// 3 paused, 0 stopped; (0, 105) position in ms, (1, 105) length in seconds, (2, 105) length in ms,
// all -1 when nothing plays; (0, 124) the playlist's length; (0, 125) the playlist index;
// (index, 212) a pointer to that entry's title, null outside the playlist; 0 for anything else.
intptr_t answerHostQuery(const PlaybackStatus& status, const std::vector<std::string>& titles, uintptr_t wParam,
                         intptr_t lParam);

// Milliseconds of playback on a free-running clock (any unsigned 32-bit millisecond counter);
// the time spent paused does not count.
struct PlayClock {
  uint32_t startMs = 0;
  uint32_t pausedAtMs = 0;
  bool paused = false;

  void start(uint32_t now);
  void pause(uint32_t now);
  void resume(uint32_t now);
  uint32_t elapsedMs(uint32_t now) const;
};
