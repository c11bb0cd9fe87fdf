#include "playback.h"

namespace {
constexpr intptr_t queryVersion = 0;
constexpr intptr_t queryPlayState = 104;
constexpr intptr_t queryPlayTime = 105;
constexpr intptr_t queryListLength = 124;
constexpr intptr_t queryListIndex = 125;
constexpr intptr_t queryEntryTitle = 212;
}  // namespace

intptr_t answerHostQuery(const PlaybackStatus& status, const std::vector<std::string>& titles, uintptr_t wParam,
                         intptr_t lParam) {
  switch (lParam) {
    case queryVersion:
      return playerVersion;
    case queryPlayState:
      return status.state == PlayState::playing ? 1 : status.state == PlayState::paused ? 3 : 0;
    case queryPlayTime:
      if (status.state == PlayState::stopped) return -1;
      if (wParam == 0) return status.positionMs();
      if (wParam == 2) return intptr_t(status.lengthFrames * 1000 / status.sampleRate);
      return wParam == 1 ? status.lengthSeconds() : 0;
    case queryListLength:
      return intptr_t(titles.size());
    case queryListIndex:
      return status.index;
    case queryEntryTitle:
      return wParam < titles.size() ? reinterpret_cast<intptr_t>(titles[wParam].c_str()) : 0;
    default:
      return 0;
  }
}

void PlayClock::start(uint32_t now) {
  startMs = now;
  paused = false;
}

void PlayClock::pause(uint32_t now) {
  if (paused) return;
  pausedAtMs = now;
  paused = true;
}

void PlayClock::resume(uint32_t now) {
  if (!paused) return;
  startMs += now - pausedAtMs;
  paused = false;
}

uint32_t PlayClock::elapsedMs(uint32_t now) const { return (paused ? pausedAtMs : now) - startMs; }
