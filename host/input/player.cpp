#include "player.h"

#include <algorithm>
#include <cstdio>

#include "wave_output.h"

namespace {

constexpr DWORD pollMs = 5;

void publish(Player& player, const PlaybackStatus& status) {
  EnterCriticalSection(&player.lock);
  player.status = status;
  LeaveCriticalSection(&player.lock);
}

// Opens the device for `audio` unless muted; the first failure is reported once and the rest
// of the run is muted.
bool openDevice(Player& player, const PcmAudio& audio, size_t firstFrame, WaveOutput& output) {
  if (player.mute) return false;
  std::string error;
  if (openWaveOutput(audio, firstFrame, output, error)) return true;
  std::fprintf(stderr, "vishost: no audio output device (%s); playing muted\n", error.c_str());
  player.mute = true;
  return false;
}

// The frame the entry starts at: --start for the first, within the track.
int64_t firstFrameOf(const Player& player, int index) {
  if (index != 0) return 0;
  const PcmAudio& audio = player.tracks[0];
  return std::min(int64_t(player.startSeconds * audio.sampleRate), int64_t(audio.frameCount()));
}

// Plays one entry to its end (true) or until a stop is requested (false).
bool playTrack(Player& player, int index) {
  const PcmAudio& audio = player.tracks[size_t(index)];
  const int64_t firstFrame = firstFrameOf(player, index);
  PlaybackStatus status;
  status.state = PlayState::playing;
  status.index = index;
  status.sampleRate = audio.sampleRate;
  status.lengthFrames = int64_t(audio.frameCount());
  status.audibleFrame = firstFrame;
  publish(player, status);
  WaveOutput output;
  const bool onDevice = openDevice(player, audio, size_t(firstFrame), output);
  PlayClock clock;
  clock.start(timeGetTime());
  bool paused = false;
  while (!player.stopRequested) {
    if (player.pauseRequested != paused) {
      paused = player.pauseRequested;
      if (onDevice) pauseWaveOutput(output, paused);
      if (paused) clock.pause(timeGetTime());
      else clock.resume(timeGetTime());
    }
    if (onDevice) {
      feedWaveOutput(audio, output);
      status.audibleFrame = audibleWaveFrame(output);
    } else {
      status.audibleFrame = firstFrame + int64_t(clock.elapsedMs(timeGetTime())) * audio.sampleRate / 1000;
    }
    status.state = paused ? PlayState::paused : PlayState::playing;
    if (status.audibleFrame >= status.lengthFrames) break;
    publish(player, status);
    if (onDevice) WaitForSingleObject(output.blockDone, pollMs);
    else Sleep(pollMs);
  }
  closeWaveOutput(output);
  return !player.stopRequested;
}

DWORD WINAPI playerThread(LPVOID parameter) {
  Player& player = *static_cast<Player*>(parameter);
  for (int index = 0; index < int(player.tracks.size()); ++index)
    if (!playTrack(player, index)) break;
  publish(player, PlaybackStatus{});
  return 0;
}

}  // namespace

void initPlayer(Player& player) { InitializeCriticalSection(&player.lock); }

void startPlayer(Player& player) {
  player.status = PlaybackStatus{};
  player.stopRequested = false;
  player.pauseRequested = false;
  if (!player.tracks.empty()) {
    player.status.state = PlayState::playing;
    player.status.sampleRate = player.tracks[0].sampleRate;
    player.status.lengthFrames = int64_t(player.tracks[0].frameCount());
    player.status.audibleFrame = firstFrameOf(player, 0);
  }
  player.thread = CreateThread(nullptr, 0, playerThread, &player, 0, nullptr);
}

PlaybackStatus playerStatus(Player& player) {
  EnterCriticalSection(&player.lock);
  const PlaybackStatus status = player.status;
  LeaveCriticalSection(&player.lock);
  return status;
}

void pausePlayer(Player& player, bool pause) { player.pauseRequested = pause; }

void stopPlayer(Player& player) {
  if (!player.thread) return;
  player.stopRequested = true;
  WaitForSingleObject(player.thread, INFINITE);
  CloseHandle(player.thread);
  player.thread = nullptr;
}
