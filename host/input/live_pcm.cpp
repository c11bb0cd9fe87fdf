#include "live_pcm.h"

namespace {

void storeFrame(LivePcm& pcm, const uint8_t* frame) {
  int16_t* slot = pcm.ring[pcm.frames % visEntries];
  for (int c = 0; c < liveChannels; ++c) slot[c] = int16_t(uint16_t(frame[2 * c] | frame[2 * c + 1] << 8));
  ++pcm.frames;
}

}  // namespace

void pushLiveBytes(LivePcm& pcm, const uint8_t* bytes, size_t count) {
  while (count > 0 && pcm.partialBytes > 0) {
    pcm.partial[pcm.partialBytes++] = *bytes++;
    --count;
    if (pcm.partialBytes == liveFrameBytes) {
      storeFrame(pcm, pcm.partial);
      pcm.partialBytes = 0;
    }
  }
  for (; count >= size_t(liveFrameBytes); count -= liveFrameBytes, bytes += liveFrameBytes) storeFrame(pcm, bytes);
  for (; count > 0; --count) pcm.partial[pcm.partialBytes++] = *bytes++;
}

void newestLiveWindow(const LivePcm& pcm, int16_t window[liveChannels][visEntries]) {
  for (int i = 0; i < visEntries; ++i) {
    // Entry i holds frame (frames - visEntries + i); before the stream began that is silence.
    const uint64_t back = uint64_t(visEntries - i);
    for (int c = 0; c < liveChannels; ++c)
      window[c][i] = back <= pcm.frames ? pcm.ring[(pcm.frames - back) % visEntries][c] : int16_t(0);
  }
}
