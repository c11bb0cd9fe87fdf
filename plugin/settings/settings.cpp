#include "settings.h"

#include <algorithm>
#include <cstring>

#include "../scheduler.h"
#include "window_settings.h"

Settings settings = {0, 1, 0, 1, 1, 0, 6000, 6000, 10000, 1000, 5, 1};

const char* const effectEnableKeys[7] = {"vu water",         "spectrum analyser", "spherical shells",
                                         "freaky movey thingy", "volumetric light", "spike cylinder",
                                         "super shells"};

namespace {

constexpr const char* fileName = "plugin.ini";

int readFlag(const char* key, const char* fallback, const char* path) {
  char text[20];
  GetPrivateProfileStringA(settingsSection, key, fallback, text, sizeof text, path);
  return std::strcmp(text, "TRUE") == 0 ? 1 : 0;
}

// The leading number, as the platform reads it ("3000ms" is 3000), saturated to the int range.
// Text that starts with no number leaves the field as it was, as an absent key does.
void readNumber(const char* key, int* field, const char* path) {
  char text[32];
  GetPrivateProfileStringA(settingsSection, key, "", text, sizeof text, path);
  const char* digits = text + (text[0] == '-' || text[0] == '+');
  if (*digits < '0' || *digits > '9') return;
  long long value = 0;
  while (*digits >= '0' && *digits <= '9' && value <= 2147483648LL) value = value * 10 + (*digits++ - '0');
  if (text[0] == '-') value = -value;
  *field = int(std::clamp(value, -2147483647LL - 1, 2147483647LL));
}

void writeFlag(const char* key, int value, const char* path) {
  WritePrivateProfileStringA(settingsSection, key, value ? "TRUE" : "FALSE", path);
}

void writeNumber(const char* key, int value, const char* path) {
  char text[32];
  wsprintfA(text, "%d", value);
  WritePrivateProfileStringA(settingsSection, key, text, path);
}

}  // namespace

int settingsFilePath(const VisModule& module, char* buffer) {
  const DWORD length = GetModuleFileNameA(module.hDllInstance, buffer, settingsPathSize);
  // A name that fills the buffer has been cut, perhaps inside a folder's name: its last
  // backslash would point into the parent folder. Too long, like any path that leaves no room.
  if (length >= DWORD(settingsPathSize)) {
    buffer[0] = '\0';
    return 0;
  }
  buffer[length] = '\0';
  char* cut = std::strrchr(buffer, '\\');
  size_t keep = cut ? size_t(cut - buffer) + 1 : 0;
  // A path too long to take the file name is not cut into someone else's file: give up.
  if (keep + std::strlen(fileName) + 1 > size_t(settingsPathSize)) {
    buffer[0] = '\0';
    return 0;
  }
  std::strcpy(buffer + keep, fileName);
  return 1;
}

void loadSettings(const VisModule& module) {
  char path[settingsPathSize];
  if (!settingsFilePath(module, path)) return;
  settings.widescreen = readFlag("widescreen", "FALSE", path);
  settings.showTitle = readFlag("show title", "TRUE", path);
  settings.persistentTitle = readFlag("persistent title", "FALSE", path);
  settings.showTime = readFlag("show time", "TRUE", path);
  settings.blurredTimeDisplay = readFlag("blurred time display", "TRUE", path);
  settings.showFps = readFlag("show FPS", "FALSE", path);
  readNumber("title persistence", &settings.titlePersistenceMs, path);
  readNumber("title fade", &settings.titleFadeMs, path);
  readNumber("effect length", &settings.effectLengthMs, path);
  readNumber("fade length", &settings.fadeLengthMs, path);
  readNumber("graphics mode", &settings.graphicsMode, path);
  for (int i = 0; i < 7; ++i) effectRecords[i].enabled = std::uint8_t(readFlag(effectEnableKeys[i], "TRUE", path));
  settings.randomEffectOrder = readFlag("random effect order", "TRUE", path);
  loadWindowSettings(path);
}

void saveSettings(const VisModule& module) {
  char path[settingsPathSize];
  if (!settingsFilePath(module, path)) return;
  writeNumber("title persistence", settings.titlePersistenceMs, path);
  writeNumber("title fade", settings.titleFadeMs, path);
  writeNumber("effect length", settings.effectLengthMs, path);
  writeNumber("fade length", settings.fadeLengthMs, path);
  writeNumber("graphics mode", settings.graphicsMode, path);
  writeFlag("widescreen", settings.widescreen, path);
  writeFlag("show title", settings.showTitle, path);
  writeFlag("persistent title", settings.persistentTitle, path);
  writeFlag("show time", settings.showTime, path);
  writeFlag("blurred time display", settings.blurredTimeDisplay, path);
  writeFlag("show FPS", settings.showFps, path);
  for (int i = 0; i < 7; ++i) writeFlag(effectEnableKeys[i], effectRecords[i].enabled, path);
  writeFlag("random effect order", settings.randomEffectOrder, path);
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
