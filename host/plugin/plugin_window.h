// The plug-in's window, found the same way for every plug-in: the one it announced to the player,
// else the embedded frame it asked for, else the largest visible top-level window of this process
// that is neither the player's window nor a message box. Its client area is the picture.
#pragma once

#include <windows.h>

// The window whose client area holds the picture; null when the plug-in shows none.
HWND pluginWindow();
// The window that takes the plug-in's keys (the plug-in's own window inside an embedded frame).
HWND pluginKeyWindow();
// The picture's rectangle on the screen as it is now, cut to the screen; the whole screen when
// the plug-in shows no window.
RECT pluginPictureArea();
