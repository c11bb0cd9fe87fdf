#include "plugin_window.h"

#include <algorithm>

#include "player_window.h"

namespace {

struct Search {
  HWND best = nullptr;
  long bestArea = 0;
};

bool isHostOrBox(HWND window) {
  char name[64];
  if (!GetClassNameA(window, name, sizeof name)) return true;
  return lstrcmpA(name, "Winamp v1.x") == 0 || lstrcmpA(name, "#32770") == 0;
}

BOOL CALLBACK considerWindow(HWND window, LPARAM parameter) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  RECT client;
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || isHostOrBox(window) ||
      !GetClientRect(window, &client))
    return TRUE;
  auto& search = *reinterpret_cast<Search*>(parameter);
  const long area = long(client.right) * client.bottom;
  if (area > search.bestArea || (!search.best && IsIconic(window))) {
    search.best = window;
    search.bestArea = area;
  }
  return TRUE;
}

}  // namespace

HWND pluginWindow() {
  if (HWND window = announcedWindow(); window && IsWindow(window)) return window;
  if (HWND frame = embeddedFrame(); frame && IsWindow(frame)) return frame;
  Search search;
  EnumWindows(considerWindow, LPARAM(&search));
  return search.best;
}

HWND pluginKeyWindow() {
  HWND window = pluginWindow();
  if (window && window == embeddedFrame())
    if (HWND child = GetWindow(window, GW_CHILD)) return child;
  return window;
}

RECT pluginPictureArea() {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT client;
  POINT corner = {0, 0};
  HWND window = pluginWindow();
  if (!window || !GetClientRect(window, &client) || client.right < 1 || client.bottom < 1 ||
      !ClientToScreen(window, &corner))
    return RECT{0, 0, screenWidth, screenHeight};
  // Only what lies on the screen can be copied from it.
  return RECT{std::max<LONG>(corner.x, 0), std::max<LONG>(corner.y, 0),
              std::min<LONG>(corner.x + client.right, screenWidth),
              std::min<LONG>(corner.y + client.bottom, screenHeight)};
}
