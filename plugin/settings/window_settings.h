// The ways of watching beside the classic full screen: in a window, or full screen at the
// desktop's own mode, and the window's last place. Kept in "plugin.ini" with the other settings,
// each key written only while it differs from its default, so a file that never used them stays
// as it was.
#pragma once

#include <climits>

#include "../vis_module.h"

struct WindowSettings {
  int windowed;     // "windowed": a normal, resizable window instead of full screen
  int desktopSize;  // "desktop size": full screen at the monitor's own mode
  int windowX;      // "window x", "window y": the window's top left corner; unplaced when absent
  int windowY;
  int clientWidth;  // "window width", "window height": the client area's size
  int clientHeight;
};

constexpr int unplaced = INT_MIN;
constexpr int defaultClientWidth = 1280;
constexpr int defaultClientHeight = 720;
constexpr int minimumClientWidth = 160;
constexpr int minimumClientHeight = 120;

extern WindowSettings windowSettings;

// Read and written by loadSettings and saveSettings, with the settings file's path.
void loadWindowSettings(const char* path);
void saveWindowSettings(const char* path);
// Only the window's place and size, written when the window closes.
void saveWindowPlacement(const VisModule& module);
