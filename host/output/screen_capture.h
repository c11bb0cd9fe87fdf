// Saving what is on screen as a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

// Copies the screen rectangle (0, 0, width, height) into `path`. Returns false on failure.
bool captureScreen(int width, int height, const std::string& path);

// Copies the screen rectangle `area` into `path`.
bool captureScreenArea(const RECT& area, const std::string& path);

// Where the picture is on the screen: the client area of the plug-in's window when it is a
// resizable window, else (0, 0) and the size below.
RECT pictureArea();

// The size of the picture to capture: the foreground (plug-in) window, else the whole screen.
void pictureSize(int& width, int& height);
