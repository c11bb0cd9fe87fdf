#include "window_mode.h"

#include <algorithm>
#include <cstring>

#include "settings/window_settings.h"

Watching watching = Watching::fullScreen;

namespace {

constexpr DWORD fullScreenStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD windowStyle = WS_OVERLAPPEDWINDOW;

struct WatchingState {
  int toggleRequested;  // Alt+Enter, carried out at the next frame
  int rebuildFailed;
};

WatchingState state;

RECT monitorArea(HWND player, bool workArea) {
  MONITORINFO info;
  std::memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromWindow(player, MONITOR_DEFAULTTOPRIMARY), &info)) return RECT{0, 0, 640, 480};
  return workArea ? info.rcWork : info.rcMonitor;
}

// The frame's thickness around the client area of a window of `style`.
RECT frameOf(DWORD style) {
  RECT r = {0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_APPWINDOW);
  return RECT{-r.left, -r.top, r.right, r.bottom};
}

RECT windowRectFromSettings(HWND player) {
  return placeWindow(monitorArea(player, true), frameOf(windowStyle), windowSettings.clientWidth,
                     windowSettings.clientHeight, windowSettings.windowX, windowSettings.windowY);
}

void takeClientSize() {
  RECT client;
  if (GetClientRect(pluginWindow, &client) && client.right > 0 && client.bottom > 0) {
    modeWidth = client.right;
    modeHeight = client.bottom;
  }
}

// The window's place and client size as they are now (a minimised window keeps the last ones).
void rememberPlacement(HWND hwnd) {
  RECT outer, client;
  if (IsIconic(hwnd) || !GetWindowRect(hwnd, &outer) || !GetClientRect(hwnd, &client)) return;
  windowSettings.windowX = outer.left;
  windowSettings.windowY = outer.top;
  windowSettings.clientWidth = client.right;
  windowSettings.clientHeight = client.bottom;
}

// Everything display-bound is made again by the builder Init uses (the entry's buildDisplay); a
// failure is noted and tried again at the next frame.
bool tryRebuild(const VisModule& module, DisplayBuilder rebuild) {
  state.rebuildFailed = rebuild(module) ? 0 : 1;
  return !state.rebuildFailed;
}

void placePluginWindow(DWORD style, const RECT& outer) {
  SetWindowLongA(pluginWindow, GWL_STYLE, LONG(style | WS_VISIBLE));
  SetWindowPos(pluginWindow, nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOZORDER | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
}

// Alt+Enter: from the window to full screen at the desktop's size, or back. Full screen gives the
// display back before the window returns.
void switchWatching(const VisModule& module, DisplayBuilder rebuild) {
  releaseDisplayObjects(1);
  if (watching == Watching::window) {
    rememberPlacement(pluginWindow);
    watching = Watching::desktopSize;
    placePluginWindow(fullScreenStyle, monitorArea(module.hwndParent, false));
  } else {
    watching = Watching::window;
    placePluginWindow(windowStyle, windowRectFromSettings(module.hwndParent));
    takeClientSize();
  }
  tryRebuild(module, rebuild);
}

bool isAltEnter(UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_SYSKEYDOWN && wParam == VK_RETURN && (lParam & (LPARAM(1) << 29));
}

}  // namespace

RECT placeWindow(const RECT& work, const RECT& frame, int clientWidth, int clientHeight, int x, int y) {
  double width = std::max(clientWidth, minimumClientWidth), height = std::max(clientHeight, minimumClientHeight);
  const int roomWidth = int(work.right - work.left - frame.left - frame.right);
  const int roomHeight = int(work.bottom - work.top - frame.top - frame.bottom);
  const double scale = std::min({1.0, roomWidth / width, roomHeight / height});
  width = std::max(int(width * scale), minimumClientWidth);
  height = std::max(int(height * scale), minimumClientHeight);
  const LONG outerWidth = LONG(width) + frame.left + frame.right, outerHeight = LONG(height) + frame.top + frame.bottom;
  LONG left = work.left + (work.right - work.left - outerWidth) / 2;
  LONG top = work.top + (work.bottom - work.top - outerHeight) / 2;
  if (x != unplaced) {
    left = std::max(std::min(LONG(x), work.right - outerWidth), work.left);
    top = std::max(std::min(LONG(y), work.bottom - outerHeight), work.top);
  }
  return RECT{left, top, left + outerWidth, top + outerHeight};
}

void chooseWatching(const VisModule& module) {
  std::memset(&state, 0, sizeof state);
  watching = windowSettings.windowed ? Watching::window
             : windowSettings.desktopSize ? Watching::desktopSize
                                          : Watching::fullScreen;
  if (watching == Watching::desktopSize) {
    const RECT screen = monitorArea(module.hwndParent, false);
    modeWidth = screen.right - screen.left;
    modeHeight = screen.bottom - screen.top;
  }
}

Presentation presentationForWatching() {
  switch (watching) {
    case Watching::window:
      return Presentation::blitToWindow;
    case Watching::desktopSize:
      return Presentation::flipAtDesktopMode;
    case Watching::fullScreen:
      break;
  }
  return Presentation::flipAtGraphicsMode;
}

HWND createPluginWindow(const VisModule& module) {
  if (watching == Watching::fullScreen)
    return CreateWindowExA(WS_EX_APPWINDOW, windowClassName, module.description, fullScreenStyle, 0, 0, modeWidth,
                           modeHeight, nullptr, nullptr, module.hDllInstance, nullptr);
  const RECT outer = watching == Watching::window ? windowRectFromSettings(module.hwndParent)
                                                  : monitorArea(module.hwndParent, false);
  HWND window = CreateWindowExA(WS_EX_APPWINDOW, windowClassName, module.description,
                                watching == Watching::window ? windowStyle : fullScreenStyle, outer.left, outer.top,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                module.hDllInstance, nullptr);
  pluginWindow = window;
  if (window && watching == Watching::window) takeClientSize();
  return window;
}

bool windowReadyToDraw(const VisModule& module, DisplayBuilder rebuild) {
  if (watching == Watching::fullScreen) return true;
  if (state.toggleRequested) {
    state.toggleRequested = 0;
    switchWatching(module, rebuild);
  }
  if (watching == Watching::window) {
    if (IsIconic(pluginWindow) || !IsWindowVisible(pluginWindow)) return false;
    RECT client;
    if (!GetClientRect(pluginWindow, &client) || client.right <= 0 || client.bottom <= 0) return false;
    if (client.right != modeWidth || client.bottom != modeHeight) {
      modeWidth = client.right;
      modeHeight = client.bottom;
      return tryRebuild(module, rebuild);
    }
  }
  return !state.rebuildFailed || tryRebuild(module, rebuild);
}

bool handleWatchingMessage(HWND player, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (watching == Watching::fullScreen) return false;
  *result = 0;
  if (isAltEnter(message, wParam, lParam)) {
    state.toggleRequested = 1;
    return true;
  }
  if (watching != Watching::window) return false;  // full screen: any key ends it, as it always has
  switch (message) {
    case WM_KEYDOWN:
      // The player's own keys (play, pause, next) go on working while the window has the focus.
      if (wParam == VK_ESCAPE) PostQuitMessage(0);
      else PostMessageA(player, WM_KEYDOWN, wParam, lParam);
      return true;
    case WM_SETCURSOR:
      // A window shows the cursor: the arrow over the picture, the frame's own over the frame.
      if (LOWORD(UINT_PTR(lParam)) != HTCLIENT) return false;
      SetCursor(LoadCursorA(nullptr, IDC_ARROW));
      *result = TRUE;
      return true;
    case WM_GETMINMAXINFO: {
      const RECT frame = frameOf(windowStyle);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize.x = minimumClientWidth + frame.left + frame.right;
      limits->ptMinTrackSize.y = minimumClientHeight + frame.top + frame.bottom;
      return true;
    }
    case WM_DESTROY:
      rememberPlacement(hwnd);
      return false;  // and the quit message, as in full screen
    default:
      return false;
  }
}

void saveWindowOnQuit(const VisModule& module) {
  if (windowSettings.windowed) saveWindowPlacement(module);
}
