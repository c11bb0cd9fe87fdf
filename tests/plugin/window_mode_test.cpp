// The plug-in in a window and full screen at the desktop's size: surfaces, present, resizing,
// minimising, keys, Alt+Enter and the window's place in plugin.ini.
#include <algorithm>
#include <cstdio>

#include "settings_files.h"
#include "standin_fixture.h"

namespace {

class WindowMode : public PluginTest {
 protected:
  void start(const std::string& ini, int which = 1) {
    writeIni("[Vexilumarine]\r\n" + ini);
    addPluginBitmaps();
    getModule(which);
    host = makeHost();
    ASSERT_EQ(initModule(&visModule), 0);
  }
  void render(int frames = 1) {
    for (int i = 0; i < frames; ++i) {
      renderModule(&visModule);
      standin::advanceTime(20);
    }
  }
  // A client area of width x height, as the user drags the frame to (the resizable frame of the
  // stand-in is 4 units each side and a 20-unit caption).
  void resizeClient(int width, int height) {
    RECT outer;
    GetWindowRect(pluginWindow, &outer);
    SetWindowPos(pluginWindow, nullptr, outer.left, outer.top, width + 8, height + 28, SWP_NOZORDER);
  }
  LRESULT key(UINT message, WPARAM code, LPARAM bits = 0x00390001) {
    return pluginWindowProc(pluginWindow, message, code, bits);
  }
  static int drawsAndBlits() {
    return standin::countOf("DrawIndexedPrimitive") + standin::countOf("DrawPrimitive") + standin::countOf("Blt") +
           standin::countOf("BltFast") + standin::countOf("Flip");
  }
  HWND host = nullptr;
};

constexpr LPARAM altDown = LPARAM(1) << 29;

// The first and last argument lists of calls named `name` ("" when there is none).
std::string first(std::string_view name) {
  const auto all = standin::calls(name);
  return all.empty() ? "" : all.front();
}
std::string last(std::string_view name) {
  const auto all = standin::calls(name);
  return all.empty() ? "" : all.back();
}
// The trace lines of calls on one object, such as "primary1.Blt".
std::vector<std::string> callsOn(const std::string& objectMethod) {
  std::vector<std::string> out;
  for (const auto& line : standin::trace())
    if (line.rfind(objectMethod + "(", 0) == 0) out.push_back(line.substr(objectMethod.size()));
  return out;
}

// How the trace names the plug-in's window.
std::string windowName() {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(pluginWindow));
  return text;
}

TEST_F(WindowMode, AWindowDrawsOffScreenAtItsClientSizeAndBlitsOntoItsClientArea) {
  start("windowed=TRUE\r\nwindow width=800\r\nwindow height=450\r\nshow FPS=TRUE\r\n");
  // Centred on the 1920 x 1040 work area: outer 808 x 478.
  EXPECT_EQ(first("CreateWindowExA"),
            "262144,\"Vexilumarine\",\"Water\"," + std::to_string(WS_OVERLAPPEDWINDOW) + ",556,281,808,478,null,0,0x400000");
  EXPECT_EQ(first("SetCooperativeLevel"), windowName() + ",8");
  EXPECT_EQ(standin::countOf("SetDisplayMode"), 0) << "a window changes no display mode";
  EXPECT_EQ(first("SetHWnd"), "0," + windowName());
  EXPECT_EQ(first("SetClipper"), "clipper1");
  EXPECT_EQ(first("CreateDevice"), "HAL,surface1");
  const D3DVIEWPORT2 view = standin::lastViewport();
  EXPECT_EQ(view.dwWidth, 800u);
  EXPECT_EQ(view.dwHeight, 450u);
  EXPECT_FLOAT_EQ(view.dvClipHeight, 1.125f);  // 2 x 450 / 800: a round thing stays round

  for (int frame = 0; frame <= 600; ++frame) render();  // past the intro: the overlays are on
  standin::clearTrace();
  render();
  // The frame goes to the client area (the window's corner plus the frame) and nothing flips.
  EXPECT_EQ(callsOn("primary1.Blt"), std::vector<std::string>{"([560 305 1360 755],surface1,null,16777216,0,0)"});
  EXPECT_EQ(standin::countOf("Flip"), 0);
  // The overlays in their places for 800 x 450: fps at (800 - 75, 450 - 21), title strip at y 7.
  const auto texts = standin::calls("TextOutA");
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
    return t.find(",725,429,\"") != std::string::npos && t.find(" fps\"") != std::string::npos;
  })) << ::testing::PrintToString(texts);
  const auto blits = standin::calls("BitBlt");
  EXPECT_TRUE(std::any_of(blits.begin(), blits.end(), [](const std::string& b) {
    return b.find(",0,7,800,14,") != std::string::npos;
  })) << ::testing::PrintToString(blits);
}

TEST_F(WindowMode, ResizingRebuildsAtTheNewSizeKeepsTheEffectAndLeaksNothing) {
  start("windowed=TRUE\r\nwindow width=800\r\nwindow height=450\r\n", 0);
  for (int frame = 0; frame <= 560; ++frame) render();  // into the first effect after the intro
  const int effect = scheduler.currentEffect;
  const auto deadline = scheduler.deadline;
  ASSERT_NE(effect, introIndex);
  const int com = standin::liveComObjects(), gdi = standin::liveGdiObjects();

  for (int i = 0; i < 20; ++i) {
    resizeClient(i % 2 ? 1280 : 640, i % 2 ? 720 : 360);
    render();
  }
  EXPECT_EQ(modeWidth, 1280);
  EXPECT_EQ(modeHeight, 720);
  EXPECT_EQ(standin::lastViewport().dwWidth, 1280u);
  EXPECT_EQ(standin::lastViewport().dwHeight, 720u);
  EXPECT_EQ(last("CreateFontA").substr(0, 3), "22,") << "the text follows the height: 720 / 32";
  EXPECT_EQ(scheduler.currentEffect, effect) << "the effect goes on";
  EXPECT_EQ(scheduler.deadline, deadline) << "the rotation does not move on";
  EXPECT_EQ(standin::liveComObjects(), com) << ::testing::PrintToString(standin::liveComLabels());
  EXPECT_EQ(standin::liveGdiObjects(), gdi);
  EXPECT_EQ(standin::misuses(), 0);
  // Nothing of the first set survives: the feedback surfaces are those of the last rebuild.
  EXPECT_EQ(composer.feedbackSource, display.backBuffer);
  EXPECT_EQ(composer.feedbackTarget, display.previousFrame);
  EXPECT_GT(standin::refCount(display.previousFrame), 0);
}

TEST_F(WindowMode, AMinimisedOrHiddenWindowDrawsNothingUntilItIsBack) {
  start("windowed=TRUE\r\n");
  render(3);
  ShowWindow(pluginWindow, SW_MINIMIZE);
  standin::clearTrace();
  render(5);
  EXPECT_EQ(drawsAndBlits(), 0);
  EXPECT_EQ(standin::countOf("SendMessageA"), 0) << "not even the host is asked";

  ShowWindow(pluginWindow, SW_RESTORE);
  render();
  EXPECT_GT(callsOn("primary1.Blt").size(), 0u);

  ShowWindow(pluginWindow, SW_HIDE);
  standin::clearTrace();
  render(2);
  EXPECT_EQ(drawsAndBlits(), 0);
}

TEST_F(WindowMode, KeysInTheWindowGoToThePlayerAndEscapeEnds) {
  start("windowed=TRUE\r\n");
  key(WM_KEYDOWN, 'X');
  key(WM_KEYDOWN, VK_SPACE);
  EXPECT_FALSE(standin::quitPosted());
  ASSERT_EQ(standin::postedMessages().size(), 2u);
  EXPECT_EQ(standin::postedMessages()[0].hwnd, host);
  EXPECT_EQ(standin::postedMessages()[0].message, WM_KEYDOWN);
  EXPECT_EQ(standin::postedMessages()[0].wParam, WPARAM('X'));
  EXPECT_EQ(standin::postedMessages()[1].wParam, VK_SPACE);
  EXPECT_EQ(standin::postedMessages()[1].lParam, 0x00390001);
  key(WM_KEYDOWN, VK_ESCAPE);
  int code = -1;
  EXPECT_TRUE(standin::quitPosted(&code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(standin::postedMessages().size(), 2u);
}

TEST_F(WindowMode, AltEnterSwitchesToTheDesktopsFullScreenAtTheNextFrameAndBack) {
  start("windowed=TRUE\r\nwindow width=640\r\nwindow height=360\r\n");
  render(2);
  const int effect = scheduler.currentEffect;
  EXPECT_EQ(key(WM_SYSKEYDOWN, VK_RETURN, altDown | 0x1C0001), 0);
  EXPECT_EQ(standin::countOf("SetDisplayMode"), 0) << "not before the next frame";
  render();
  EXPECT_EQ(last("SetCooperativeLevel"), windowName() + ",81");
  EXPECT_EQ(standin::calls("SetDisplayMode"), std::vector<std::string>{"1920,1080,32"});
  EXPECT_EQ(last("SetWindowPos"), windowName() + ",0,0,1920,1080,100");
  EXPECT_GT(standin::countOf("Flip"), 0);
  // Full screen keeps its rule: any key but Alt+Enter ends it and none goes to the player.
  key(WM_KEYDOWN, 'X');
  EXPECT_TRUE(standin::quitPosted());
  EXPECT_TRUE(standin::postedMessages().empty());

  key(WM_SYSKEYDOWN, VK_RETURN, altDown);
  render();
  EXPECT_EQ(last("SetCooperativeLevel"), windowName() + ",8");
  // Back where it was: 640 x 360 centred, outer 648 x 388.
  EXPECT_EQ(last("SetWindowPos"), windowName() + ",636,326,648,388,100");
  EXPECT_EQ(standin::lastViewport().dwWidth, 640u);
  EXPECT_EQ(scheduler.currentEffect, effect);
  EXPECT_EQ(standin::misuses(), 0);
}

TEST_F(WindowMode, TheSpecifiedFullScreenIgnoresAltEnter) {
  start("");
  key(WM_SYSKEYDOWN, VK_RETURN, altDown);
  standin::clearTrace();
  render();
  EXPECT_EQ(standin::countOf("SetCooperativeLevel"), 0);
  EXPECT_EQ(callsOn("primary1.Flip").size(), 1u);
}

TEST_F(WindowMode, DesktopSizeTakesTheDesktopsOwnModeAndKeepsShapesRound) {
  start("desktop size=TRUE\r\ngraphics mode=2\r\n");
  EXPECT_EQ(first("CreateWindowExA").find(",0,0,1920,1080,") != std::string::npos, true);
  EXPECT_EQ(standin::calls("SetDisplayMode"), std::vector<std::string>{"1920,1080,32"});
  const auto surfaces = standin::calls("CreateSurface");
  ASSERT_GE(surfaces.size(), 2u);
  EXPECT_NE(surfaces[1].find(",1920,1080,"), std::string::npos) << "the Z-buffer";
  const D3DVIEWPORT2 view = standin::lastViewport();
  EXPECT_EQ(view.dwWidth, 1920u);
  EXPECT_EQ(view.dwHeight, 1080u);
  // The same clip-space step per pixel across and down.
  EXPECT_FLOAT_EQ(view.dvClipWidth / 1920.0f, view.dvClipHeight / 1080.0f);
}

TEST_F(WindowMode, ALostSurfaceRestoresTheWholeSetOfTheWindow) {
  start("windowed=TRUE\r\n");
  render();
  standin::loseSurfaces();
  standin::clearTrace();
  render();
  auto restored = standin::callsOf({"Restore"});
  restored.resize(std::min<size_t>(restored.size(), 4));  // then the textures, as in full screen
  EXPECT_EQ(restored, (std::vector<std::string>{"primary1.Restore()", "surface1.Restore()", "zbuffer1.Restore()",
                                                "surface2.Restore()"}));
}

TEST_F(WindowMode, TheWindowsPlaceIsSavedOnCloseInWindowedModeOnly) {
  start("windowed=TRUE\r\n");
  SetWindowPos(pluginWindow, nullptr, 100, 50, 648, 388, SWP_NOZORDER);
  render();
  quitModule(&visModule);
  EXPECT_EQ(readFile(iniPath()),
            "[Vexilumarine]\r\nwindowed=TRUE\r\nwindow x=100\r\nwindow y=50\r\nwindow width=640\r\nwindow height=360\r\n");

  // The next run opens it there.
  standin::reset();
  resetPluginState();
  standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  makeHost();
  getModule(1);
  ASSERT_EQ(initModule(&visModule), 0);
  EXPECT_NE(first("CreateWindowExA").find(",100,50,648,388,"), std::string::npos);
  quitModule(&visModule);

  // Full screen writes nothing at Quit.
  writeIni("[Vexilumarine]\r\n");
  standin::reset();
  resetPluginState();
  standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  start("");
  quitModule(&visModule);
  EXPECT_EQ(standin::countOf("WritePrivateProfileStringA"), 0);
}

TEST_F(WindowMode, NewKeysAreWrittenOnlyAwayFromTheirDefaultsAndDeletedBackThere) {
  loadSettings(visModule);
  windowSettings.windowed = 1;
  windowSettings.clientWidth = 1024;
  saveSettings(visModule);
  EXPECT_EQ(readFile(iniPath()), std::string(defaultSettingsFile) + "windowed=TRUE\r\nwindow width=1024\r\n");
  loadSettings(visModule);
  EXPECT_EQ(windowSettings.windowed, 1);
  EXPECT_EQ(windowSettings.clientWidth, 1024);
  EXPECT_EQ(windowSettings.clientHeight, 720);
  windowSettings.windowed = 0;
  windowSettings.clientWidth = 1280;
  saveSettings(visModule);
  EXPECT_EQ(readFile(iniPath()), defaultSettingsFile);
}

TEST_F(WindowMode, TheDialogsBoxesTurnTheNewWaysOnAndOff) {
  writeIni("[Vexilumarine]\r\ndesktop size=TRUE\r\n");
  UINT shownChecked = 0;
  standin::setDialogDriver([&](HWND dialog) {
    shownChecked = standin::itemCheck(dialog, 1042);
    standin::click(dialog, 1041);
    standin::click(dialog, 1042);
    standin::click(dialog, IDOK);
  });
  configModule(&visModule);
  EXPECT_EQ(shownChecked, BST_CHECKED);
  const std::string ini = readFile(iniPath());
  EXPECT_NE(ini.find("windowed=TRUE\r\n"), std::string::npos);
  EXPECT_EQ(ini.find("desktop size"), std::string::npos);
}

TEST(WindowPlacement, FitsTheWorkAreaKeepingItsShapeAndStaysOnIt) {
  const RECT frame = {4, 24, 4, 4};
  // The default on a 1920 x 1040 work area: centred.
  RECT r = placeWindow({0, 0, 1920, 1040}, frame, 1280, 720, unplaced, unplaced);
  EXPECT_EQ(r.left, 316);
  EXPECT_EQ(r.top, 146);
  EXPECT_EQ(r.right - r.left, 1288);
  EXPECT_EQ(r.bottom - r.top, 748);
  // On a 1024 x 600 work area the client shrinks to 16:9 inside 1016 x 572: 1016 x 571.
  r = placeWindow({0, 0, 1024, 600}, frame, 1280, 720, unplaced, unplaced);
  EXPECT_EQ(r.right - r.left - 8, 1016);
  EXPECT_EQ(r.bottom - r.top - 28, 571);
  // A saved corner off the screen comes back onto it; a tiny size grows to 160 x 120.
  r = placeWindow({0, 0, 1920, 1040}, frame, 20, 10, 5000, -300);
  EXPECT_EQ(r.left, 1920 - 168);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 168);
  EXPECT_EQ(r.bottom - r.top, 148);
}

}  // namespace
