#include "standin_fixture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>

namespace {

class Scheduler : public PluginTest {
 protected:
  // Selects module `which`, sets up a host and runs Init at `start` ms on the clock.
  void startRun(int which, DWORD start = 0) {
    standin::setTime(start);
    makeHost();
    ASSERT_NE(getModule(which), nullptr);
    ASSERT_EQ(initModule(&visModule), 0);
    begin = start;
  }
  // One frame `ms` after the previous one.
  void frameAfter(DWORD ms) {
    standin::advanceTime(ms);
    renderModule(&visModule);
  }
  // One frame at `ms` after Init.
  void frameAt(DWORD ms) {
    standin::setTime(begin + ms);
    renderModule(&visModule);
  }
  // Frames every `step` ms until `ms` have passed since Init.
  void runUntil(DWORD ms, DWORD step = 10) {
    while (DWORD(timeGetTime() - begin) + step <= ms) frameAfter(step);
  }
  void enableOnly(std::initializer_list<int> effects) {
    for (int i = 0; i < 7; ++i) settings.effectEnabled[i] = 0;
    for (int e : effects) settings.effectEnabled[e] = 1;
  }
  // A new plug-in state and platform, the settings file beside the module as before.
  void freshPlugin() {
    standin::reset();
    resetPluginState();
    standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  }
  DWORD begin = 0;
};

TEST_F(Scheduler, IntroProgressStartsNearOneSixthAndOverlaysWaitForItsEnd) {
  startRun(0);
  frameAfter(16);
  EXPECT_NEAR(introProgress(), 1.0 / 6, 0.01);
  EXPECT_EQ(scheduler.currentEffect, introIndex);
  runUntil(9990);
  EXPECT_EQ(scheduler.overlaysOn, 0);
  EXPECT_EQ(scheduler.introRunning, 1);
  EXPECT_NEAR(introProgress(), 1.0 - 10.0 / 12000, 1e-3);
  frameAt(10000);
  EXPECT_EQ(scheduler.introRunning, 0);
  EXPECT_EQ(scheduler.overlaysOn, 1);
  EXPECT_EQ(scheduler.fadeLevel, 0.0f) << "the first effect starts black";
  EXPECT_EQ(standin::lastLight(0).dcvColor.r + standin::lastLight(0).dcvColor.g, 0.0f);
  EXPECT_NE(scheduler.currentEffect, introIndex);
}

TEST_F(Scheduler, DefaultRotationFadesInHoldsAndFadesOutOverTwelveSeconds) {
  startRun(0);
  runUntil(10000);
  const int first = scheduler.currentEffect;
  EXPECT_EQ(scheduler.deadline, begin + 22000);
  frameAfter(500);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.5f);
  frameAfter(500);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f);
  runUntil(20990);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f);
  runUntil(21500);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.5f);
  runUntil(21990);
  EXPECT_EQ(scheduler.currentEffect, first);
  frameAfter(10);
  EXPECT_NE(scheduler.currentEffect, first);
  EXPECT_EQ(scheduler.deadline, begin + 34000);
}

TEST_F(Scheduler, PausedFrameMovesTheDeadlineByTheGapInBothBranches) {
  startRun(0);
  frameAfter(100);
  frameAfter(2500);  // a gap longer than the intro's 1000 ms
  EXPECT_EQ(scheduler.deadline, begin + 10000 + 2500);
  frameAfter(900);  // not a pause
  EXPECT_EQ(scheduler.deadline, begin + 12500);

  runUntil(12500);
  ASSERT_EQ(scheduler.introRunning, 0);
  const DWORD deadline = scheduler.deadline;
  frameAfter(1001);  // longer than the fade length
  EXPECT_EQ(scheduler.deadline, deadline + 1001);
  frameAfter(1000);
  EXPECT_EQ(scheduler.deadline, deadline + 1001);
}

TEST_F(Scheduler, SequentialOrderVisitsOnlyTheEnabledEffects) {
  startRun(0);
  settings.randomEffectOrder = 0;
  enableOnly({1, 4});
  std::vector<int> shown;
  for (int i = 0; i < 5; ++i) {
    runUntil(10000 + 12000 * DWORD(i));
    shown.push_back(scheduler.currentEffect);
  }
  EXPECT_EQ(shown, (std::vector<int>{1, 4, 1, 4, 1}));
}

TEST_F(Scheduler, RandomOrderNeverRepeatsAndNeverPicksADisabledEffect) {
  startRun(0);
  enableOnly({0, 2, 3, 6});
  std::set<int> seen;
  int previous = scheduler.currentEffect;
  for (int i = 0; i < 200; ++i) {
    const int next = chooseNextEffect(previous);
    EXPECT_NE(next, previous);
    EXPECT_TRUE(settings.effectEnabled[next]) << next;
    seen.insert(next);
    previous = next;
  }
  EXPECT_EQ(seen, (std::set<int>{0, 2, 3, 6}));
}

TEST_F(Scheduler, TooFewEnabledEffectsNeverHang) {
  startRun(0);
  enableOnly({5});
  EXPECT_EQ(chooseNextEffect(introIndex), 5);
  EXPECT_EQ(chooseNextEffect(5), 5);  // the only one keeps showing
  settings.randomEffectOrder = 0;
  EXPECT_EQ(chooseNextEffect(5), 5);

  enableOnly({});  // a hand-edited file with nothing enabled rotates through all seven
  std::set<int> seen;
  int current = introIndex;
  for (int i = 0; i < 7; ++i) seen.insert(current = chooseNextEffect(current));
  EXPECT_EQ(seen.size(), 7u);
  settings.randomEffectOrder = 1;
  EXPECT_NE(chooseNextEffect(3), 3);
}

TEST_F(Scheduler, SingleEffectRunKeepsTheChosenEffectAtFullLevel) {
  startRun(4);
  runUntil(10000);
  EXPECT_EQ(scheduler.currentEffect, 3);
  runUntil(60000, 250);
  EXPECT_EQ(scheduler.currentEffect, 3);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f);
}

TEST_F(Scheduler, AClockWrapDoesNotCutTheIntroShort) {
  startRun(0, 0xFFFFF000u);
  frameAfter(100);
  EXPECT_EQ(scheduler.introRunning, 1);
  runUntil(9990);
  EXPECT_EQ(scheduler.introRunning, 1);
  frameAfter(10);
  EXPECT_EQ(scheduler.introRunning, 0);
  frameAfter(500);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.5f);
}

TEST_F(Scheduler, ZeroOrNegativeFadeLengthShowsFullLevelAndStillRotates) {
  for (int fade : {0, -500}) {  // below 0 counts as no fade
    const int spanFade = std::max(fade, 0);
    startRun(0);
    settings.fadeLengthMs = fade;
    settings.effectLengthMs = 3000;
    runUntil(10000);
    const int first = scheduler.currentEffect;
    frameAfter(10);
    EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f);
    runUntil(10000 + 3000 + 2 * spanFade + 20);
    EXPECT_NE(scheduler.currentEffect, first) << "fade " << fade;
    quitModule(&visModule);
    standin::reset();
    resetPluginState();
  }
}

// Hand-edited lengths the dialog would refuse: a negative effect length shows the default 10 s, a
// negative fade none, text with no number the default, huge numbers the longest the dialog takes
// (read modulo 2^32 they came to 14 days and switched within 62); the file is written back as read.
TEST_F(Scheduler, HandEditedLengthsNeitherSwitchEveryFrameNorStallNorLeaveTheFadeRange) {
  const std::pair<const char*, DWORD> cases[] = {  // the file, and how long the first effect shows
      {"effect length=-5000\r\nfade length=-99999999999\r\n", 10000},
      {"effect length=soon\r\nfade length=x\r\n", 12000},
      {"effect length=1000\r\nfade length=-2000\r\ntitle fade=-7\r\n", 1000}};
  for (const auto& [file, shownMs] : cases) {
    writeIni(std::string("[Vexilumarine]\r\n") + file + "random effect order=FALSE\r\n");
    startRun(0);
    runUntil(10000 + shownMs - 100, 50);
    EXPECT_EQ(scheduler.currentEffect, 0) << file;
    EXPECT_TRUE(scheduler.fadeLevel >= 0 && scheduler.fadeLevel <= 1) << file;
    runUntil(10000 + shownMs + 100, 50);
    EXPECT_EQ(scheduler.currentEffect, 1) << file;
    quitModule(&visModule);
    freshPlugin();
  }
  loadSettings(visModule);
  saveSettings(visModule);
  EXPECT_NE(readFile(iniPath()).find("fade length=-2000\r\ntitle fade=-7\r\n"), std::string::npos);
  writeIni("[Vexilumarine]\r\neffect length=99999999999\r\nfade length=99999999999\r\n");
  startRun(0);
  runUntil(10000, 50);
  for (int i = 0; i < 5; ++i) frameAfter(1u << 30);  // 62 days, frames closer than the fade length
  EXPECT_EQ(scheduler.currentEffect, 0);
}

// The dialog takes any fade length from 0 up; one shorter than a frame must neither count every
// frame as a pause (which froze the first effect, dimmed, for ever) nor stop a real pause from
// holding the effect.
TEST_F(Scheduler, ShortFadesRotateOnTimeAtAnyFrameRateAndAPauseStillHolds) {
  // Each fade shorter than the frame gap at 20, about 60 and 200 frames per second.
  for (const auto& [fade, step] : {std::pair<int, DWORD>{15, 50}, {5, 16}, {1, 5}}) {
    const std::string where = "fade " + std::to_string(fade) + ", step " + std::to_string(step);
    startRun(0);
    settings.fadeLengthMs = fade;
    settings.effectLengthMs = 2000;
    settings.randomEffectOrder = 0;
    runUntil(10000, step);  // every step divides 10000: the intro ends on the last frame
    ASSERT_EQ(scheduler.currentEffect, 0) << where;
    runUntil(11000, step);
    EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f) << where;
    frameAfter(3000);  // the player paused: the effect's time stands still
    EXPECT_EQ(scheduler.currentEffect, 0) << where;
    // The intro's 10000, the effect's 2000 + 2F, and the 3000 it stood still.
    const DWORD end = 10000 + 2000 + 2 * DWORD(fade) + 3000;
    runUntil(end - 2 * DWORD(fade) - step, step);
    EXPECT_EQ(scheduler.currentEffect, 0) << where;
    EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f) << where;
    runUntil(end + step, step);
    EXPECT_EQ(scheduler.currentEffect, 1) << where;
    quitModule(&visModule);
    standin::reset();
    resetPluginState();
  }
}

// Spans beyond 2^31 ms, up to the dialog's largest E and F: the effect is held for its whole
// length, across the clock's wrap, and fades by the same rule as a short one.
TEST_F(Scheduler, LongestEffectAndFadeLengthsHoldTheEffectForTheirWholeSpan) {
  constexpr long long most = 2147483647;
  hostLengthSeconds = int(most);
  hostPosition = 60000;
  writeIni("[Vexilumarine]\neffect length=2147483647\nfade length=2147483647\ntitle persistence=2147483647\n"
           "title fade=2147483647\nrandom effect order=FALSE\n");
  startRun(0);
  runUntil(10000);
  ASSERT_EQ(scheduler.currentEffect, 0);
  EXPECT_EQ(scheduler.titleReshow, 0);  // 60 s into the track is far inside the title's time
  // Frames 2^30 ms apart: each gap is shorter than F, so none is a pause.
  long long shown = 0;
  auto showFor = [&](long long ms) {
    for (; ms > 0; ms -= 1 << 30) {
      const DWORD step = DWORD(std::min<long long>(ms, 1 << 30));
      frameAfter(step);
      shown += step;
    }
  };
  showFor(most / 2);
  EXPECT_NEAR(scheduler.fadeLevel, 0.5, 1e-6);
  showFor(most + most / 2);  // half-way through the hold
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 1.0f);
  showFor(3 * most - 1000 - shown);  // 1000 ms before the end
  EXPECT_EQ(scheduler.currentEffect, 0);
  EXPECT_NEAR(scheduler.fadeLevel, 1000.0 / most, 1e-9);
  showFor(1000);
  EXPECT_EQ(scheduler.currentEffect, 1);

  // The longest effect with the default fade: about 2^31 ms in all, which read as "already
  // passed" and switched every frame.
  quitModule(&visModule);
  standin::reset();
  resetPluginState();
  startRun(0);
  settings.effectLengthMs = int(most);
  settings.fadeLengthMs = 1000;
  settings.randomEffectOrder = 0;
  runUntil(10000);
  frameAfter(16);
  frameAfter(16);
  EXPECT_EQ(scheduler.currentEffect, 0);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.032f);
}

// The host answering the intro's length query late enough for the clock to tick in between: the
// new effect's time still starts from the step's one reading, and after a pause it resumes at 0.
TEST_F(Scheduler, FadeLevelStaysInItsRangeWhenTheClockTicksDuringTheSwitch) {
  standin::setTime(0);
  HWND host = standin::createHostWindow([](UINT message, WPARAM wp, LPARAM lp) -> LRESULT {
    if (message == WM_USER && lp == 105 && wp == 1) standin::advanceTime(1);
    return message == WM_USER && lp == 105 && wp == 1 ? 180 : 0;
  });
  visModule.hwndParent = host;
  getModule(0);
  ASSERT_EQ(initModule(&visModule), 0);
  for (DWORD t = 100; t <= 10000; t += 100) frameAt(t);
  ASSERT_EQ(scheduler.introRunning, 0);
  frameAfter(1500);  // a pause, longer than F
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.0f);
  frameAfter(500);
  EXPECT_FLOAT_EQ(scheduler.fadeLevel, 0.5f);
}

TEST_F(Scheduler, TextureChoiceStaysWithinTheThreeTextures) {
  // Find a seed whose first draw is the generator's maximum, 32767.
  unsigned seed = 0;
  for (;; ++seed) {
    srand(seed);
    if (rand() == 32767) break;
  }
  srand(seed);
  EXPECT_EQ(chooseTexture(), 2);
  // Otherwise the third of the range the draw falls in: draw x 3 / 32767, truncated.
  srand(7);
  std::vector<int> draws(1000);
  for (int& d : draws) d = rand();
  srand(7);
  std::set<int> seen;
  for (int d : draws) {
    const int choice = chooseTexture();
    ASSERT_EQ(choice, d * 3 / 32767) << d;
    seen.insert(choice);
  }
  EXPECT_EQ(seen, (std::set<int>{0, 1, 2}));
}

TEST_F(Scheduler, FrameSetsViewAndAmbientThenDrawsThenWorldAndLights) {
  startRun(2);
  standin::clearTrace();
  ASSERT_EQ(stepScheduler(visModule), 1);
  const EffectRecord& intro = effectRecords[introIndex];
  const DWORD ambient = (DWORD(intro.ambientColour[0] * 255) << 16) | (DWORD(intro.ambientColour[1] * 255) << 8) |
                        DWORD(intro.ambientColour[2] * 255);
  const auto calls = standin::callsOf({"SetTransform", "SetLightState", "SetLight", "BeginScene", "EndScene"});
  const auto view = std::find(calls.begin(), calls.end(), "device1.SetTransform(2)");
  ASSERT_NE(view, calls.end());
  EXPECT_EQ(*(view + 1), "device1.SetLightState(2," + std::to_string(ambient) + ")");
  EXPECT_EQ(*(view + 2), "device1.BeginScene()");  // the effect's draw follows
  ASSERT_GE(calls.size(), 6u);
  const std::vector<std::string> tail(calls.end() - 6, calls.end());
  EXPECT_EQ(tail[0], "device1.SetTransform(1)");
  EXPECT_EQ(tail[1].substr(0, 16), "light1.SetLight(");
  EXPECT_EQ(tail[4].substr(0, 16), "light4.SetLight(");
  EXPECT_EQ(tail[5], "device1.SetTransform(1)");
}

TEST_F(Scheduler, AFailingWorldTransformEndsTheStepButTheFrameIsPresented) {
  startRun(0);
  frameAfter(10);
  standin::clearTrace();
  standin::failNext("SetTransform", 2);  // the view is set, the world fails
  frameAfter(10);
  EXPECT_EQ(standin::countOf("SetLight"), 0);
  EXPECT_EQ(standin::countOf("Flip"), 1);
  standin::clearTrace();
  frameAfter(10);
  EXPECT_EQ(standin::countOf("SetLight"), 4);
  EXPECT_EQ(standin::countOf("Flip"), 1);
}

TEST_F(Scheduler, EachEffectIsDrawnWithItsMaterialAndTheChosenTexture) {
  // Modules 1..7 show effects 0..6; the intro (shown first by module 0) takes the generated bitmap.
  const int materialOf[8] = {15, 15, 14, 15, 12, 12, 14, 14};  // by effect, the intro last
  for (int module = 0; module <= 7; ++module) {
    standin::reset();
    resetPluginState();
    startRun(module);
    if (module > 0) runUntil(11200);  // faded in
    for (int k = 0; k < 3; ++k) display.textureHandles[k] = D3DTEXTUREHANDLE(101 + k);
    scheduler.textureChoice = std::int8_t(module % 3);
    const int effect = module == 0 ? introIndex : module - 1;
    ASSERT_EQ(scheduler.currentEffect, effect);
    standin::clearTrace();
    frameAfter(10);
    const std::string material = std::to_string(D3DLIGHTSTATE_MATERIAL) + ",";
    const std::string texture = std::to_string(D3DRENDERSTATE_TEXTUREHANDLE) + ",";
    auto firstWith = [](const std::string& call, const std::string& prefix) {
      for (const auto& args : standin::calls(call))
        if (args.rfind(prefix, 0) == 0) return args.substr(prefix.size());
      return std::string("none");
    };
    EXPECT_EQ(firstWith("SetLightState", material), std::to_string(display.materials.handles[materialOf[effect]]))
        << "module " << module;
    EXPECT_EQ(firstWith("SetRenderState", texture), std::to_string(module == 0 ? 103 : 101 + module % 3))
        << "module " << module;
    const double* ambient = effectRecords[effect].ambientColour;
    const int r = int(ambient[0] * 255), g = int(ambient[1] * 255), b = int(ambient[2] * 255);
    EXPECT_EQ(firstWith("SetLightState", std::to_string(D3DLIGHTSTATE_AMBIENT) + ","),
              std::to_string(r << 16 | g << 8 | b)) << "module " << module;
  }
}

TEST_F(Scheduler, EffectViewTurnsAboutZThenYThenXAndMovesByTheOffset) {
  startRun(0);
  EffectRecord record{};
  const double u = 0.3, v = -0.7, w = 1.1;
  record.viewAngles[0] = u;
  record.viewAngles[1] = v;
  record.viewAngles[2] = w;
  record.viewOffset[0] = 1;
  record.viewOffset[1] = -2;
  record.viewOffset[2] = 9;
  applyEffectView(record);
  // Row vectors: the turn about z by w, then about y by v, then about x by u.
  using M3 = std::array<std::array<double, 3>, 3>;
  auto times = [](const M3& a, const M3& b) {
    M3 p{};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) p[i][j] += a[i][k] * b[k][j];
    return p;
  };
  const M3 aboutZ = {{{std::cos(w), std::sin(w), 0}, {-std::sin(w), std::cos(w), 0}, {0, 0, 1}}};
  const M3 aboutY = {{{std::cos(v), 0, -std::sin(v)}, {0, 1, 0}, {std::sin(v), 0, std::cos(v)}}};
  const M3 aboutX = {{{1, 0, 0}, {0, std::cos(u), std::sin(u)}, {0, -std::sin(u), std::cos(u)}}};
  const M3 turn = times(times(aboutZ, aboutY), aboutX);
  const D3DMATRIX view = standin::lastTransform(D3DTRANSFORMSTATE_VIEW);
  const float* got = &view._11;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(got[4 * i + j], turn[i][j], 1e-6) << i << "," << j;
    EXPECT_EQ(got[4 * i + 3], 0.0f);
  }
  EXPECT_EQ(std::vector<float>(got + 12, got + 16), (std::vector<float>{1, -2, 9, 1}));
}

TEST(MarkerCube, HasEightCornersAndTwelveTrianglesOverThem) {
  buildMarkerCube();
  standin::reset();
  resetPluginState();
  // The cube is drawn through applyEffectLight; its indices must stay within its 8 vertices.
  IDirectDraw* ddraw;
  DirectDrawCreate(nullptr, &ddraw, nullptr);
  IDirect3D2* d3d;
  ddraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d));
  DDSURFACEDESC desc{};
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  desc.dwBackBufferCount = 1;
  IDirectDrawSurface* primary;
  ddraw->CreateSurface(&desc, &primary, nullptr);
  d3d->CreateDevice(IID_IDirect3DHALDevice, primary, &display.device);
  d3d->CreateLight(&display.lightObjects[0], nullptr);
  LightSpec source = {{1, 2, 3}, {1, 0.5, 0.25}, 0.1};
  scheduler.fadeLevel = 1.0f;
  EXPECT_EQ(applyEffectLight(source, 0, 1), 1);
  EXPECT_EQ(standin::calls("DrawIndexedPrimitive"), (std::vector<std::string>{"4,2,8,36,1"}));
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);
  const D3DMATRIX at = standin::lastTransform(D3DTRANSFORMSTATE_WORLD);  // moved to the light, not turned
  EXPECT_EQ(std::vector<float>(&at._11, &at._11 + 16), (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1}));
  const D3DLIGHT light = standin::lastLight(0);
  EXPECT_FLOAT_EQ(light.dcvColor.r, 1.0f);
  EXPECT_FLOAT_EQ(light.dcvColor.g, 0.5f);
  EXPECT_FLOAT_EQ(light.dcvColor.b, 0.25f);
  EXPECT_FLOAT_EQ(light.dvAttenuation2, 0.1f);
  // A cube of edge 0.3 about the light, half transparent in the light's colour (255, 127, 63).
  const float corner[8][5] = {{-.15f, -.15f, -.15f, 0, 1}, {-.15f, .15f, -.15f, 0, 0}, {.15f, .15f, -.15f, 1, 0},
                              {.15f, -.15f, -.15f, 1, 1},  {-.15f, -.15f, .15f, 0, 1}, {-.15f, .15f, .15f, 0, 0},
                              {.15f, .15f, .15f, 1, 0},    {.15f, -.15f, .15f, 1, 1}};
  ASSERT_EQ(standin::indexedDraws().size(), 1u);
  const auto* cube = static_cast<const D3DLVERTEX*>(standin::indexedDraws()[0].vertices);
  for (int i = 0; i < 8; ++i) {
    const D3DLVERTEX& v = cube[i];
    EXPECT_EQ(std::vector<float>({v.x, v.y, v.z, v.tu, v.tv}), std::vector<float>(corner[i], corner[i] + 5)) << i;
    EXPECT_EQ(v.color, 0x80FF7F3Fu) << i;
    EXPECT_EQ(v.specular, 0u) << i;
  }
  const WORD faces[36] = {0, 1, 2, 2, 3, 0, 4, 6, 5, 6, 4, 7, 1, 5, 2, 2, 5, 6,
                          0, 3, 4, 3, 7, 4, 3, 2, 6, 6, 7, 3, 0, 5, 1, 5, 0, 4};
  EXPECT_TRUE(std::equal(faces, faces + 36, standin::indexedDraws()[0].indices));
  scheduler.fadeLevel = 0.5f;
  applyEffectLight(source, 0, 1);
  EXPECT_EQ(cube[5].color, 0x807F3F1Fu) << "faded: 127, 63, 31";
  EXPECT_FLOAT_EQ(standin::lastLight(0).dcvColor.r, 0.5f);
  const D3DVECTOR at3 = standin::lastLight(0).dvPosition;
  EXPECT_EQ(std::vector<float>({at3.x, at3.y, at3.z}), (std::vector<float>{1, 2, 3}));
  standin::clearTrace();
  standin::failNext("SetLight");
  EXPECT_EQ(applyEffectLight(source, 0, 1), 0) << "a refused light draws no marker";
  EXPECT_EQ(standin::countOf("DrawIndexedPrimitive"), 0);
}

// With no fade length the effect is at full strength from its first frame to its last.
TEST_F(Scheduler, NoFadeLengthMeansFullStrengthThroughout) {
  settings.fadeLengthMs = 0;
  settings.effectLengthMs = 1000;
  scheduler.deadline = 1000;
  for (int now : {0, 500, 1000}) EXPECT_EQ(fadeLevelAt(now), 1.0f) << now;
}

}  // namespace
