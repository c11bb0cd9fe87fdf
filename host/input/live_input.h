// Live sound for the plug-in: raw PCM (signed 16-bit little-endian, stereo, 44100 Hz) read from
// standard input on a thread of its own, for example from `parec` recording the monitor of the
// desktop's output. Nothing is played back: the desktop already plays it.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "live_pcm.h"
#include "playback.h"
#include "vis_audio.h"

struct LiveInput {
  CRITICAL_SECTION lock;
  LivePcm pcm;
  PlayClock clock;
  std::atomic<bool> ended{false};
  HANDLE thread = nullptr;
};

// Starts reading standard input and the elapsed-time clock.
void startLiveInput(LiveInput& input);

// Playing from the start, entry 0, for as long as the input lasts; the length is 0.
PlaybackStatus liveStatus(LiveInput& input);

// The arrays from the newest frames received.
void takeLiveAudio(LiveInput& input, int spectrumChannels, int waveformChannels, VisAudio& out);
