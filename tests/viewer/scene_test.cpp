#include "scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "beat_detector.h"
#include "main_loop.h"
#include "scripted_random.h"
#include "tga.h"

namespace {
std::vector<std::pair<std::string, GLuint>> loads;
int recordLoad(const char* path, GLuint name) {
    loads.emplace_back(path, name);
    return 1;
}

constexpr float kInf = std::numeric_limits<float>::infinity();

class SceneTest : public testing::Test {
protected:
    void SetUp() override {
        resetScene();
        resetBeatDetector();
        fillRingTables();
        frameRate.framesPerSecond = 30;
        loads.clear();
        sceneTextureLoader = recordLoad;
        ScriptedRandom::start();
    }
    void TearDown() override {
        EXPECT_TRUE(ScriptedRandom::script().empty()) << ScriptedRandom::script().size() << " scripted draws unused";
        EXPECT_EQ(ScriptedRandom::unscriptedDraws(), 0) << "draws beyond the script";
        ScriptedRandom::stop();
        sceneTextureLoader = loadTgaTexture;
        resetScene();
    }
    // Counters at 1: a scene change brings them to 0, one short of firing, so it draws only the
    // tint and the hold.
    static void quietCounters() {
        scene.styleCountdown = scene.depthSwingCountdown = scene.modeCountdown = scene.spinCountdown = 1;
    }
    static void setWhole(int64_t level, int64_t average) {
        beat.groupLevel[0] = level;
        beat.groupRunningSum[0] = average * 1200;
    }
    static std::vector<Circle*> circleList() {
        std::vector<Circle*> v;
        for (Circle* c = scene.circles; c != nullptr; c = c->next) v.push_back(c);
        return v;
    }
};

using Load = std::pair<std::string, GLuint>;
}  // namespace

// ---- scene director -------------------------------------------------------------------

TEST_F(SceneTest, FirstSceneChangeChangesStyleAndStartsASpinPeriod) {
    ScriptedRandom::add({50, 20, 80,  // tint
                         0, 5, 3, 0,  // boom style, background 5 + 2, style countdown 3 + 2, rings
                         2, 1,        // depth swing on (2 <= 2), its countdown
                         4,           // spin countdown
                         10});        // hold draw: 10, but spinning holds nothing
    changeScene();
    EXPECT_FLOAT_EQ(scene.tintRed, 0.5f);
    EXPECT_FLOAT_EQ(scene.tintGreen, 0.2f);
    EXPECT_FLOAT_EQ(scene.tintBlue, 0.8f);
    EXPECT_EQ(scene.spriteGrey, 1.0f) << "mean tint 0.5 is not light";
    EXPECT_EQ(scene.circleStyle, 0);
    EXPECT_EQ(scene.spriteGrowth, 5);
    EXPECT_EQ(scene.styleCountdown, 5);
    EXPECT_EQ(scene.barsMode, 0);
    EXPECT_EQ(scene.depthSwing, 1);
    EXPECT_EQ(scene.depthSwingCountdown, 1);
    EXPECT_EQ(scene.modeCountdown, 0) << "the motion first toggles at the second change";
    EXPECT_EQ(scene.fallingMode, 1);
    EXPECT_EQ(scene.spinMode, 1);
    EXPECT_EQ(scene.spinCountdown, 4);
    EXPECT_EQ(scene.sceneHoldCountdown, 0);
    EXPECT_EQ(loads, (std::vector<Load>{{"./textures/circles_boom.tga", 1}, {"./textures/bgd_7.tga", 2}, {"./textures/bgd_1.tga", 2}}));
    EXPECT_EQ(ScriptedRandom::bounds(), (std::vector<int>{100, 100, 100, 2, 14, 8, 2, 9, 3, 14, 11}));
}

TEST_F(SceneTest, SecondSceneChangeTogglesTheMotionAndDarkensSpritesOnALightTint) {
    ScriptedRandom::add({50, 20, 80, 0, 13, 3, 0, 2, 1, 4, 10});
    changeScene();
    EXPECT_EQ(loads[1], Load("./textures/bgd_15.tga", 2)) << "numbered backgrounds reach 15";
    loads.clear();
    ScriptedRandom::add({90, 90, 90, 2, 3});  // tint, mode countdown, hold
    changeScene();
    EXPECT_EQ(scene.spriteGrey, 0.0f);
    EXPECT_EQ(scene.burstMode, 1);
    EXPECT_EQ(scene.fallingMode, 0);
    EXPECT_EQ(scene.modeCountdown, 2);
    EXPECT_EQ(scene.styleCountdown, 4);
    EXPECT_EQ(ScriptedRandom::bounds().back(), 11);
    EXPECT_EQ(ScriptedRandom::bounds().end()[-2], 3) << "bursting lasts random 3";
    quietCounters();
    scene.modeCountdown = 0;
    ScriptedRandom::add({10, 10, 10, 6, 0});
    changeScene();
    EXPECT_EQ(scene.fallingMode, 1) << "and back to falling";
    EXPECT_EQ(scene.burstMode, 0);
    EXPECT_EQ(scene.modeCountdown, 6);
    EXPECT_EQ(ScriptedRandom::bounds().end()[-2], 7) << "falling lasts random 7";
    EXPECT_TRUE(loads.empty());
}

TEST_F(SceneTest, FlowerStyleDuringSpinLoadsHeartsThenTheSpinBackground) {
    scene.spinMode = 1;
    scene.styleCountdown = 0;
    scene.spinCountdown = 5;
    ScriptedRandom::add({90, 90, 90, 1, 0, 1, 5, 0, 10});
    changeScene();
    EXPECT_EQ(scene.circleStyle, 1);
    EXPECT_EQ(scene.spriteGrey, 1.0f) << "flowers stay white whatever the tint";
    EXPECT_EQ(scene.styleCountdown, 2);
    EXPECT_EQ(scene.barsMode, 1);
    EXPECT_EQ(scene.depthSwing, 0);
    EXPECT_EQ(loads, (std::vector<Load>{{"./textures/circles_flower.tga", 1},
                                        {"./textures/bgd_hearts.tga", 2},
                                        {"./textures/bgd_1.tga", 2}}));
    loads.clear();
    ScriptedRandom::add({95, 95, 95, 3});
    quietCounters();
    changeScene();
    EXPECT_EQ(scene.spriteGrey, 1.0f) << "flower style keeps its grey on a light tint";
}

TEST_F(SceneTest, SpinPeriodEndForcesAStyleChangeAndMayHoldTheScene) {
    quietCounters();
    scene.spinMode = 1;
    scene.spinCountdown = 0;
    ScriptedRandom::add({1, 2, 3, 17, 10, 100});  // tint, spin gap, hold draw 10, hold length
    changeScene();
    EXPECT_EQ(scene.spinMode, 0);
    EXPECT_EQ(scene.spinCountdown, 17);
    EXPECT_EQ(scene.styleCountdown, 0);
    EXPECT_EQ(scene.sceneHoldCountdown, 100 + 4 * 30) << "random (8 x fps) + 4 x fps";
    EXPECT_EQ(ScriptedRandom::bounds(), (std::vector<int>{100, 100, 100, 30, 11, 240}));

    ScriptedRandom::add({1, 2, 3, 0, 0, 0, 0, 9});  // the next change changes the style
    scene.depthSwingCountdown = scene.modeCountdown = 5;
    changeScene();
    EXPECT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[1], Load("./textures/bgd_2.tga", 2));
    EXPECT_EQ(scene.sceneHoldCountdown, 0);
}

TEST_F(SceneTest, DirectorChangesAtAnOnsetOnceTheHoldHasRunOut) {
    quietCounters();
    scene.sceneHoldCountdown = 1;
    beat.groupOnset[0] = 1;
    advanceSceneDirector();
    EXPECT_EQ(scene.sceneHoldCountdown, 0) << "hold not yet run out: no change";
    ScriptedRandom::add({40, 40, 40, 0});
    advanceSceneDirector();
    EXPECT_FLOAT_EQ(scene.tintRed, 0.4f);
    EXPECT_EQ(scene.sceneHoldCountdown, 0);
}

TEST_F(SceneTest, DirectorChangesTenSecondsAfterTheHoldWithoutOnsets) {
    quietCounters();
    scene.sceneHoldCountdown = -299;
    advanceSceneDirector();
    EXPECT_EQ(scene.tintRed, 0.0f) << "-300 is not below -10 x fps";
    ScriptedRandom::add({70, 0, 0, 0});
    advanceSceneDirector();
    EXPECT_FLOAT_EQ(scene.tintRed, 0.7f);
}

// ---- circles --------------------------------------------------------------------------

TEST_F(SceneTest, WholeSpectrumOnsetAddsExactlyFiveFallingCircles) {
    beat.groupOnset[0] = 1;
    for (int i = 0; i < 5; ++i) ScriptedRandom::add({100 + i, 7, 20, 0, 4, 5});
    ScriptedRandom::add({0, 0, 0, 0});  // count after each of the four groups
    updateCircles();
    const std::vector<Circle*> list = circleList();
    ASSERT_EQ(list.size(), 5u);
    const Circle& newest = *list[0];
    EXPECT_EQ(newest.x, -96.0f);
    EXPECT_DOUBLE_EQ(newest.y, 207 - 80.0 / 30) << "new circles move in their first frame";
    EXPECT_EQ(newest.z, 30);
    EXPECT_EQ(newest.velocityX, kInf) << "a zero draw gives an infinite velocity";
    EXPECT_EQ(newest.velocityY, 0.25f);
    EXPECT_EQ(newest.velocityZ, 0.2f);
    EXPECT_EQ(list[4]->x, -100.0f) << "oldest last";
    std::vector<int> bounds;
    for (int i = 0; i < 5; ++i) bounds.insert(bounds.end(), {400, 15, 100, 10, 10, 10});
    bounds.insert(bounds.end(), {4, 4, 4, 4});
    EXPECT_EQ(ScriptedRandom::bounds(), bounds);
}

TEST_F(SceneTest, OnsetsInAllGroupsAddFivePlusThreeDrawnCounts) {
    for (int g = 0; g < 4; ++g) beat.groupOnset[g] = 1;
    ScriptedRandom::repeat(1, 5 * 6);
    ScriptedRandom::add({2});  // group 1: 2 + 1 circles
    ScriptedRandom::repeat(1, 3 * 6);
    ScriptedRandom::add({0});  // group 2: 1 circle
    ScriptedRandom::repeat(1, 1 * 6);
    ScriptedRandom::add({3});  // group 3: 4 circles
    ScriptedRandom::repeat(1, 4 * 6);
    ScriptedRandom::add({0});
    updateCircles();
    EXPECT_EQ(countCircles(), 13);
}

TEST_F(SceneTest, WithoutAWholeSpectrumOnsetGroupsAddZeroOrOneCircle) {
    beat.groupOnset[1] = 1;
    ScriptedRandom::add({1});  // after group 0: random 2 -> 1
    ScriptedRandom::repeat(3, 6);
    ScriptedRandom::add({0, 0, 0});
    updateCircles();
    EXPECT_EQ(countCircles(), 1);
    EXPECT_EQ(ScriptedRandom::bounds(), (std::vector<int>{2, 400, 15, 100, 10, 10, 10, 2, 2, 2}));
}

TEST_F(SceneTest, BurstOnsetsInAllGroupsAddUpTo137Circles) {
    scene.fallingMode = 0;
    scene.burstMode = 1;
    for (int g = 0; g < 4; ++g) beat.groupOnset[g] = 1;
    ScriptedRandom::repeat(1, 5 * 5);
    for (int g = 1; g < 4; ++g) {
        ScriptedRandom::add({29});  // random 30 + 15 = 44
        ScriptedRandom::repeat(1, 44 * 5);
    }
    ScriptedRandom::add({0});
    updateCircles();
    EXPECT_EQ(countCircles(), 137);
    const Circle& c = *scene.circles;
    EXPECT_EQ(c.age, 1);
    EXPECT_EQ(c.z, 99);
    EXPECT_GT(c.x, 0.0f) << "sign draw 1 is +1";
    const std::vector<int> firstCircle = {2, 2, 200, 10, 10};
    EXPECT_TRUE(std::equal(firstCircle.begin(), firstCircle.end(), ScriptedRandom::bounds().begin()));
    EXPECT_EQ(ScriptedRandom::bounds()[25], 30) << "count after group 0";
}

TEST_F(SceneTest, FallingCirclesLiveAbout6Point3SecondsAtAnyFrameRate) {
    randomSource = drawZero;
    for (int fps : {10, 25, 60, 144, 500}) {
        resetScene();
        frameRate.framesPerSecond = fps;
        addCircle(scene.circles, 0, 207, 0, 1, 1, 1);
        int frames = 0;
        while (scene.circles != nullptr && frames < 100000) {
            updateCircles();
            ++frames;
        }
        const double seconds = static_cast<double>(frames) / fps;
        EXPECT_GE(seconds, 507.0 / 80) << fps << " fps";
        EXPECT_LE(seconds, 507.0 / 80 + 1.0 / fps + 1e-9) << fps << " fps";
    }
}

// Without a whole-spectrum onset a group bursts random 10 circles, each flying out at plus or minus
// one over its draws; at 10 fps the first frame pushes them 0.02 further sideways and slows them
// vertically by 0.9.
TEST_F(SceneTest, BurstCirclesFlyOutAtOneOverTheirDrawsWithoutAWholeSpectrumOnset) {
    scene.fallingMode = 0;
    scene.burstMode = 1;
    frameRate.framesPerSecond = 10;
    beat.groupOnset[1] = 1;
    ScriptedRandom::add({2});               // after group 0: two circles for group 1
    ScriptedRandom::add({0, 1, 0, 2, 4});   // signs -, +; z 100; 1/2 and 1/4
    ScriptedRandom::add({1, 0, 50, 4, 2});  // signs +, -; z 50; 1/4 and 1/2
    ScriptedRandom::add({0, 0, 0});
    updateCircles();
    EXPECT_EQ(ScriptedRandom::bounds(), (std::vector<int>{10, 2, 2, 200, 10, 10, 2, 2, 200, 10, 10, 10, 10, 10}));
    const std::vector<Circle*> list = circleList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_FLOAT_EQ(list[1]->velocityX, -0.52f);
    EXPECT_FLOAT_EQ(list[1]->velocityY, 0.25f * 0.9f);
    EXPECT_FLOAT_EQ(list[0]->velocityX, 0.27f);
    EXPECT_FLOAT_EQ(list[0]->velocityY, -0.5f * 0.9f);
    EXPECT_EQ(list[1]->z, 100);
    EXPECT_EQ(list[0]->z, 50);
}

TEST_F(SceneTest, BurstCirclesSpeedUpSidewaysAndSlowDownVertically) {
    scene.fallingMode = 0;
    scene.burstMode = 1;
    frameRate.framesPerSecond = 10;
    randomSource = drawZero;
    addCircle(scene.circles, 0, 0, 0, -0.5f, 0.5f, 0);
    updateCircles();
    const Circle& c = *scene.circles;
    EXPECT_FLOAT_EQ(c.velocityX, -0.52f);
    EXPECT_FLOAT_EQ(c.velocityY, 0.45f) << "decays by 1 - 1 / fps";
    EXPECT_NEAR(c.x, -0.52 * 30, 1e-4);
    EXPECT_NEAR(c.y, 0.45 * 30, 1e-4);
    EXPECT_EQ(c.age, 1);
}

TEST_F(SceneTest, BurstCirclesLeavingTheBoxOrWithNonFiniteMotionAreRemoved) {
    scene.fallingMode = 0;
    scene.burstMode = 1;
    randomSource = drawZero;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    addCircle(scene.circles, 0, 0, 0, kInf, 0.5f, 0);
    addCircle(scene.circles, 0, 0, 0, 0.5f, kInf, 0);
    addCircle(scene.circles, 0, 0, 0, 0.5f, 0.5f, kInf);
    addCircle(scene.circles, 0, 0, 0, 0.5f, 0.5f, -kInf);
    addCircle(scene.circles, 0, 0, 0, nan, 0.5f, 0);
    addCircle(scene.circles, 295, 0, 0, 0.5f, 0.5f, 0);  // to x = 300.07: just out
    addCircle(scene.circles, 0, -295.5, 0, 0.5f, -0.5f, 0);  // to y = -300.33: just out
    addCircle(scene.circles, 0, 0, 295, 0.5f, 0.5f, 2);
    addCircle(scene.circles, 1, 2, 3, 0.5f, 0.5f, 0.05f);
    updateCircles();
    ASSERT_EQ(countCircles(), 1);
    EXPECT_EQ(scene.circles->z, 3);
}

TEST_F(SceneTest, FallingCirclesWithUndefinedHeightAreRemoved) {
    randomSource = drawZero;
    addCircle(scene.circles, 0, std::numeric_limits<double>::quiet_NaN(), 0, 1, 1, 1);
    addCircle(scene.circles, 0, 0, 0, kInf, kInf, kInf);
    updateCircles();
    ASSERT_EQ(countCircles(), 1) << "infinite velocities do nothing while falling";
    EXPECT_EQ(scene.circles->velocityX, kInf);
    frameRate.framesPerSecond = 16;  // a step of 5: from -295 to exactly -300, which stays
    scene.circles->y = -295;
    updateCircles();
    ASSERT_EQ(countCircles(), 1);
    updateCircles();
    EXPECT_EQ(countCircles(), 0);
}

TEST_F(SceneTest, ListsUnlinkHeadMiddleAndTail) {
    for (int i = 0; i < 4; ++i) addCircle(scene.circles, static_cast<float>(i), 0, 0, 0, 0, 0);
    std::vector<Circle*> v = circleList();  // x = 3, 2, 1, 0
    removeCircle(v[1], scene.circles);
    removeCircle(v[0], scene.circles);
    removeCircle(v[3], scene.circles);
    ASSERT_EQ(scene.circles, v[2]);
    EXPECT_EQ(scene.circles->previous, nullptr);
    EXPECT_EQ(scene.circles->next, nullptr);
    for (int i = 0; i < 3; ++i) addRing(scene.rings, static_cast<float>(i), 0, 0);
    Ring* middle = scene.rings->next;
    removeRing(middle, scene.rings);
    EXPECT_EQ(scene.rings->next->previous, scene.rings);
    EXPECT_EQ(countRings(), 2);
}

TEST_F(SceneTest, SpriteSizeFollowsTheLevelAndShrinksWhileSpinning) {
    setWhole(257, 0);
    scene.depthSwing = 1;
    SpriteSize s = spriteSize();
    EXPECT_EQ(s.size, 25.0) << "integer tenth of the level";
    EXPECT_EQ(s.drift, 128.5);
    scene.spinMode = 1;
    beat.groupActive[2] = 1;
    EXPECT_DOUBLE_EQ(spriteSize().size, 25.0 / 6 + 1);
    beat.groupActive[0] = 1;
    EXPECT_DOUBLE_EQ(spriteSize().size, 25.0 / 7 + 10);
    beat.groupActive[0] = beat.groupActive[2] = 0;
    EXPECT_DOUBLE_EQ(spriteSize().size, 25.0 / 6);
}

// ---- background, rings, bars ----------------------------------------------------------

TEST_F(SceneTest, BackgroundIsBlackBeforeTheFirstSceneChange) {
    setWhole(800, 400);
    const Quad q = backgroundQuad();
    EXPECT_EQ(q.colour[0], 0.0f);
    EXPECT_EQ(q.colour[1], 0.0f);
    EXPECT_EQ(q.colour[2], 0.0f);
    EXPECT_FLOAT_EQ(q.colour[3], 0.2f) << "6 / fps";
    const float z = q.corner[0][2];
    const float corners[4][3] = {{-200, -150, z}, {200, -150, z}, {200, 150, z}, {-200, 150, z}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::vector<float>(q.corner[i], q.corner[i] + 3), std::vector<float>(corners[i], corners[i] + 3)) << i;
}

TEST_F(SceneTest, BackgroundBrightnessFollowsLevelOverAverageDimmerWhileSpinningBlackInSilence) {
    scene.tintRed = 0.5f;
    scene.tintGreen = 0.25f;
    scene.tintBlue = 0.75f;
    setWhole(500, 400);  // 1 + (250 - 400) / 1200 + 0.0001 = 0.8751
    beat.groupActive[0] = beat.groupOnset[0] = 1;
    beat.lastOnsetInterval = 10;
    Quad q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.colour[0], 0.43755f);
    EXPECT_FLOAT_EQ(q.colour[1], 0.218775f);
    EXPECT_FLOAT_EQ(q.colour[2], 0.656325f);
    EXPECT_FLOAT_EQ(q.colour[3], 1.0f) << "onset: 8 x 6 / 30, kept within 0..1";
    scene.spinMode = 1;  // base 0.7: 0.5751, and onsets leave the alpha alone
    q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.colour[0], 0.28755f);
    EXPECT_FLOAT_EQ(q.colour[1], 0.143775f);
    EXPECT_FLOAT_EQ(q.colour[2], 0.431325f);
    EXPECT_FLOAT_EQ(q.colour[3], 0.2f);
    scene.tintRed = scene.tintGreen = scene.tintBlue = 1;
    setWhole(0, 400);
    q = backgroundQuad();
    EXPECT_EQ(q.colour[0] + q.colour[1] + q.colour[2], 0.0f);
}

TEST_F(SceneTest, SpriteCornersAndAlphaOfEachMotionStyle) {
    using Corners = std::vector<std::vector<float>>;
    auto corners = [](const Quad& q) {
        Corners c;
        for (const auto& v : q.corner) c.push_back({v[0], v[1], v[2]});
        return c;
    };
    scene.spriteGrowth = 5;
    scene.spriteGrey = 0.0f;
    scene.depthSwing = 1;
    const Circle c{10, 20, 3, 0, 0, 0, 6, nullptr, nullptr};
    Quad q = circleQuad(c, {4, 2.5});  // S 4, D 2.5, G 5
    EXPECT_EQ(corners(q), (Corners{{3.5f, 15, 5.5f}, {21.5f, 15, 5.5f}, {21.5f, 29, 5.5f}, {3.5f, 29, 5.5f}}));
    EXPECT_EQ(std::vector<float>(q.colour, q.colour + 4), (std::vector<float>{0, 0, 0, 1.0f}));
    scene.depthSwing = 0;
    q = circleQuad(c, {4, 2.5});
    EXPECT_EQ(corners(q), (Corners{{1, 15, 0}, {19, 15, 0}, {19, 29, 0}, {1, 29, 0}}));
    EXPECT_EQ(q.colour[3], 0.8f);
    scene.fallingMode = 0;
    scene.burstMode = 1;
    q = circleQuad(c, {4, 2.5});
    EXPECT_EQ(corners(q), (Corners{{0, 14, 5.5f}, {20, 14, 5.5f}, {20, 30, 5.5f}, {0, 30, 5.5f}}));
}

TEST_F(SceneTest, BurstSpritesFadeWithAge) {
    scene.fallingMode = 0;
    scene.burstMode = 1;
    Circle c{0, 0, 0, 0, 0, 0, 6, nullptr, nullptr};
    EXPECT_FLOAT_EQ(circleQuad(c, {4, 0}).colour[3], 0.5f) << "0.1 x fps / age";
    c.age = 1;
    EXPECT_EQ(circleQuad(c, {4, 0}).colour[3], 1.0f) << "kept within 0..1";
}

TEST_F(SceneTest, BackgroundJumpsForwardOnABeatAndSinksBack) {
    setWhole(500, 100);
    beat.groupActive[0] = 1;
    beat.groupOnset[0] = 1;
    beat.lastOnsetInterval = 10;
    frameRate.framesPerSecond = 60;
    Quad q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.corner[0][2], 440 / 1.7f) << "500 - 50 - 10";
    EXPECT_FLOAT_EQ(q.colour[3], 0.8f) << "onset alpha x 8";
    beat.groupActive[0] = beat.groupOnset[0] = 0;
    q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.corner[0][2], 380 / 1.7f);
    EXPECT_FLOAT_EQ(q.colour[3], 0.1f);
    scene.backgroundDepth = 30;
    q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.corner[0][2], 490 / 1.7f) << "below zero it snaps back to the level";
}

TEST_F(SceneTest, ZeroOnsetIntervalKeepsTheBackgroundFinite) {
    setWhole(500, 100);
    beat.groupActive[0] = 1;
    beat.lastOnsetInterval = 0;
    EXPECT_FLOAT_EQ(backgroundQuad().corner[0][2], 490 / 1.7f);
    beat.groupActive[0] = 0;
    setWhole(300, 100);
    EXPECT_FLOAT_EQ(backgroundQuad().corner[0][2], 290 / 1.7f);
    setWhole(0, -1);
    beat.groupActive[0] = 1;  // 0 / 0
    const Quad q = backgroundQuad();
    EXPECT_FLOAT_EQ(q.corner[0][2], -10 / 1.7f);
    EXPECT_TRUE(std::isfinite(scene.backgroundDepth));
}

TEST_F(SceneTest, ColoursStayWithinZeroToOneForNegativeOrZeroAverages) {
    scene.tintRed = 0.5f;
    scene.tintGreen = 0.0f;
    scene.tintBlue = 1.0f;
    for (int64_t average : {int64_t{0}, int64_t{-1}, int64_t{-1000}}) {
        for (int64_t level : {int64_t{5}, int64_t{-1}, int64_t{-5000}}) {
            setWhole(level, average);
            const Quad q = backgroundQuad();
            for (float c : q.colour) {
                EXPECT_GE(c, 0.0f) << level << " / " << average;
                EXPECT_LE(c, 1.0f) << level << " / " << average;
            }
            float ring[4];
            ringColour(ring);
            EXPECT_GE(ring[3], 0.0f);
            EXPECT_LE(ring[3], 1.0f);
        }
    }
}

TEST_F(SceneTest, StartBackgroundIsTheWhiteQuadAtDepthZero) {
    setWhole(50, 0);
    beat.groupOnset[0] = 1;
    beat.lastOnsetInterval = 5;
    Quad q = startBackgroundQuad();
    EXPECT_EQ(std::vector<float>(q.colour, q.colour + 4), (std::vector<float>{1, 1, 1, 0.2f})) << "alpha 6 / 30";
    EXPECT_EQ(q.corner[3][2], 0.0f);
    EXPECT_EQ(q.corner[3][0], -200.0f);
    EXPECT_EQ(scene.backgroundDepth, 30.0f) << "50 - 50 / 5 - 10";
    beat.lastOnsetInterval = 0;
    startBackgroundQuad();
    EXPECT_EQ(scene.backgroundDepth, 40.0f) << "an infinite step snaps back to the level";
}

TEST_F(SceneTest, RingsAppearAtOnsetsWithALineWidthOfAtLeastFive) {
    beat.groupOnset[0] = 1;
    ScriptedRandom::add({250, 100});
    EXPECT_EQ(updateRings(), 5.0f);
    EXPECT_EQ(ScriptedRandom::bounds(), (std::vector<int>{400, 320}));
    ASSERT_EQ(countRings(), 1);
    EXPECT_EQ(scene.rings->x, 50.0f);
    EXPECT_EQ(scene.rings->y, -60.0);
    EXPECT_EQ(scene.rings->age, 1);
    EXPECT_FLOAT_EQ(scene.rings->growth, 80.0f / 30);
    scene.tintRed = 0.25f;
    scene.tintGreen = 0.5f;
    scene.tintBlue = 0.75f;
    setWhole(1, 0);
    float colour[4];
    ringColour(colour);
    EXPECT_EQ(std::vector<float>(colour, colour + 3), (std::vector<float>{0.25f, 0.5f, 0.75f})) << "the tint";
    EXPECT_FLOAT_EQ(colour[3], 15.925f / 30) << "(16 - 12 / 160) / fps";
    beat.groupOnset[0] = 0;
    scene.backgroundDepth = 10.7f;
    EXPECT_EQ(updateRings(), 23.0f);
    scene.backgroundDepth = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(updateRings(), 5.0f);
    scene.backgroundDepth = 1e30f;
    EXPECT_EQ(updateRings(), 1024.0f);
}

TEST_F(SceneTest, RingIsRemovedWhenItsRadiusFirstExceeds500) {
    frameRate.framesPerSecond = 16;  // growth 5 per frame
    addRing(scene.rings, 0, 0, 0);
    for (int i = 0; i < 100; ++i) updateRings();
    ASSERT_EQ(countRings(), 1) << "radius exactly 500";
    float p[2];
    ringPoint(*scene.rings, 15, p);
    EXPECT_NEAR(p[0], 500, 1e-3);
    EXPECT_NEAR(p[1], 0, 1e-3);
    updateRings();
    EXPECT_EQ(countRings(), 0);
}

TEST_F(SceneTest, RingsLiveAbout6Point25SecondsAtAnyFrameRate) {
    for (int fps : {10, 25, 60, 144}) {
        frameRate.framesPerSecond = fps;
        addRing(scene.rings, 0, 0, 0);
        int frames = 0;
        while (scene.rings != nullptr && frames <= 8 * fps) {
            updateRings();
            ++frames;
        }
        const double seconds = static_cast<double>(frames) / fps;
        EXPECT_GE(seconds, 6.25) << fps;
        EXPECT_LE(seconds, 6.25 + 1.0 / fps + 1e-6) << fps;
    }
}

TEST_F(SceneTest, BarsStandOnlyForBeatingBands) {
    scene.tintBlue = 0.25f;
    beat.bandBeat[2] = 1;
    beat.bandLevel[2] = 500;
    beat.bandRunningSum[2] = 100 * 1200;
    beat.bandBeat[7] = 1;
    beat.bandLevel[7] = 100;
    beat.bandRunningSum[7] = 120 * 1200;  // negative height
    Quad bars[8];
    ASSERT_EQ(barQuads(bars), 2);
    const Quad& b = bars[0];
    EXPECT_EQ(b.corner[0][0], -101.0f) << "third slot of a 50-unit pitch";
    EXPECT_EQ(b.corner[1][0], -49.0f);
    EXPECT_EQ(b.corner[0][1], 56.0f) << "h = 2 x 400, shrunk by h / 4 at both ends";
    EXPECT_EQ(b.corner[2][1], -56.0f);
    EXPECT_FLOAT_EQ(b.corner[0][2], 800.0f / 6);
    EXPECT_EQ(b.colour[2], 0.25f);
    EXPECT_EQ(b.colour[3], 0.5f);
    EXPECT_EQ(bars[1].corner[0][1], -164.0f) << "negative h (4 x -20) lengthens the bar";
    EXPECT_EQ(bars[1].corner[0][2], -80.0f);
}
