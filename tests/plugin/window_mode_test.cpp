// The plug-in in a window and full screen at the desktop's size: surfaces, present, resizing,
// minimising, keys, Alt+Enter and the new keys of plugin.ini.
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
    for (int i = 0; i < frames; ++i, standin::advanceTime(20)) renderModule(&visModule);
  }
  // The stand-in's resizable frame is 4 units each side with a 20-unit caption.
  void resizeClient(int width, int height) {
    RECT outer;
    GetWindowRect(pluginWindow, &outer);
    SetWindowPos(pluginWindow, nullptr, outer.left, outer.top, width + 8, height + 28, SWP_NOZORDER);
  }
  // A second run in the same test: a clean stand-in, the plug-in at load.
  void restart() {
    standin::reset();
    resetPluginState();
    standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
  }
  LRESULT key(UINT message, WPARAM code, LPARAM bits = 0x00390001) {
    return pluginWindowProc(pluginWindow, message, code, bits);
  }
  HWND host = nullptr;
};

constexpr LPARAM altDown = LPARAM(1) << 29;

std::string lastCall(std::string_view name) {
  const auto all = standin::calls(name);
  return all.empty() ? "" : all.back();
}

// How the trace names the plug-in's window.
std::string windowName() {
  char text[32];
  std::snprintf(text, sizeof text, "%p", static_cast<void*>(pluginWindow));
  return text;
}

int drawsAndBlits() {
  return int(standin::callsOf({"DrawIndexedPrimitive", "DrawPrimitive", "Blt", "BltFast", "Flip"}).size());
}

TEST_F(WindowMode, AWindowDrawsOffScreenAtItsClientSizeAndBlitsOntoItsClientArea) {
  start("windowed=TRUE\r\nwindow width=800\r\nwindow height=450\r\n");
  // Centred on the 1920 x 1040 work area: outer 808 x 478.
  EXPECT_EQ(lastCall("CreateWindowExA"), "262144,\"Vexilumarine\",\"Water\"," + std::to_string(WS_OVERLAPPEDWINDOW) +
                                              ",556,281,808,478,null,0,0x400000");
  EXPECT_EQ(lastCall("SetCooperativeLevel"), windowName() + ",8");
  EXPECT_EQ(standin::countOf("SetDisplayMode"), 0);
  EXPECT_EQ(lastCall("SetHWnd"), "0," + windowName());
  EXPECT_EQ(lastCall("SetClipper"), "clipper1");
  EXPECT_EQ(lastCall("CreateDevice"), "HAL,surface1");
  EXPECT_EQ(standin::lastViewport().dwWidth, 800u);
  EXPECT_EQ(standin::lastViewport().dwHeight, 450u);
  EXPECT_FLOAT_EQ(standin::lastViewport().dvClipHeight, 1.125f);  // 2 x 450 / 800: round stays round

  render();
  // Onto the client area (the window's corner plus the frame); nothing flips. (The overlays'
  // places at this size: tests/wine/window_check.py.)
  EXPECT_EQ(standin::callsOf({"Blt", "Flip"}).back(), "primary1.Blt([560 305 1360 755],surface1,null,16777216,0,0)");
  EXPECT_EQ(standin::countOf("Flip"), 0);
}

TEST_F(WindowMode, ResizingRebuildsAtTheNewSizeKeepsTheEffectAndLeaksNothing) {
  start("windowed=TRUE\r\nwindow width=800\r\nwindow height=450\r\n", 0);
  render(561);  // into the first effect after the intro
  const int effect = scheduler.currentEffect;
  const auto deadline = scheduler.deadline;
  ASSERT_NE(effect, introIndex);
  const int com = standin::liveComObjects(), gdi = standin::liveGdiObjects();
  for (int i = 0; i < 20; ++i) {
    resizeClient(i % 2 ? 1280 : 640, i % 2 ? 720 : 360);
    render();
  }
  EXPECT_EQ(standin::lastViewport().dwWidth, 1280u);
  EXPECT_EQ(standin::lastViewport().dwHeight, 720u);
  EXPECT_EQ(lastCall("CreateFontA").substr(0, 3), "22,") << "the text follows the height: 720 / 32";
  EXPECT_EQ(scheduler.currentEffect, effect);
  EXPECT_EQ(scheduler.deadline, deadline) << "the rotation does not move on";
  EXPECT_EQ(standin::liveComObjects(), com) << ::testing::PrintToString(standin::liveComLabels());
  EXPECT_EQ(standin::liveGdiObjects(), gdi);
  EXPECT_EQ(standin::misuses(), 0);
  EXPECT_EQ(composer.feedbackTarget, display.previousFrame) << "no surface of an earlier set is kept";
}

TEST_F(WindowMode, AMinimisedOrHiddenWindowDrawsNothingUntilItIsBack) {
  start("windowed=TRUE\r\n");
  render(3);
  for (DWORD away : {SW_MINIMIZE, SW_HIDE}) {
    ShowWindow(pluginWindow, int(away));
    standin::clearTrace();
    render(5);
    EXPECT_EQ(drawsAndBlits(), 0);
    EXPECT_EQ(standin::countOf("SendMessageA"), 0) << "not even the host is asked";
    ShowWindow(pluginWindow, SW_RESTORE);
    render();
    EXPECT_EQ(standin::callsOf({"Blt"}).back().rfind("primary1.Blt(", 0), 0u);
  }
}

TEST_F(WindowMode, KeysGoToThePlayerAndAltEnterSwitchesToTheDesktopsModeAtTheNextFrame) {
  start("windowed=TRUE\r\nwindow width=640\r\nwindow height=360\r\n");
  render(2);
  key(WM_KEYDOWN, 'X');
  ASSERT_EQ(standin::postedMessages().size(), 1u);
  const standin::PostedMessage posted = standin::postedMessages()[0];
  EXPECT_TRUE(posted.hwnd == host && posted.message == WM_KEYDOWN && posted.wParam == 'X' && posted.lParam == 0x00390001);
  EXPECT_FALSE(standin::quitPosted());

  key(WM_SYSKEYDOWN, VK_RETURN, altDown);
  EXPECT_EQ(standin::countOf("SetDisplayMode"), 0) << "not before the next frame";
  render();
  EXPECT_EQ(lastCall("SetCooperativeLevel"), windowName() + ",81");
  EXPECT_EQ(standin::calls("SetDisplayMode"), std::vector<std::string>{"1920,1080,32"});
  EXPECT_EQ(lastCall("SetWindowPos"), windowName() + ",0,0,1920,1080,100");
  key(WM_KEYDOWN, 'X');  // full screen keeps its rule: any other key ends it
  EXPECT_TRUE(standin::quitPosted());
  EXPECT_EQ(standin::postedMessages().size(), 1u);

  key(WM_SYSKEYDOWN, VK_RETURN, altDown);
  render();
  EXPECT_EQ(lastCall("SetCooperativeLevel"), windowName() + ",8");
  EXPECT_EQ(lastCall("SetWindowPos"), windowName() + ",636,326,648,388,100") << "back where it was";
  EXPECT_EQ(standin::lastViewport().dwWidth, 640u);
}

TEST_F(WindowMode, ALostSurfaceRestoresTheWholeSetOfTheWindow) {
  start("windowed=TRUE\r\n");
  render();
  standin::loseSurfaces();
  standin::clearTrace();
  render();
  const auto restored = standin::callsOf({"Restore"});  // then the textures, as in full screen
  EXPECT_EQ(std::vector<std::string>(restored.begin(), restored.begin() + std::min<size_t>(restored.size(), 4)),
            (std::vector<std::string>{"primary1.Restore()", "surface1.Restore()", "zbuffer1.Restore()", "surface2.Restore()"}));
}

TEST_F(WindowMode, TheWindowsPlaceIsSavedOnCloseInWindowedModeOnlyAndOpensThere) {
  start("windowed=TRUE\r\n");
  SetWindowPos(pluginWindow, nullptr, 100, 50, 648, 388, SWP_NOZORDER);
  quitModule(&visModule);
  EXPECT_EQ(readFile(iniPath()),
            "[Vexilumarine]\r\nwindowed=TRUE\r\nwindow x=100\r\nwindow y=50\r\nwindow width=640\r\nwindow height=360\r\n");
  restart();
  makeHost();
  ASSERT_EQ(initModule(&visModule), 0);
  EXPECT_NE(lastCall("CreateWindowExA").find(",100,50,648,388,"), std::string::npos);

  restart();
  start("");
  quitModule(&visModule);
  EXPECT_EQ(standin::countOf("WritePrivateProfileStringA"), 0) << "full screen writes nothing at Quit";
}

TEST_F(WindowMode, TheDialogsBoxesSetKeysThatGoAgainAtTheirDefaults) {
  writeIni(defaultSettingsFile + std::string("desktop size=TRUE\r\n"));
  UINT shown = 0;
  standin::setDialogDriver([&](HWND dialog) {
    shown = standin::itemCheck(dialog, 1042);
    for (int id : {1042, 1041, int(IDOK)}) standin::click(dialog, id);
  });
  configModule(&visModule);
  EXPECT_EQ(shown, BST_CHECKED);
  EXPECT_EQ(readFile(iniPath()), defaultSettingsFile + std::string("windowed=TRUE\r\n"));
  standin::setDialogDriver([&](HWND dialog) { standin::click(dialog, 1041), standin::click(dialog, IDCANCEL); });
  configModule(&visModule);
  EXPECT_EQ(readFile(iniPath()), defaultSettingsFile) << "byte for byte as before";
}

TEST(WindowPlacement, ShrinksToFitTheWorkAreaKeepingItsShape) {
  // On a 1024 x 600 work area 1280 x 720 shrinks to 16:9 inside 1016 x 572: 1016 x 571, centred.
  const RECT r = placeWindow({0, 0, 1024, 600}, {4, 24, 4, 4}, 1280, 720, unplaced, unplaced);
  EXPECT_EQ(r.right - r.left - 8, 1016);
  EXPECT_EQ(r.bottom - r.top - 28, 571);
  EXPECT_EQ(r.top, 0);
}

}  // namespace
