#include "playback.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::string> titles = {"First", "Second % half"};

PlaybackStatus at(PlayState state, int index, int64_t frame) {
  PlaybackStatus s;
  s.state = state;
  s.index = index;
  s.audibleFrame = frame;
  s.sampleRate = 44100;
  s.lengthFrames = 44100 * 185 + 30000;  // 185.68 s
  return s;
}

const char* titleAnswer(const PlaybackStatus& s, uintptr_t index) {
  return reinterpret_cast<const char*>(answerHostQuery(s, titles, index, 212));
}

}  // namespace

TEST(HostQueries, WhilePlayingAndPausedAnswerPositionLengthIndexAndTitles) {
  for (PlayState state : {PlayState::playing, PlayState::paused}) {
    const PlaybackStatus s = at(state, 1, 44100 * 12 + 441);
    EXPECT_EQ(answerHostQuery(s, titles, 0, 105), 12010);
    EXPECT_EQ(answerHostQuery(s, titles, 1, 105), 186);
    EXPECT_EQ(answerHostQuery(s, titles, 2, 105), 185680);  // 44100 x 185 + 30000 frames
    EXPECT_EQ(answerHostQuery(s, titles, 0, 104), state == PlayState::playing ? 1 : 3);
    EXPECT_EQ(answerHostQuery(s, titles, 0, 124), 2);
    EXPECT_EQ(answerHostQuery(s, titles, 0, 0), 0x5066);  // a 5.x player: at least 0x2900 and 0x5000
    EXPECT_EQ(answerHostQuery(s, titles, 0, 125), 1);
    EXPECT_STREQ(titleAnswer(s, 1), "Second % half");
    EXPECT_STREQ(titleAnswer(s, 0), "First");
    EXPECT_EQ(titleAnswer(s, 2), nullptr);
    EXPECT_EQ(titleAnswer(s, uintptr_t(-1)), nullptr);
  }
}

TEST(HostQueries, WhenStoppedTimesAreMinusOneButThePlaylistStillAnswers) {
  const PlaybackStatus s = at(PlayState::stopped, 0, 0);
  EXPECT_EQ(answerHostQuery(s, titles, 0, 105), -1);
  EXPECT_EQ(answerHostQuery(s, titles, 1, 105), -1);
  EXPECT_EQ(answerHostQuery(s, titles, 0, 125), 0);
  EXPECT_EQ(answerHostQuery(s, titles, 0, 104), 0);
  EXPECT_STREQ(titleAnswer(s, 0), "First");
  EXPECT_EQ(answerHostQuery(s, titles, 0, 999), 0);
}

TEST(PlayClock, PausedTimeDoesNotCountAndTheCounterMayWrap) {
  PlayClock clock;
  const uint32_t start = 0xFFFFF000u;  // 4096 ms before the counter wraps
  clock.start(start);
  EXPECT_EQ(clock.elapsedMs(start + 1000), 1000u);
  clock.pause(start + 3000);
  EXPECT_EQ(clock.elapsedMs(start + 9000), 3000u);
  clock.pause(start + 9500);  // a second pause keeps the first moment
  clock.resume(start + 10000);
  EXPECT_EQ(clock.elapsedMs(start + 10500), 3500u);
  clock.resume(start + 11000);  // resuming while playing changes nothing
  EXPECT_EQ(clock.elapsedMs(start + 11000), 4000u);
}
