#include "window_events.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "plugin_window.h"

bool parseSize(const std::string& text, int& width, int& height) {
  char* end = nullptr;
  const long w = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != 'x') return false;
  const char* rest = end + 1;
  const long h = std::strtol(rest, &end, 10);
  if (end == rest || *end != '\0' || w < 1 || h < 1 || w > 16384 || h > 16384) return false;
  width = int(w);
  height = int(h);
  return true;
}

bool parseWindowEvent(const std::string& text, WindowEvent& event) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  char* end = nullptr;
  const long frame = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + colon || frame < 1 || frame > 100000000) return false;
  event.frame = int(frame);
  const std::string what = text.substr(colon + 1);
  if (what == "key") event.kind = WindowEvent::key;
  else if (what == "escape") event.kind = WindowEvent::escape;
  else if (what == "alt-enter") event.kind = WindowEvent::altEnter;
  else if (what == "minimise") event.kind = WindowEvent::minimise;
  else if (what == "restore") event.kind = WindowEvent::restore;
  else if (parseSize(what, event.width, event.height)) event.kind = WindowEvent::resize;
  else return false;
  return true;
}

namespace {

// Gives the window a client area of width x height, moved up and left as far as it takes to stay
// on the screen (as a user makes room before dragging the frame), so captures hold all of it.
void resizeClient(HWND window, int width, int height) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const int outerWidth = width + (outer.right - outer.left) - client.right;
  const int outerHeight = height + (outer.bottom - outer.top) - client.bottom;
  const int left = std::max(0, std::min(int(outer.left), GetSystemMetrics(SM_CXSCREEN) - outerWidth));
  const int top = std::max(0, std::min(int(outer.top), GetSystemMetrics(SM_CYSCREEN) - outerHeight));
  SetWindowPos(window, nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER);
}

// Keys go to the plug-in's own window; the frame around it is minimised, restored and resized.
void apply(HWND keyWindow, const WindowEvent& event) {
  HWND window = GetAncestor(keyWindow, GA_ROOT);
  switch (event.kind) {
    case WindowEvent::key:
      PostMessageA(keyWindow, WM_KEYDOWN, VK_SPACE, 0x00390001);
      break;
    case WindowEvent::escape:
      PostMessageA(keyWindow, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      break;
    case WindowEvent::altEnter:  // bit 29: the Alt key is down
      PostMessageA(keyWindow, WM_SYSKEYDOWN, VK_RETURN, 0x201C0001);
      break;
    case WindowEvent::minimise:
      ShowWindow(window, SW_MINIMIZE);
      break;
    case WindowEvent::restore:
      ShowWindow(window, SW_RESTORE);
      break;
    case WindowEvent::resize:
      resizeClient(window, event.width, event.height);
      break;
  }
}

}  // namespace

void applyWindowEvents(const std::vector<WindowEvent>& events, int frame) {
  for (const WindowEvent& event : events) {
    if (event.frame != frame) continue;
    HWND window = pluginKeyWindow();
    if (!window) {
      std::fprintf(stderr, "vishost: no plug-in window for the event at frame %d\n", frame);
      continue;
    }
    apply(window, event);
  }
}
