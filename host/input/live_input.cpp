#include "live_input.h"

#include <cstdio>

namespace {

DWORD WINAPI readerThread(LPVOID parameter) {
  LiveInput& input = *static_cast<LiveInput*>(parameter);
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  uint8_t buffer[4096];
  DWORD got = 0;
  while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    EnterCriticalSection(&input.lock);
    pushLiveBytes(input.pcm, buffer, got);
    LeaveCriticalSection(&input.lock);
  }
  std::fprintf(stderr, "vishost: the live input has ended\n");
  input.ended = true;
  return 0;
}

}  // namespace

// One reader for the whole process: a later run (--runs) only starts its elapsed time again.
void startLiveInput(LiveInput& input) {
  input.clock.start(timeGetTime());
  if (input.thread) return;
  InitializeCriticalSection(&input.lock);
  input.thread = CreateThread(nullptr, 0, readerThread, &input, 0, nullptr);
}

PlaybackStatus liveStatus(LiveInput& input) {
  PlaybackStatus status;
  if (input.ended) return status;
  status.state = PlayState::playing;
  status.sampleRate = liveSampleRate;
  status.audibleFrame = int64_t(input.clock.elapsedMs(timeGetTime())) * liveSampleRate / 1000;
  status.lengthFrames = 0;
  return status;
}

void takeLiveAudio(LiveInput& input, int spectrumChannels, int waveformChannels, VisAudio& out) {
  int16_t window[liveChannels][visEntries];
  EnterCriticalSection(&input.lock);
  newestLiveWindow(input.pcm, window);
  LeaveCriticalSection(&input.lock);
  visAudioFromWindow(window, spectrumChannels, waveformChannels, out);
}
