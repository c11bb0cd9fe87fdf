// The frame composer: Render's order, the Super Shells zoom, overlays, title fades, play time.
#include <algorithm>
#include <tuple>

#include "standin_fixture.h"

namespace {

class ComposerTest : public PluginTest {
 protected:
  // Init for module `which`; the first frame is drawn at time 0, inside the intro.
  void start(int which = 1, const std::string& ini = "") {
    writeIni("[Vexilumarine]\n" + ini);
    getModule(which);
    makeHost();
    ASSERT_EQ(initModule(&visModule), 0);
  }
  void render() { renderModule(&visModule); }
  // Ends the intro: the next frame comes after its ten seconds.
  void passIntro() {
    for (int frame = 0; frame <= 101; ++frame) {
      render();
      standin::advanceTime(100);
    }
    ASSERT_EQ(scheduler.overlaysOn, 1);
  }
  // The traced calls that prepare and present the frame, on the three display surfaces.
  static std::vector<std::string> surfaceCalls() {
    std::vector<std::string> out;
    for (const auto& line :
         standin::callsOf({"IsLost", "Restore", "Blt", "BltFast", "Flip", "GetDC", "ReleaseDC"}))
      if (line.rfind("primary", 0) == 0 || line.rfind("backbuffer", 0) == 0 || line.rfind("zbuffer", 0) == 0)
        out.push_back(line);
    return out;
  }
  // What was drawn on the back buffer's DC (labels "surfaceDC..."), by call name.
  static std::vector<std::string> onScreen(std::string_view name) {
    std::vector<std::string> out;
    for (const auto& args : standin::calls(name))
      if (args.rfind("surfaceDC", 0) == 0) out.push_back(args.substr(args.find(',') + 1));
    return out;
  }
  static std::vector<std::string> textsOn(HDC dc) {
    std::vector<std::string> out;
    const std::string prefix = standin::label(dc) + ",";
    for (const auto& args : standin::calls("TextOutA"))
      if (args.rfind(prefix, 0) == 0) out.push_back(args.substr(prefix.size()));
    return out;
  }
};

const std::string colourFill = std::to_string(DDBLT_COLORFILL | DDBLT_WAIT);
const std::string depthFill = std::to_string(DDBLT_DEPTHFILL | DDBLT_WAIT);

TEST_F(ComposerTest, RenderClearsStepsDrawsOverlaysAndFlips) {
  start(1);
  passIntro();
  standin::clearTrace();
  render();
  const auto order = surfaceCalls();
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[0], "primary1.IsLost()");
  EXPECT_EQ(order[1], "backbuffer1.Blt(null,null,null," + colourFill + ",100,0)");
  EXPECT_EQ(order[2], "zbuffer1.Blt(null,null,null," + depthFill + ",100,65535)");
  EXPECT_EQ(order[3], "backbuffer1.GetDC()");
  EXPECT_EQ(order[4].rfind("backbuffer1.ReleaseDC(surfaceDC", 0), 0u);
  EXPECT_EQ(order[5], "primary1.Flip(null," + std::to_string(DDFLIP_WAIT) + ")");
  // The scheduler's step lies between the Z clear and the overlays.
  const auto& lines = standin::trace();
  const auto zClear = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("zbuffer1.Blt", 0) == 0; });
  const auto draw = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.find("SetLightState") != l.npos; });
  const auto overlays = std::find(lines.begin(), lines.end(), "backbuffer1.GetDC()");
  EXPECT_LT(zClear, draw);
  EXPECT_LT(draw, overlays);
}

TEST_F(ComposerTest, SuperShellsZoomsTheCentreOfThePresentedFrameAndPresentsByBltFast) {
  start(7);
  passIntro();
  standin::clearTrace();
  render();
  const auto order = surfaceCalls();
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[1], "backbuffer1.Blt([0 0 640 480],primary1,[80 60 560 420],0,100,0)");
  EXPECT_EQ(order[5], "primary1.BltFast(0,0,backbuffer1,[0 0 640 480]," + std::to_string(DDBLTFAST_WAIT) + ")");
  EXPECT_EQ(standin::countOf("Flip"), 0);
}

TEST_F(ComposerTest, SuperShellsZoomKeepsTheLetterboxBands) {
  start(7, "widescreen=TRUE\n");
  passIntro();
  standin::clearTrace();
  render();
  EXPECT_EQ(surfaceCalls().at(1), "backbuffer1.Blt([0 30 640 450],primary1,[80 112 560 368],0,100,0)");
}

TEST_F(ComposerTest, OverlaysSitInTheirPlacesAt640x480) {
  hostPosition = 61001;
  start(1, "show FPS=TRUE\nblurred time display=FALSE\n");
  passIntro();
  standin::clearTrace();
  EXPECT_EQ(renderModule(&visModule), 0) << "a drawn frame asks the host to go on";
  EXPECT_EQ(onScreen("TextOutA"),
            (std::vector<std::string>{"580,458,\"10 fps\",6", "10,458,\"01:01.001 / 03:00.000\",21"}));
  EXPECT_EQ(onScreen("BitBlt"),
            std::vector<std::string>{"0,7,640,15," + standin::label(display.titleDC) + ",0,0," +
                                     std::to_string(SRCPAINT)});
  EXPECT_EQ(standin::calls("SetBkMode").at(0).substr(standin::calls("SetBkMode").at(0).find(',') + 1),
            std::to_string(TRANSPARENT));
}

TEST_F(ComposerTest, BlurredTimeBlendsTheNewDigitsIntoItsTrail) {
  hostPosition = 61001;
  start(1, "blurred time display=TRUE\nshow title=FALSE\n");
  passIntro();
  standin::clearTrace();
  render();
  const std::string title = standin::label(display.titleDC), time = standin::label(display.timeDC);
  EXPECT_EQ(textsOn(display.timeDC), std::vector<std::string>{"0,0,\"01:01.001 / 03:00.000\",21"});
  EXPECT_EQ(standin::calls("BitBlt").at(0),
            time + ",0,0,213,15," + time + ",0,0," + std::to_string(BLACKNESS)) << "the strip is cleared first";
  EXPECT_EQ(standin::calls("AlphaBlend"),
            std::vector<std::string>{title + ",0,0,213,15," + time + ",0,0,213,15,0,0,64,0"});
  EXPECT_EQ(onScreen("BitBlt"), std::vector<std::string>{"10,458,213,15," + title + ",0,0," +
                                                         std::to_string(SRCPAINT)});
  EXPECT_EQ(onScreen("TextOutA"), std::vector<std::string>{});
}

TEST_F(ComposerTest, NothingIsDrawnOverTheSceneDuringTheIntroOrWithEveryOverlayOff) {
  start(1, "show FPS=TRUE\n");
  standin::clearTrace();
  render();
  EXPECT_TRUE(onScreen("TextOutA").empty());
  EXPECT_TRUE(onScreen("BitBlt").empty());
  // The strip is still prepared on the first frame: erased, then drawn at full grey.
  EXPECT_EQ(textsOn(display.titleDC),
            (std::vector<std::string>{"10,0,\"Artist - Song\",13", "10,0,\"Artist - Song\",13"}));
  EXPECT_EQ(standin::calls("SetTextColor").at(1), standin::label(display.titleDC) + ",14474460");

  standin::reset();
  resetPluginState();
  standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  start(1, "show FPS=FALSE\nshow time=FALSE\nshow title=FALSE\n");
  passIntro();
  standin::clearTrace();
  render();
  EXPECT_TRUE(onScreen("TextOutA").empty());
  EXPECT_TRUE(onScreen("BitBlt").empty());
  EXPECT_EQ(standin::countOf("Flip"), 1);
}

TEST_F(ComposerTest, FailedOverlayContextStillPresentsTheFrame) {
  start(1);
  passIntro();
  standin::clearTrace();
  standin::failNext("GetDC");
  render();
  EXPECT_EQ(standin::countOf("TextOutA"), 0);
  EXPECT_EQ(standin::countOf("ReleaseDC"), 0);
  EXPECT_EQ(standin::countOf("Flip"), 1);
}

TEST_F(ComposerTest, LostPrimaryIsRestoredAndAllThreeTexturesReloaded) {
  for (const char* file : {"plugins/zev.bmp", "plugins/trees.bmp", "plugins/generated.bmp"})
    standin::addBitmapFile(file, {256, 256, 24, {}});
  start(1);
  ASSERT_NE(display.textureHandles[2], 0u);
  standin::clearTrace();
  standin::loseSurfaces();
  render();
  const auto restores = standin::callsOf({"Restore", "Load"});
  ASSERT_EQ(restores.size(), 7u);
  EXPECT_EQ(restores[0], "primary1.Restore()");
  int textureSurfaceRestores = 0;
  for (int i = 1; i < 7; ++i) textureSurfaceRestores += restores[size_t(i)].find(".Restore") != std::string::npos;
  EXPECT_EQ(textureSurfaceRestores, 3);
  EXPECT_EQ(standin::countOf("Load"), 3);

  standin::clearTrace();
  render();
  EXPECT_EQ(standin::countOf("Restore"), 0);
}

TEST_F(ComposerTest, PositionGoingBackRefreshesTitleAndLength) {
  hostPosition = 90000;
  start(1);
  render();
  render();
  EXPECT_EQ(composer.trackLength, 180000);
  standin::clearTrace();
  hostPosition = 1000;
  hostLengthSeconds = 200;
  hostTitle = "Next - Track";
  render();
  EXPECT_EQ(composer.trackLength, 200000);
  EXPECT_EQ(textsOn(display.titleDC),
            (std::vector<std::string>{"10,0,\"Artist - Song\",13", "10,0,\"Next - Track\",12"}));
  EXPECT_EQ(standin::calls("SetTextColor").at(0), standin::label(display.titleDC) + ",0");
  EXPECT_EQ(standin::calls("SetTextColor").at(1), standin::label(display.titleDC) + ",14474460");
}

TEST_F(ComposerTest, TitleIsDrawnAsDataAndCutTo127Characters) {
  std::string title = "100% %s%n%d ";
  while (title.size() < 200) title += char('a' + title.size() % 26);
  hostTitle = title.c_str();
  start(1);
  render();
  const auto texts = textsOn(display.titleDC);
  ASSERT_GE(texts.size(), 2u) << "erased and drawn on the first frame";
  for (const auto& text : texts) EXPECT_EQ(text, "10,0,\"" + title.substr(0, 127) + "\",127");
  EXPECT_EQ(std::string(composer.currentTitle), title.substr(0, 127));
}

TEST_F(ComposerTest, FrameRateSurvivesAClockWrapAndLongRuns) {
  EXPECT_EQ(framesPerSecondOver(3000000, 2999940, 1000), 60);  // 3e9 overflows 32 bits
  EXPECT_EQ(framesPerSecondOver(2147483647, 2147483587, 1000), 60);
  EXPECT_EQ(framesPerSecondOver(1000, 0, 1000), 1000);
  start(1);
  render();
  composer.frameCount = 119;
  composer.lastFpsCount = 60;
  composer.lastFpsTime = 0xFFFFFC00u;
  standin::setTime(0x18);  // 1048 ms after the last count, across the wrap
  render();
  EXPECT_EQ(composer.framesPerSecond, 57);
  EXPECT_EQ(composer.lastFpsTime, 0x18u);
  EXPECT_EQ(composer.lastFpsCount, 120);
  standin::advanceTime(1000);  // not more than a second: no new figure
  render();
  EXPECT_EQ(composer.framesPerSecond, 57);
}

// The host may report any length in seconds: the longest, 2^31 - 1 s, is 2147483647000 ms.
TEST_F(ComposerTest, LongestTrackKeepsItsLengthInTheTimeAndHidesTheTitleMidTrack) {
  hostLengthSeconds = 2147483647;
  hostPosition = 60000;
  start(1, "blurred time display=FALSE\n");
  passIntro();
  EXPECT_EQ(scheduler.titleReshow, 1);  // the intro ended a minute into the track
  hostPosition = 72001;                 // the reshow's Tp + Tf are over
  render();
  standin::clearTrace();
  render();
  // 2147483647000 ms = 35791394 min 7 s; far from its end, the title is hidden.
  EXPECT_EQ(onScreen("TextOutA"), std::vector<std::string>{"10,458,\"01:12.001 / 35791394:07.000\",27"});
  EXPECT_TRUE(onScreen("BitBlt").empty());
}

TEST(PlayTime, FormatsMinutesSecondsAndMillisOfPositionAndLength) {
  char text[128];
  EXPECT_EQ(formatPlayTime(61001, 180000, text), 21);
  EXPECT_STREQ(text, "01:01.001 / 03:00.000");
  formatPlayTime(0, 0, text);
  EXPECT_STREQ(text, "00:00.000 / 00:00.000");
  formatPlayTime(6000000, 7199999, text);
  EXPECT_STREQ(text, "100:00.000 / 119:59.999");
  formatPlayTime(59999, 60000, text);
  EXPECT_STREQ(text, "00:59.999 / 01:00.000");
  // Negative positions (the host's "not playing" is -1) carry a leading minus sign.
  formatPlayTime(-1, 180000, text);
  EXPECT_STREQ(text, "- 00:00.001 / 03:00.000");
  formatPlayTime(-61500, 180000, text);
  EXPECT_STREQ(text, "- 01:01.500 / 03:00.000");
  // A whole negative second has no negative millisecond part: the sign stays on the minutes.
  formatPlayTime(-60000, 180000, text);
  EXPECT_STREQ(text, "-1:00.000 / 03:00.000");
  formatPlayTime(-2147483647 - 1, -2147483647 - 1, text);
  EXPECT_STREQ(text, "- 35791:23.648 / -35791:-23.-648");
}

class TitleFade : public PluginTest {
 protected:
  // The grey drawn at `p` in a three-minute track: -1 hidden, else the grey; "=" when not redrawn.
  std::string at(int p) {
    bool redraw = false;
    const int grey = titleGrey(p, 180000, &redraw);
    if (grey < 0) return "hidden";
    return redraw ? std::to_string(grey) : "=";
  }
};

TEST_F(TitleFade, ThreeMinuteTrackWithSixSecondPersistenceAndFade) {
  settings.titlePersistenceMs = 6000;
  settings.titleFadeMs = 6000;
  const std::vector<std::pair<int, std::string>> timetable = {
      {0, "="},         {5999, "="},       {6000, "="},       {7500, "165"},     {9000, "110"},
      {11999, "0"},     {12000, "hidden"}, {90000, "hidden"}, {168000, "hidden"}, {168001, "0"},
      {171000, "110"},  {173999, "219"},   {174000, "="},     {174001, "="},     {180000, "="}};
  for (const auto& [p, expected] : timetable) EXPECT_EQ(at(p), expected) << "at " << p << " ms";
}

TEST_F(TitleFade, LongestPersistenceAndFadeKeepTheTitleFull) {
  settings.titlePersistenceMs = 2147483647;
  settings.titleFadeMs = 2147483647;
  // S = 2^32 - 2 ms: no position the host can report reaches the end of the title's time.
  for (int p : {0, 60000, 2147483647}) EXPECT_EQ(at(p), "=") << "at " << p << " ms";
}

TEST_F(TitleFade, ReshowAfterTheIntroFadesOutFromTheIntroEnd) {
  settings.titlePersistenceMs = 6000;
  settings.titleFadeMs = 6000;
  scheduler.titleReshow = 1;
  scheduler.reshowPosition = 50000;
  EXPECT_EQ(at(50000), "=");
  EXPECT_EQ(at(56000), "=");  // the fade starts after Tp, not at it
  EXPECT_EQ(at(57500), "165");
  EXPECT_EQ(at(62000), "=");
  EXPECT_EQ(scheduler.titleReshow, 1);
  EXPECT_EQ(at(62001), "=");
  EXPECT_EQ(scheduler.titleReshow, 0);
  EXPECT_EQ(at(63000), "hidden");
}

// After the intro the title comes back only where its Tp + Tf fit twice before the track's end:
// with 6 s and 6 s in a 180 s track, from 12 s up to 156 s.
TEST_F(ComposerTest, TitleComesBackAfterTheIntroOnlyWhereItsTimeFitsTwice) {
  for (const auto& [position, reshow] :
       std::vector<std::pair<int, int>>{{11999, 0}, {12000, 1}, {156000, 1}, {156001, 0}}) {
    hostPosition = position;
    start(1, "title persistence=6000\ntitle fade=6000\n");
    passIntro();
    EXPECT_EQ(scheduler.titleReshow, reshow) << position;
    quitModule(&visModule);
  }
}

TEST_F(ComposerTest, PersistentTitleIsShownEvenInTheHiddenStretch) {
  hostPosition = 90000;
  start(1, "persistent title=TRUE\nshow time=FALSE\n");
  passIntro();
  standin::clearTrace();
  render();
  EXPECT_EQ(onScreen("BitBlt").size(), 1u);
  EXPECT_EQ(onScreen("BitBlt").at(0).substr(0, 11), "0,7,640,15,");
}

TEST_F(ComposerTest, RenderDrawsTheTitleFadingThenHidesIt) {
  start(1, "title persistence=6000\ntitle fade=6000\nshow time=FALSE\n");
  passIntro();
  for (const auto& [position, grey, strips] : {std::tuple{7500, 165, 1u}, {9000, 110, 1u}, {11999, 0, 1u}, {90000, -1, 0u}}) {
    hostPosition = position;
    standin::clearTrace();
    render();
    EXPECT_EQ(onScreen("BitBlt").size(), strips) << position;
    const auto colours = standin::calls("SetTextColor");
    const std::string redrawn = standin::label(display.titleDC) + "," + std::to_string(grey * 0x010101);
    EXPECT_EQ(std::count(colours.begin(), colours.end(), redrawn), grey < 0 ? 0 : 1) << position;
  }
}

}  // namespace
