// The ways of watching beside the classic full screen: the plug-in's window as a normal,
// resizable window, full screen at the desktop's own size, and Alt+Enter between the two. This
// file owns the way of watching; the entry calls it and hands it what it needs.
#pragma once

#include "display.h"
#include "vis_module.h"

constexpr const char* windowClassName = "Vexilumarine";

// How the user watches: the classic full screen at the graphics mode, full screen at the
// desktop's own mode, or in a window at its client size (modeWidth x modeHeight then hold the
// desktop's or the client area's size). Set by chooseWatching and Alt+Enter only.
enum class Watching { fullScreen, desktopSize, window };
extern Watching watching;

// Init's choice from the settings: sets `watching` and, for the new ways, modeWidth x modeHeight.
void chooseWatching(const VisModule& module);
// The display's presentation for the way of watching now.
Presentation presentationForWatching();
// The plug-in's window for the way of watching chosen; null on failure.
HWND createPluginWindow(const VisModule& module);

// The plug-in's one way of building the display, which the entry gives for the rebuilds.
using DisplayBuilder = bool (*)(const VisModule& module);
// Render's first step. Carries out an Alt+Enter and follows the window's size (rebuilding the
// display through `rebuild`); false when there is nothing to draw: the window is minimised or
// hidden, or the display could not be rebuilt (tried again next frame).
bool windowReadyToDraw(const VisModule& module, DisplayBuilder rebuild);
// The window procedure's share of the new ways; true when it answered the message in *result.
// Keys the window does not use go on to the player's window.
bool handleWatchingMessage(HWND player, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// Quit's share: the window's place and size go into plugin.ini, in windowed mode only.
void saveWindowOnQuit(const VisModule& module);

// The window's outer rectangle in `work` (the monitor's work area) for a client area of
// clientWidth x clientHeight (at least the minimum size) inside a frame of the given thickness
// (left, top, right, bottom): made smaller to fit, its shape kept, at (x, y) or centred when x
// is unplaced, and moved inside the work area.
RECT placeWindow(const RECT& work, const RECT& frame, int clientWidth, int clientHeight, int x, int y);
