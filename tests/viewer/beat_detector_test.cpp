#include "beat_detector.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "frame_reader.h"

namespace {
// Feeds band levels straight into the detector, one call per frame.
class Detector : public testing::Test {
protected:
    void SetUp() override {
        resetBeatDetector();
        frameRate.framesPerSecond = 25;
    }
    void frame(const std::array<int32_t, 8>& levels) {
        std::copy(levels.begin(), levels.end(), beat.bandLevel);
        detectBeats();
    }
    void frames(int n, const std::array<int32_t, 8>& levels) {
        for (int i = 0; i < n; ++i) frame(levels);
    }
    static std::array<int32_t, 8> all(int32_t v) { return {v, v, v, v, v, v, v, v}; }
};
}  // namespace

TEST(BandLevels, EachBandIsTheTruncatedMeanOf36RowsOfChannelZero) {
    for (int k = 0; k < 288; ++k) {
        spectrumFrame.value[k][0] = k;
        spectrumFrame.value[k][1] = 1000000;  // channel 1 feeds nothing
    }
    computeBandLevels();
    for (int b = 0; b < 8; ++b) EXPECT_EQ(beat.bandLevel[b], (36 * b * 36 + 630) / 36) << "band " << b;

    for (int k = 0; k < 288; ++k) spectrumFrame.value[k][0] = (k < 36) ? (k < 35 ? -1 : 0) : 71;
    computeBandLevels();
    EXPECT_EQ(beat.bandLevel[0], 0) << "-35 / 36 truncates toward zero";
    EXPECT_EQ(beat.bandLevel[1], 71);
}

TEST(BandLevels, ExtremeValuesDoNotOverflow) {
    for (int k = 0; k < 288; ++k) spectrumFrame.value[k][0] = (k < 144) ? INT32_MAX : INT32_MIN;
    computeBandLevels();
    EXPECT_EQ(beat.bandLevel[0], INT32_MAX);
    EXPECT_EQ(beat.bandLevel[7], INT32_MIN);
}

TEST(FrameRate, FirstFrameSetsOneThenEachSecondPublishesItsCount) {
    resetBeatDetector();
    EXPECT_EQ(frameRate.framesPerSecond, 25);
    countFrameRateAt(1000);
    EXPECT_EQ(frameRate.framesPerSecond, 1);
    for (int i = 0; i < 59; ++i) countFrameRateAt(1000);
    EXPECT_EQ(frameRate.framesPerSecond, 1) << "unchanged within a second";
    countFrameRateAt(1001);
    EXPECT_EQ(frameRate.framesPerSecond, 60) << "59 frames of second 1000 and the one that saw 1001";
}

TEST_F(Detector, FirstFrameWritesSlotOneAndWarmUpLastsExactly1199Calls) {
    frame(all(0));
    EXPECT_EQ(beat.historyIndex, 1);
    frames(1198, all(0));
    EXPECT_EQ(beat.historyIndex, 1199);
    EXPECT_EQ(beat.historyWarmingUp, 1);
    frame(all(0));
    EXPECT_EQ(beat.historyIndex, 0);
    EXPECT_EQ(beat.historyWarmingUp, 0);
    frames(1300, all(0));
    EXPECT_EQ(beat.historyWarmingUp, 0) << "the warm-up never comes back";
}

TEST_F(Detector, ConstantInputGivesNoBeatOnceTheRingIsFull) {
    frames(1200, all(100));
    frames(50, all(100));
    for (int b = 0; b < 8; ++b) EXPECT_EQ(beat.bandBeat[b], 0);
    for (int g = 0; g < 4; ++g) {
        EXPECT_EQ(beat.groupActive[g], 0);
        EXPECT_EQ(beat.groupOnset[g], 0);
    }
    EXPECT_EQ(ringAverage(beat.bandRunningSum[3]), 100);
    EXPECT_EQ(ringAverage(beat.groupRunningSum[0]), 800);
}

TEST_F(Detector, LoudFrameAfterSilenceBeatsItsBandAndStartsItsGroups) {
    frames(1300, all(10));
    std::array<int32_t, 8> loud = all(10);
    loud[4] = 1000;
    frame(loud);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(beat.bandBeat[b], b == 4 ? 1 : 0) << "band " << b;
    EXPECT_EQ(beat.groupActive[0], 1);
    EXPECT_EQ(beat.groupActive[1], 0);
    EXPECT_EQ(beat.groupActive[2], 1) << "bands 3..5";
    EXPECT_EQ(beat.groupActive[3], 0);
    EXPECT_EQ(beat.groupOnset[0], 1);
    EXPECT_EQ(beat.groupOnset[2], 1);
    EXPECT_EQ(beat.framesSinceActive[0], 0);
    EXPECT_EQ(beat.lastOnsetInterval, 0) << "two onsets in one frame: the second records 0";
}

TEST_F(Detector, GroupsAddBandsZeroToTwoThreeToFiveAndSixToSeven) {
    frame({1, 2, 4, 8, 16, 32, 64, 128});
    EXPECT_EQ(beat.groupLevel[0], 255);
    EXPECT_EQ(beat.groupLevel[1], 1 + 2 + 4);
    EXPECT_EQ(beat.groupLevel[2], 8 + 16 + 32);
    EXPECT_EQ(beat.groupLevel[3], 64 + 128);
}

TEST_F(Detector, SingleGroupOnsetRecordsTheFramesSinceThePreviousOnset) {
    // Band 0 carries all the energy, so group 0 ignores a small rise in band 6.
    std::array<int32_t, 8> base = {1000, 0, 0, 0, 0, 0, 0, 0};
    std::array<int32_t, 8> tick = base;
    tick[6] = 100;
    frames(1300, base);
    frame(tick);
    EXPECT_EQ(beat.groupOnset[3], 1);
    EXPECT_EQ(beat.groupActive[0], 0);
    frames(40, base);
    frame(tick);
    EXPECT_EQ(beat.groupOnset[3], 1);
    EXPECT_EQ(beat.lastOnsetInterval, 41);
}

TEST_F(Detector, RunOfActiveFramesGivesOneOnsetOnItsFirstFrame) {
    std::array<int32_t, 8> base = {1000, 0, 0, 0, 0, 0, 0, 0};
    frames(1300, base);
    int onsets = 0, active = 0;
    for (int i = 0; i < 6; ++i) {
        std::array<int32_t, 8> tick = base;
        tick[7] = 100 + 10 * i;
        frame(tick);
        onsets += beat.groupOnset[3];
        active += beat.groupActive[3];
        if (i == 0) {
            EXPECT_EQ(beat.groupOnset[3], 1);
        }
    }
    EXPECT_EQ(active, 6);
    EXPECT_EQ(onsets, 1);
}

TEST_F(Detector, RenewedActivityIsAnOnsetOnlyAfterAnEighthOfASecond) {
    std::array<int32_t, 8> base = {1000, 0, 0, 0, 0, 0, 0, 0};
    std::array<int32_t, 8> tick = base;
    tick[6] = 100;
    frames(1300, base);
    ASSERT_EQ(frameRate.framesPerSecond / 8, 3);
    frame(tick);
    frames(2, base);
    frame(tick);  // third frame after: not more than 3
    EXPECT_EQ(beat.groupActive[3], 1);
    EXPECT_EQ(beat.groupOnset[3], 0);
    frames(3, base);
    frame(tick);  // fourth frame after
    EXPECT_EQ(beat.groupOnset[3], 1);
}

TEST_F(Detector, BandBeatsOnlyAboveTwoAndAHalfTimesItsAverage) {
    frames(1300, all(100));
    std::array<int32_t, 8> level = all(100);
    level[0] = 250;  // average (1199 x 100 + 250) / 1200 = 100, not below 250 / 2.5
    frame(level);
    EXPECT_EQ(beat.bandBeat[0], 0);
    level[0] = 251;  // average (1198 x 100 + 250 + 251) / 1200 = 100 < 100.4
    frame(level);
    EXPECT_EQ(beat.bandBeat[0], 1);
}

TEST_F(Detector, NegativeLevelsAverageLikePositiveOnes) {
    frames(1200, all(-5));
    EXPECT_EQ(beat.bandRunningSum[0], -6000);
    EXPECT_EQ(ringAverage(beat.bandRunningSum[0]), -5);
    frame(all(-3));
    EXPECT_EQ(ringAverage(beat.bandRunningSum[0]), -4) << "-5998 / 1200 truncates toward zero";
    EXPECT_EQ(beat.bandBeat[0], 1) << "-4 < -3 / 2.5";
}

TEST_F(Detector, RunningSumsAlwaysEqualTheSumOfTheRing) {
    std::mt19937 gen(3);
    std::uniform_int_distribution<int32_t> level(-500, 5000);
    for (int i = 0; i < 3000; ++i) {
        std::array<int32_t, 8> v;
        for (auto& x : v) x = level(gen);
        frame(v);
    }
    for (int row = 0; row < 12; ++row) {
        int64_t sum = 0;
        for (int s = 0; s < 1200; ++s) sum += beat.levelHistory[row][s];
        EXPECT_EQ(sum, row < 8 ? beat.bandRunningSum[row] : beat.groupRunningSum[row - 8]) << "row " << row;
    }
}

TEST_F(Detector, LoudestPossibleInputKeepsExactSums) {
    frames(1300, all(INT32_MAX));
    EXPECT_EQ(beat.groupLevel[0], 8 * int64_t{INT32_MAX});
    EXPECT_EQ(beat.groupRunningSum[0], 1200 * 8 * int64_t{INT32_MAX});
    EXPECT_EQ(beat.groupActive[0], 0);
}
