#include "window_settings.h"

#include <cstring>

#include "settings.h"

WindowSettings windowSettings = {0, 0, unplaced, unplaced, defaultClientWidth, defaultClientHeight};

namespace {

int readFlag(const char* key, const char* path) {
  char text[20];
  GetPrivateProfileStringA(settingsSection, key, "FALSE", text, sizeof text, path);
  return std::strcmp(text, "TRUE") == 0 ? 1 : 0;
}

int readNumber(const char* key, int fallback, const char* path) {
  return int(GetPrivateProfileIntA(settingsSection, key, fallback, path));
}

// A key back at its default is deleted; one that is not in the file is left alone, so a file that
// never had it is not written at all.
void deleteKey(const char* key, const char* path) {
  char text[4];
  GetPrivateProfileStringA(settingsSection, key, "", text, sizeof text, path);
  if (text[0]) WritePrivateProfileStringA(settingsSection, key, nullptr, path);
}

void writeNumber(const char* key, int value, int fallback, const char* path) {
  if (value == fallback) {
    deleteKey(key, path);
    return;
  }
  char text[32];
  wsprintfA(text, "%d", value);
  WritePrivateProfileStringA(settingsSection, key, text, path);
}

void writeFlag(const char* key, int value, const char* path) {
  if (value) WritePrivateProfileStringA(settingsSection, key, "TRUE", path);
  else deleteKey(key, path);
}

void writePlacement(const char* path) {
  writeNumber("window x", windowSettings.windowX, unplaced, path);
  writeNumber("window y", windowSettings.windowY, unplaced, path);
  writeNumber("window width", windowSettings.clientWidth, defaultClientWidth, path);
  writeNumber("window height", windowSettings.clientHeight, defaultClientHeight, path);
}

}  // namespace

void loadWindowSettings(const char* path) {
  windowSettings.windowed = readFlag("windowed", path);
  windowSettings.desktopSize = readFlag("desktop size", path);
  windowSettings.windowX = readNumber("window x", unplaced, path);
  windowSettings.windowY = readNumber("window y", unplaced, path);
  windowSettings.clientWidth = readNumber("window width", defaultClientWidth, path);
  windowSettings.clientHeight = readNumber("window height", defaultClientHeight, path);
}

void saveWindowSettings(const char* path) {
  writeFlag("windowed", windowSettings.windowed, path);
  writeFlag("desktop size", windowSettings.desktopSize, path);
  writePlacement(path);
}

void saveWindowPlacement(const VisModule& module) {
  char path[settingsPathSize];
  if (settingsFilePath(module, path)) writePlacement(path);
}
