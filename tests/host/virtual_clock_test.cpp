#include "virtual_clock.h"

#include <gtest/gtest.h>

#include "render_progress.h"

TEST(VirtualClock, FrameTimesComeFromTheFrameNumberSoAnHourAtSixtyFpsEndsOnTheHour) {
  VirtualClock clock{60, 0};
  EXPECT_EQ(virtualMilliseconds(clock), virtualStartMs);
  // 16.67, 33.33 and 50 ms: the whole milliseconds below each.
  for (auto [frame, ms] : {std::pair{1, 16u}, {2, 33u}, {3, 50u}}) {
    clock.frame = frame;
    EXPECT_EQ(virtualMilliseconds(clock) - virtualStartMs, ms) << "frame " << frame;
  }
  clock.frame = 216000;  // an hour
  EXPECT_EQ(virtualMilliseconds(clock) - virtualStartMs, 3600000u);
  EXPECT_EQ(virtualTicks(clock), 3600LL * virtualTicksPerSecond);
}

TEST(VirtualClock, PlaylistPositionFollowsTheClockAcrossEntriesOfDifferentRates) {
  const std::vector<PlaylistEntry> playlist = {{88200, 44100}, {22050, 22050}};  // 2 s, then 1 s
  EXPECT_DOUBLE_EQ(playlistSeconds(playlist), 3.0);
  EXPECT_EQ(videoFrameCount(playlistSeconds(playlist), 60), 180);

  PlaybackStatus s = playlistStatusAt(playlist, 1500000);
  EXPECT_EQ(s.state, PlayState::playing);
  EXPECT_EQ(s.index, 0);
  EXPECT_EQ(s.audibleFrame, 66150);

  s = playlistStatusAt(playlist, 2500000);
  EXPECT_EQ(s.index, 1);
  EXPECT_EQ(s.audibleFrame, 11025);
  EXPECT_EQ(s.sampleRate, 22050);

  EXPECT_EQ(playlistStatusAt(playlist, 3000000).state, PlayState::stopped);
}

TEST(RenderProgress, LineGivesFramePercentSpeedAndTimeLeft) {
  // 600 frames at 60 fps are 10 s of video, drawn in 5 s: twice real time, 1800 frames left.
  EXPECT_EQ(progressLine(600, 2400, 60, 5.0), "render: frame 600 of 2400 (25 %), 2.00x real time, 0:15 left");
  EXPECT_EQ(progressLine(30, 5400, 60, 10.0), "render: frame 30 of 5400 (0 %), 0.05x real time, 29:50 left");
}
