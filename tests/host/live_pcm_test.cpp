#include "live_pcm.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Frame n of the test stream: left n, right -n (as little-endian bytes).
std::vector<uint8_t> streamBytes(int firstFrame, int frames) {
  std::vector<uint8_t> bytes;
  for (int n = firstFrame; n < firstFrame + frames; ++n)
    for (int16_t v : {int16_t(n), int16_t(-n)}) {
      bytes.push_back(uint8_t(uint16_t(v) & 0xff));
      bytes.push_back(uint8_t(uint16_t(v) >> 8));
    }
  return bytes;
}

}  // namespace

TEST(LivePcm, WindowIsSilentBeforeTheStreamAndNewestLast) {
  LivePcm pcm;
  const std::vector<uint8_t> bytes = streamBytes(1, 100);
  pushLiveBytes(pcm, bytes.data(), bytes.size());
  int16_t window[liveChannels][visEntries];
  newestLiveWindow(pcm, window);
  // Frames 1..100 fill the last 100 entries; the 476 before them are silence.
  EXPECT_EQ(window[0][475], 0);
  EXPECT_EQ(window[0][476], 1);
  EXPECT_EQ(window[0][575], 100);
  EXPECT_EQ(window[1][575], -100);
}

TEST(LivePcm, FramesSplitAcrossPiecesAndRingWrapKeepTheirOrder) {
  LivePcm pcm;
  const std::vector<uint8_t> bytes = streamBytes(1, 2000);
  // Pieces of 1, 3, 5, 7... bytes: frames and samples cut at every possible place.
  for (size_t at = 0, piece = 1; at < bytes.size(); at += piece, piece += 2)
    pushLiveBytes(pcm, bytes.data() + at, std::min(piece, bytes.size() - at));
  EXPECT_EQ(pcm.frames, 2000u);
  int16_t window[liveChannels][visEntries];
  newestLiveWindow(pcm, window);
  for (int i = 0; i < visEntries; ++i) {
    ASSERT_EQ(window[0][i], 2000 - visEntries + 1 + i) << i;
    ASSERT_EQ(window[1][i], -(2000 - visEntries + 1 + i)) << i;
  }
}
