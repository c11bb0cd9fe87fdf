#include "entry.h"

#include <cstring>

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

constexpr int deviceNameSize = 128;

void failInit(const VisModule& module, const char* text) { MessageBoxA(module.hwndParent, text, "blah", MB_OK); }

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

  char deviceName[deviceNameSize];
  GetProfileStringA("Vexilumarine", "Device", "", deviceName, deviceNameSize);
  rememberDeviceName(deviceName);
  // A run starts from the first frame: nothing of an earlier run (its surfaces) is kept.
  resetComposer();
  if (!setupDisplay(deviceName)) return 1;
  prepareTitleStrip(*module);
  clearTimeBitmaps();
  clearBackBuffer();
  return 0;
}

int renderModule(VisModule* module) { return renderFrame(*module); }

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
  if (LRESULT answer; handleWatchingMessage(hwnd, message, wParam, lParam, &answer)) return answer;
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
