#include "settings.h"

#include "window_settings.h"

// The effects' flags start cleared until the file is read: the rotation then takes all seven.
Settings settings = {0, 1, 0, 1, 1, 0, 6000, 6000, 10000, 1000, 5, 1, {}};

const char* const effectEnableKeys[7] = {"vu water",         "spectrum analyser", "spherical shells",
                                         "freaky movey thingy", "volumetric light", "spike cylinder",
                                         "super shells"};

void loadSettings(const VisModule& module) {
  char path[settingsPathSize];
  if (!settingsFilePath(module, path)) return;
  settings.widescreen = readFlag("widescreen", "FALSE", path);
  settings.showTitle = readFlag("show title", "TRUE", path);
  settings.persistentTitle = readFlag("persistent title", "FALSE", path);
  settings.showTime = readFlag("show time", "TRUE", path);
  settings.blurredTimeDisplay = readFlag("blurred time display", "TRUE", path);
  settings.showFps = readFlag("show FPS", "FALSE", path);
  readLeadingNumber("title persistence", &settings.titlePersistenceMs, path);
  readLeadingNumber("title fade", &settings.titleFadeMs, path);
  readLeadingNumber("effect length", &settings.effectLengthMs, path);
  readLeadingNumber("fade length", &settings.fadeLengthMs, path);
  readLeadingNumber("graphics mode", &settings.graphicsMode, path);
  for (int i = 0; i < 7; ++i) settings.effectEnabled[i] = readFlag(effectEnableKeys[i], "TRUE", path);
  settings.randomEffectOrder = readFlag("random effect order", "TRUE", path);
  loadWindowSettings(path);
}

void saveSettings(const VisModule& module) {
  char path[settingsPathSize];
  if (!settingsFilePath(module, path)) return;
  writeNumberAlways("title persistence", settings.titlePersistenceMs, path);
  writeNumberAlways("title fade", settings.titleFadeMs, path);
  writeNumberAlways("effect length", settings.effectLengthMs, path);
  writeNumberAlways("fade length", settings.fadeLengthMs, path);
  writeNumberAlways("graphics mode", settings.graphicsMode, path);
  writeFlagAlways("widescreen", settings.widescreen, path);
  writeFlagAlways("show title", settings.showTitle, path);
  writeFlagAlways("persistent title", settings.persistentTitle, path);
  writeFlagAlways("show time", settings.showTime, path);
  writeFlagAlways("blurred time display", settings.blurredTimeDisplay, path);
  writeFlagAlways("show FPS", settings.showFps, path);
  for (int i = 0; i < 7; ++i) writeFlagAlways(effectEnableKeys[i], settings.effectEnabled[i], path);
  writeFlagAlways("random effect order", settings.randomEffectOrder, path);
  saveWindowSettings(path);
}

bool graphicsModeSize(int mode, int* width, int* height) {
  static const int sizes[11][2] = {{320, 200}, {320, 240},  {400, 300},  {512, 384},   {640, 400},  {640, 480},
                                   {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}};
  if (mode < 0 || mode > 10) return false;
  *width = sizes[mode][0];
  *height = sizes[mode][1];
  return true;
}
