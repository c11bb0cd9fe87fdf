#include "main_loop.h"

#include <gtest/gtest.h>

#include <cstring>

#include "beat_detector.h"
#include "scripted_random.h"

TEST(Keys, EachKeyChangesOnlyItsOwnFlag) {
    std::memset(charKeyDown, 0, sizeof charKeyDown);
    std::memset(specialKeyDown, 0, sizeof specialKeyDown);
    setCharKey('a', 1);
    setSpecialKey(27, 1);  // a special key with the Escape code is not Escape
    EXPECT_EQ(charKeyDown['a'], 1);
    EXPECT_FALSE(escapeHeld());
    setCharKey(kEscapeKey, 1);
    EXPECT_TRUE(escapeHeld());
    setCharKey(kEscapeKey, 0);
    EXPECT_FALSE(escapeHeld()) << "released before the next idle call: no exit";
    setCharKey('a', 0);
    EXPECT_EQ(charKeyDown['a'], 0);
}

TEST(Keys, CodesOutsideTheTablesAreIgnored) {
    std::memset(charKeyDown, 0, sizeof charKeyDown);
    std::memset(specialKeyDown, 0, sizeof specialKeyDown);
    for (int key : {128, 200, 255, 256, -1, 100000}) {
        setCharKey(key, 1);
        setSpecialKey(key, 1);
    }
    for (int i = 0; i < kKeyCount; ++i) {
        ASSERT_EQ(charKeyDown[i], 0) << i;
        ASSERT_EQ(specialKeyDown[i], 0) << i;
    }
}

TEST(Camera, EyeOnTheUpAxisFallsBackToTheFixedEye) {
    ScriptedRandom::start({0, 120, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(chooseEye(false).z, 250);
    EXPECT_EQ(ScriptedRandom::script().size(), 9u) << "the fixed eye draws nothing";
    for (int i = 0; i < 2; ++i) {
        const EyePoint e = chooseEye(true);
        EXPECT_EQ(e.x, 0);
        EXPECT_EQ(e.y, 0);
        EXPECT_EQ(e.z, 250);
    }
    EXPECT_EQ(chooseEye(true).z, 1) << "off the axis the random eye stands";
    ScriptedRandom::stop();
}

TEST(Projection, ZeroHeightCountsAsOne) {
    EXPECT_DOUBLE_EQ(aspectRatio(640, 480), 640.0 / 480);
    EXPECT_DOUBLE_EQ(aspectRatio(640, 0), 640.0);
    EXPECT_DOUBLE_EQ(aspectRatio(0, 0), 0.0);
}

TEST(SwapRule, DuringWarmUpOnlyTheFirstFrameIsShown) {
    resetBeatDetector();
    detectBeats();
    EXPECT_TRUE(frameIsShown());
    int shown = 0;
    for (int i = 2; i < 1200; ++i) {
        detectBeats();
        shown += frameIsShown() ? 1 : 0;
    }
    EXPECT_EQ(shown, 0);
    detectBeats();  // frame 1200 wraps the ring: the first full-scene frame
    EXPECT_TRUE(frameIsShown());
    detectBeats();
    EXPECT_TRUE(frameIsShown());
}
