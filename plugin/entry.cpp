// The plug-in's lifecycle: the host's calls come in here and go out to the parts that own the
// state. A newcomer's map, in which each part uses only parts listed below it (no include closes a
// circle; tools/include-cycles.py checks that):
//   entry.cpp           Init / Render / Quit / Config and the window procedure; buildDisplay, the
//                       one way the display is built, at Init and after a resize or Alt+Enter
//   window_mode.cpp     the way of watching (full screen, desktop size, a window) and the plug-in's
//                       window; it is handed buildDisplay and the player's window, never calls up
//   composer.cpp        one frame: back buffer, scheduler step, overlays, present
//   scheduler.cpp       the schedule: the current effect, the intro, the rotation and its fades
//   display.cpp         the display: DirectDraw, the surfaces, the device and the scene
//   settings/           the settings (plugin.ini through settings_file.cpp, the one key helper),
//                       the window's settings and the dialog; the effects' flags are settings
//   host_queries.cpp    the four questions put to the player's window
#include "entry.h"

#include "composer.h"
#include "display.h"
#include "scheduler.h"
#include "settings/config_dialog.h"
#include "settings/settings.h"
#include "window_mode.h"

int appActive = 0;
int inMenuLoop = 0;

namespace {

char headerDescription[] = "Vexilumarine v1.0";
char loadDescription[] = "Filled in later";

const char* const moduleNames[8] = {"All effects",         "Water",          "2d Spectrum Analyser",
                                    "Spherical Shells",    "Freaky Movey Thingy", "Volumetric Light",
                                    "Spike Cylinder",      "Super Shells"};

VisHeader header = {0x101, headerDescription, getModule};

// The display driver win.ini names, read by Init for every build of the display in the run.
char deviceName[128];

void failInit(const VisModule& module, const char* text) { MessageBoxA(module.hwndParent, text, "blah", MB_OK); }

// Whether buildDisplay runs for Init or during the run; a rebuild during the run draws the title
// at once, where Init leaves it to the first frame.
enum class DisplayBuild { atInit, duringRun };

// The display and what the composer keeps on it. The scheduler is not touched: after a rebuild the
// effect and the rotation go on where they were.
bool buildDisplay(const VisModule& module, DisplayBuild build) {
  if (!setupDisplay(deviceName, startCurrentEffect, presentationForWatching())) return false;
  prepareTitleStrip(module);
  if (build == DisplayBuild::duringRun) drawTitleText(fullGrey);
  clearTimeBitmaps();
  clearBackBuffer();
  rememberFeedbackSurfaces();
  return true;
}

bool rebuildDisplay(const VisModule& module) { return buildDisplay(module, DisplayBuild::duringRun); }

}  // namespace

VisModule visModule = {loadDescription, nullptr, nullptr, 0, 0, 25, 25, 2, 2, {}, {},
                       configModule,    initModule, renderModule, quitModule, nullptr};

extern "C" VisHeader* winampVisGetHeader() { return &header; }

VisModule* getModule(int which) {
  if (which < 0 || which > 7) return nullptr;
  visModule.description = const_cast<char*>(moduleNames[which]);
  scheduler.currentEffect = introIndex;
  if (which == 0) scheduler.cycleAll = 1;
  else scheduler.chosenEffect = which - 1;
  return &visModule;
}

void configModule(VisModule* module) { configure(*module); }

int initModule(VisModule* module) {
  for (int i = 0; i < effectCount; ++i) effectTable[i].ops->init(effectRecords[i]);
  beginSchedulerRun(timeGetTime());
  srand(scheduler.lastFrameTime);
  loadSettings(*module);
  int width, height;
  if (graphicsModeSize(settings.graphicsMode, &width, &height)) {
    modeWidth = width;
    modeHeight = height;
  }
  notWidescreen = settings.widescreen ? 0 : 1;
  chooseWatching(*module);
  scheduleIntroEnd(timeGetTime());

  WNDCLASSA windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = pluginWindowProc;
  windowClass.hInstance = module->hDllInstance;
  windowClass.lpszClassName = windowClassName;
  if (!RegisterClassA(&windowClass)) {
    failInit(*module, "Error registering window class");
    return 1;
  }
  pluginWindow = createPluginWindow(*module);
  if (!pluginWindow) {
    failInit(*module, "Error creating window");
    return 1;
  }
  ShowWindow(pluginWindow, SW_SHOWNORMAL);
  UpdateWindow(pluginWindow);

  GetProfileStringA("Vexilumarine", "Device", "", deviceName, sizeof deviceName);
  // A run starts from the first frame: nothing of an earlier run (its surfaces) is kept.
  resetComposer();
  return buildDisplay(*module, DisplayBuild::atInit) ? 0 : 1;
}

int renderModule(VisModule* module) {
  if (!windowReadyToDraw(*module, rebuildDisplay)) return 0;
  return renderFrame(*module);
}

void quitModule(VisModule* module) {
  releaseDisplayObjects(0);
  releaseOverlayObjects();
  releaseOverlayFont();
  releaseDirectDraw();
  if (pluginWindow) {
    DestroyWindow(pluginWindow);
    pluginWindow = nullptr;
  }
  saveWindowOnQuit(*module);
  UnregisterClassA(windowClassName, module->hDllInstance);
}

LRESULT CALLBACK pluginWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (LRESULT answer; handleWatchingMessage(visModule.hwndParent, hwnd, message, wParam, lParam, &answer))
    return answer;
  switch (message) {
    case WM_CREATE:
    case WM_MOVE:
    case WM_ERASEBKGND:
    case WM_MOUSEACTIVATE:
    case WM_MOUSEMOVE:
      return 0;
    case WM_DESTROY:
    case WM_KEYDOWN:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(hwnd, &paint);
      RECT client;
      GetClientRect(hwnd, &client);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ACTIVATEAPP:
      appActive = int(wParam);
      break;
    case WM_SETCURSOR:
      if (appActive && !inMenuLoop && display.backBuffer) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_ENTERMENULOOP:
      inMenuLoop = 1;
      break;
    case WM_EXITMENULOOP:
      inMenuLoop = 0;
      break;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
