// Saving what is on screen as a 24-bit BMP file.
#pragma once

#include <string>

// Copies the screen rectangle (0, 0, width, height) into `path`. Returns false on failure.
bool captureScreen(int width, int height, const std::string& path);

// The size of the picture to capture: the foreground (plug-in) window, else the whole screen.
void pictureSize(int& width, int& height);
