#include "standin_fixture.h"

#include <algorithm>
#include <cctype>

namespace {

class Entry : public PluginTest {
 protected:
  int startRun(int which) {
    makeHost();
    getModule(which);
    return initModule(&visModule);
  }
  // Position of the first trace line that starts with `prefix`; a missing call fails the test.
  static int positionOf(const std::string& prefix) {
    const auto& trace = standin::trace();
    for (size_t i = 0; i < trace.size(); ++i)
      if (trace[i].rfind(prefix, 0) == 0) return int(i);
    ADD_FAILURE() << "no call starts with " << prefix;
    return -1;
  }
};

TEST_F(Entry, HeaderAndGetterNameEveryEntryAndSelectTheRun) {
  VisHeader* header = winampVisGetHeader();
  EXPECT_EQ(header->version, 0x101);
  EXPECT_STREQ(header->description, "Vexilumarine v1.0");
  const char* names[8] = {"All effects",         "Water",            "2d Spectrum Analyser", "Spherical Shells",
                          "Freaky Movey Thingy", "Volumetric Light", "Spike Cylinder",       "Super Shells"};
  for (int which = 0; which < 8; ++which) {
    VisModule* module = header->getModule(which);
    ASSERT_EQ(module, &visModule);
    EXPECT_STREQ(module->description, names[which]);
    EXPECT_EQ(scheduler.currentEffect, introIndex);
  }
  EXPECT_EQ(scheduler.chosenEffect, 6);
  EXPECT_EQ(visModule.latencyMs, 25);
  EXPECT_EQ(visModule.delayMs, 25);
  EXPECT_EQ(visModule.spectrumNch, 2);
  EXPECT_EQ(visModule.waveformNch, 2);
}

TEST_F(Entry, GetterOutsideTheTableChangesNothing) {
  getModule(0);
  getModule(3);
  EXPECT_EQ(scheduler.cycleAll, 1);  // a later single entry does not clear the rotation
  EXPECT_EQ(scheduler.chosenEffect, 2);
  for (int which : {8, -1, 1000}) {
    EXPECT_EQ(getModule(which), nullptr);
    EXPECT_STREQ(visModule.description, "Spherical Shells");
    EXPECT_EQ(scheduler.chosenEffect, 2);
  }
}

TEST_F(Entry, InitRunsItsStepsInOrder) {
  standin::setTime(5000);
  ASSERT_EQ(startRun(2), 0);
  EXPECT_EQ(scheduler.deadline, 15000u);
  EXPECT_EQ(scheduler.lastFrameTime, 5000u);
  const int settingsRead = positionOf("GetPrivateProfileStringA");
  const int registered = positionOf("RegisterClassA");
  const int created = positionOf("CreateWindowExA");
  const int shown = positionOf("ShowWindow");
  const int device = positionOf("GetProfileStringA");
  const int display = positionOf("DirectDrawCreate");
  const int cleared = positionOf("backbuffer1.Blt(null,null,null,16778240");
  EXPECT_TRUE(settingsRead < registered && registered < created && created < shown && shown < device &&
              device < display && display < cleared)
      << settingsRead << ' ' << registered << ' ' << created << ' ' << shown << ' ' << device << ' ' << display
      << ' ' << cleared;
  EXPECT_EQ(standin::calls("RegisterClassA").front(), "\"Vexilumarine\",3,0,0,0x400000,0,0,0,null");
  EXPECT_EQ(standin::calls("CreateWindowExA").front(),
            "262144,\"Vexilumarine\",\"2d Spectrum Analyser\",2160590848,0,0,640,480,null,0,0x400000");
  EXPECT_EQ(standin::calls("GetProfileStringA").front(), "\"Vexilumarine\",\"Device\",\"\",128");
  EXPECT_EQ(standin::windowText(pluginWindow), "Vexilumarine - DISPLAY HAL");
}

TEST_F(Entry, InitFailuresShowTheirMessageOwnedByTheHost) {
  struct Case {
    const char* failing;
    const char* message;
  } cases[] = {{"RegisterClassA", "Error registering window class"}, {"CreateWindowExA", "Error creating window"}};
  for (const auto& c : cases) {
    standin::reset();
    resetPluginState();
    HWND host = makeHost();
    standin::failNext(c.failing);
    getModule(0);
    EXPECT_EQ(initModule(&visModule), 1);
    ASSERT_EQ(standin::messageBoxes().size(), 1u);
    EXPECT_EQ(standin::messageBoxes()[0].text, c.message);
    EXPECT_EQ(standin::messageBoxes()[0].caption, "blah");
    EXPECT_EQ(standin::messageBoxes()[0].owner, host);
    EXPECT_EQ(standin::countOf("DirectDrawCreate"), 0);
    quitModule(&visModule);  // the host may still call Quit
    EXPECT_FALSE(standin::classRegistered("Vexilumarine"));
  }
}

TEST_F(Entry, AnyKeyPostsQuitAndTheCursorHidesOnlyWhileActiveOutsideMenus) {
  ASSERT_EQ(startRun(0), 0);
  SendMessageA(pluginWindow, WM_KEYDOWN, 'A', 0);
  int code = -1;
  EXPECT_TRUE(standin::quitPosted(&code));
  EXPECT_EQ(code, 0);

  EXPECT_EQ(SendMessageA(pluginWindow, WM_SETCURSOR, 0, 0), 0);  // inactive: default handling
  EXPECT_NE(standin::currentCursor(), nullptr);
  SendMessageA(pluginWindow, WM_ACTIVATEAPP, 1, 0);
  SendMessageA(pluginWindow, WM_ENTERMENULOOP, 0, 0);
  EXPECT_EQ(SendMessageA(pluginWindow, WM_SETCURSOR, 0, 0), 0);
  EXPECT_NE(standin::currentCursor(), nullptr);
  SendMessageA(pluginWindow, WM_EXITMENULOOP, 0, 0);
  EXPECT_EQ(SendMessageA(pluginWindow, WM_SETCURSOR, 0, 0), TRUE);
  EXPECT_EQ(standin::currentCursor(), nullptr);
  for (UINT quiet : {WM_MOVE, WM_ERASEBKGND, WM_MOUSEACTIVATE, WM_MOUSEMOVE}) {
    standin::clearTrace();
    EXPECT_EQ(SendMessageA(pluginWindow, quiet, 1, 1), 0);
    EXPECT_EQ(standin::countOf("DefWindowProcA"), 0) << quiet;
  }
}

TEST_F(Entry, QuitReleasesEverythingOnceAndLeavesNoWindow) {
  ASSERT_EQ(startRun(0), 0);
  for (int i = 0; i < 30; ++i) {
    standin::advanceTime(20);
    renderModule(&visModule);
  }
  standin::clearTrace();
  quitModule(&visModule);
  EXPECT_EQ(standin::liveComLabels(), std::vector<std::string>{});
  EXPECT_EQ(standin::liveGdiObjects(), 0);
  EXPECT_EQ(standin::windowCount(), 1);  // only the host's
  EXPECT_FALSE(standin::classRegistered("Vexilumarine"));
  const auto releases = standin::calls("Release");
  EXPECT_EQ(standin::trace().back(), "UnregisterClassA(\"Vexilumarine\",0x400000)");
  // The device goes first, DirectDraw last.
  const auto ordered = standin::callsOf({"Release"});
  EXPECT_EQ(ordered.front().substr(0, 7), "device1");
  EXPECT_EQ(ordered.back().substr(0, 6), "ddraw1");
  EXPECT_FALSE(releases.empty());
}

TEST_F(Entry, ANullTitleFromTheHostReadsAsEmpty) {
  hostTitle = nullptr;
  ASSERT_EQ(startRun(1), 0);
  standin::advanceTime(16);
  renderModule(&visModule);
  EXPECT_STREQ(composer.currentTitle, "");
}

TEST_F(Entry, ConfigReadsShowsTheDialogAndSavesWhateverItsResult) {
  writeIni("[Vexilumarine]\r\neffect length=2500\r\n");
  standin::setDialogDriver([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
  makeHost();
  configModule(&visModule);
  EXPECT_EQ(standin::calls("DialogBoxParamA").front().substr(0, 13), "0x400000,101,");
  EXPECT_NE(readFile(iniPath()).find("effect length=2500\r\n"), std::string::npos);
  EXPECT_NE(readFile(iniPath()).find("random effect order=TRUE\r\n"), std::string::npos);
  EXPECT_EQ(standin::windowCount(), 1);
}

// Init's display steps and Quit's release of every display object.
class LifecycleTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    addPluginBitmaps();
  }
  void restart() {
    standin::reset();
    resetPluginState();
    standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
    addPluginBitmaps();
  }
  // Nothing of the run is left: no COM object, no GDI object, no window, no class.
  void expectNothingLeft(const std::string& what) {
    EXPECT_EQ(standin::liveComObjects(), 0) << what;
    EXPECT_EQ(standin::liveGdiObjects(), 0) << what;
    EXPECT_EQ(standin::countOf("OverRelease"), 0) << what;
    EXPECT_EQ(standin::windowCount(), 1) << what;  // the host's own window
    EXPECT_FALSE(standin::classRegistered("Vexilumarine")) << what;
    EXPECT_EQ(display.ddraw, nullptr) << what;
    EXPECT_EQ(display.device, nullptr) << what;
    EXPECT_EQ(display.titleDC, nullptr) << what;
    EXPECT_EQ(display.overlayFont, nullptr) << what;
  }
};

TEST_F(LifecycleTest, InitPaintsTheTitleOnceThenClearsTheTimeStripsAndTheBackBuffer) {
  makeHost();
  ASSERT_EQ(initModule(&visModule), 0);
  const std::string title = standin::label(display.titleDC), time = standin::label(display.timeDC);
  const auto& lines = standin::trace();
  auto from = std::find(lines.begin(), lines.end(), "SetBkColor(" + title + ",0)");
  ASSERT_NE(from, lines.end());
  const std::vector<std::string> expected = {
      "SetBkColor(" + title + ",0)",
      "SetBkColor(" + time + ",0)",
      "SetTextColor(" + title + ",16777215)",
      "SelectObject(" + title + "," + standin::label(display.titleBitmap) + ")",
      "TextOutA(" + title + ",10,0,\"Artist - Song\",13)",
      "SelectObject(" + time + "," + standin::label(display.timeBitmapA) + ")",
      "BitBlt(" + time + ",0,0,213,15," + time + ",0,0,66)",
      "SelectObject(" + time + "," + standin::label(display.timeBitmapB) + ")",
      "BitBlt(" + time + ",0,0,213,15," + time + ",0,0,66)",
      "backbuffer1.Blt(null,null,null," + std::to_string(DDBLT_COLORFILL | DDBLT_WAIT) + ",100,0)"};
  EXPECT_EQ(std::vector<std::string>(from, lines.end()), expected);
}

TEST_F(LifecycleTest, QuitReleasesEveryDisplayObjectOnceWhateverFailedHalfWay) {
  const std::vector<std::pair<std::string, int>> failures = {
      {"", 0},
      {"DirectDrawCreate", 1},
      {"SetCooperativeLevel", 1},
      {"QueryInterface", 1},
      {"SetDisplayMode", 2},
      {"CreateSurface", 2},
      {"CreateSurface", 4},
      {"GetAttachedSurface", 1},
      {"AddAttachedSurface", 1},
      {"CreateViewport", 1},
      {"SetViewport2", 1},
      {"SetCurrentViewport", 1},
      {"CreateMaterial", 1},
      {"CreateMaterial", 9},
      {"SetTransform", 2},
      {"CreateLight", 3},
      {"AddLight", 4},
      {"GetDC", 4},
      {"CreateCompatibleBitmap", 2}};
  for (const auto& [name, nth] : failures) {
    restart();
    makeHost();
    if (!name.empty()) standin::failNext(name, nth);
    initModule(&visModule);
    standin::clearTrace();
    quitModule(&visModule);
    expectNothingLeft(name + "#" + std::to_string(nth));
  }
  for (const char* always : {"CreateSurface", "CreateDevice"}) {
    restart();
    makeHost();
    standin::failAlways(always);
    EXPECT_EQ(initModule(&visModule), 1) << always;
    quitModule(&visModule);
    expectNothingLeft(always);
  }
}

TEST_F(LifecycleTest, QuitReleasesInTheOrderDeviceSurfacesMaterialsTexturesGdiDirectDrawWindow) {
  makeHost();
  ASSERT_EQ(initModule(&visModule), 0);
  standin::clearTrace();
  quitModule(&visModule);
  std::vector<std::string> order;
  for (const auto& line : standin::callsOf({"Release", "DeleteDC", "DeleteObject", "DestroyWindow"})) {
    std::string who = line.substr(0, line.find_first_of(".("));  // "light2" or "DeleteDC"
    while (!who.empty() && std::isdigit(static_cast<unsigned char>(who.back()))) who.pop_back();
    if (order.empty() || order.back() != who) order.push_back(who);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"device", "viewport", "light", "backbuffer", "primary",
                                             "backbuffer", "zbuffer",  // the chain lets go of its parts
                                             "material", "surface", "palette", "surface", "DeleteDC",
                                             "DeleteObject", "DeleteDC", "DeleteObject", "d3d", "ddraw",
                                             "DestroyWindow"}));
}

TEST_F(LifecycleTest, SecondRunInTheSameProcessStartsFromItsOwnSurfaces) {
  getModule(7);
  makeHost();
  ASSERT_EQ(initModule(&visModule), 0);
  renderModule(&visModule);
  quitModule(&visModule);
  ASSERT_EQ(initModule(&visModule), 0);
  renderModule(&visModule);
  EXPECT_EQ(composer.feedbackSource, display.backBuffer);
  EXPECT_EQ(composer.feedbackTarget, display.primarySurface);
  EXPECT_EQ(composer.frameCount, 1);
  quitModule(&visModule);
  expectNothingLeft("two runs");
}

// A host that keeps the DLL loaded runs the module again: getModule, Init, frames, Quit. Each run
// opens with the intro, overlays off, and then shows its effect (or starts the rotation) after the
// intro's 10 seconds, as the first one did.
TEST_F(LifecycleTest, EveryRunInTheSameProcessOpensWithTheIntroThenShowsItsEffect) {
  makeHost();
  for (int which : {2, 2, 2, 0, 0}) {
    const std::string run = "module " + std::to_string(which);
    getModule(which);
    const DWORD start = timeGetTime();
    ASSERT_EQ(initModule(&visModule), 0) << run;
    for (DWORD t = 20; t < 10000; t += 20) {
      standin::setTime(start + t);
      renderModule(&visModule);
      ASSERT_EQ(scheduler.currentEffect, introIndex) << run << " at " << t;
      ASSERT_EQ(scheduler.overlaysOn, 0) << run << " at " << t;
    }
    standin::setTime(start + 10000);
    renderModule(&visModule);
    EXPECT_EQ(scheduler.overlaysOn, 1) << run;
    if (which == 2) EXPECT_EQ(scheduler.currentEffect, 1) << run;
    else EXPECT_NE(scheduler.currentEffect, introIndex) << run;
    standin::advanceTime(500);
    renderModule(&visModule);
    EXPECT_FLOAT_EQ(scheduler.fadeLevel, which == 2 ? 1.0f : 0.5f) << run;  // half-way into the fade-in
    quitModule(&visModule);
  }
  expectNothingLeft("five runs");
}

}  // namespace
