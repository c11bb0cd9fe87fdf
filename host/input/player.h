// The player: its own thread plays the playlist through the wave output (or, muted, on a free
// clock) and publishes what is audible for the visualisation thread and the host window.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "playback.h"
#include "wav_reader.h"

struct Player {
  std::vector<PcmAudio> tracks;
  std::vector<std::string> titles;
  bool mute = false;
  double startSeconds = 0;  // where the first entry starts

  CRITICAL_SECTION lock;
  PlaybackStatus status;
  std::atomic<bool> pauseRequested{false};
  std::atomic<bool> stopRequested{false};
  HANDLE thread = nullptr;
};

void initPlayer(Player& player);   // before any other call
void startPlayer(Player& player);  // plays from the first entry (again, after stopPlayer)
PlaybackStatus playerStatus(Player& player);
void pausePlayer(Player& player, bool pause);
void stopPlayer(Player& player);  // stops playback and waits for the player's thread
