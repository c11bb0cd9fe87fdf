#include "window_settings.h"

#include "settings_file.h"

WindowSettings windowSettings = {0, 0, unplaced, unplaced, defaultClientWidth, defaultClientHeight};

namespace {

void writePlacement(const char* path) {
  writeNumberOrDeleteAtDefault("window x", windowSettings.windowX, unplaced, path);
  writeNumberOrDeleteAtDefault("window y", windowSettings.windowY, unplaced, path);
  writeNumberOrDeleteAtDefault("window width", windowSettings.clientWidth, defaultClientWidth, path);
  writeNumberOrDeleteAtDefault("window height", windowSettings.clientHeight, defaultClientHeight, path);
}

}  // namespace

void loadWindowSettings(const char* path) {
  windowSettings.windowed = readFlag("windowed", "FALSE", path);
  windowSettings.desktopSize = readFlag("desktop size", "FALSE", path);
  windowSettings.windowX = readPlatformNumber("window x", unplaced, path);
  windowSettings.windowY = readPlatformNumber("window y", unplaced, path);
  windowSettings.clientWidth = readPlatformNumber("window width", defaultClientWidth, path);
  windowSettings.clientHeight = readPlatformNumber("window height", defaultClientHeight, path);
}

void saveWindowSettings(const char* path) {
  writeFlagOrDeleteAtDefault("windowed", windowSettings.windowed, path);
  writeFlagOrDeleteAtDefault("desktop size", windowSettings.desktopSize, path);
  writePlacement(path);
}

void saveWindowPlacement(const VisModule& module) {
  char path[settingsPathSize];
  if (settingsFilePath(module, path)) writePlacement(path);
}
