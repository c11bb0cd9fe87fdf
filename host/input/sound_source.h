// The ways sound comes in, behind one small interface: the player (files or the demo song, heard
// through the wave output or on a free clock), live input (PCM on standard input) and the
// playlist on the virtual clock (nothing heard; its position follows the video's frame). The frame
// loop asks its source what is audible and takes the spectrum and waveform for that moment.
#pragma once

#include <vector>

#include "live_input.h"
#include "player.h"
#include "playback.h"
#include "vis_audio.h"
#include "virtual_clock.h"

// The sound handed to the plug-in with one frame.
struct SoundForFrame {
  int sampleRate = 44100;
  int channels = 2;
  VisAudio audio;
};

struct SoundSource {
  void* state;
  void (*start)(void* state);  // before Init
  PlaybackStatus (*status)(void* state);  // what is audible now (any thread)
  // The arrays for `status`, `latencyMs` ahead of what is audible, with the channels asked for.
  void (*take)(void* state, const PlaybackStatus& status, int latencyMs, int spectrumChannels, int waveformChannels,
               SoundForFrame& out);
  void (*pause)(void* state, bool paused);
  void (*stop)(void* state);  // after Quit
};

SoundSource playerSource(Player& player);
SoundSource liveSource(LiveInput& live);

// The player's tracks as a playlist on the virtual clock.
struct VirtualPlaylist {
  const Player* player;
  std::vector<PlaylistEntry> entries;
  const VirtualClock* clock;
};
SoundSource virtualPlaylistSource(VirtualPlaylist& playlist);
