// Live sound arriving as a raw capture stream (signed 16-bit little-endian, stereo, 44100 Hz, in
// pieces of any size), kept as its newest frames for the spectrum and waveform.
#pragma once

#include <cstddef>
#include <cstdint>

#include "frequency_bins.h"

constexpr int liveSampleRate = 44100;
constexpr int liveChannels = 2;
constexpr int liveFrameBytes = 2 * liveChannels;

struct LivePcm {
  int16_t ring[visEntries][liveChannels] = {};  // frame n sits at n % visEntries
  uint64_t frames = 0;                           // whole frames received so far
  uint8_t partial[liveFrameBytes] = {};          // the start of a frame cut between two pieces
  int partialBytes = 0;
};

// Adds the next piece of the stream; a frame split across pieces is joined.
void pushLiveBytes(LivePcm& pcm, const uint8_t* bytes, size_t count);

// The newest visEntries frames per channel, oldest first; silence before the first frame.
void newestLiveWindow(const LivePcm& pcm, int16_t window[liveChannels][visEntries]);
