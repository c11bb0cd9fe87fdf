#include "settings_file.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr const char* fileName = "plugin.ini";

// A key back at its default is deleted; one that is not in the file is left alone, so a file that
// never had it is not written at all.
void deleteKey(const char* key, const char* path) {
  char text[4];
  GetPrivateProfileStringA(settingsSection, key, "", text, sizeof text, path);
  if (text[0]) WritePrivateProfileStringA(settingsSection, key, nullptr, path);
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

int readFlag(const char* key, const char* fallback, const char* path) {
  char text[20];
  GetPrivateProfileStringA(settingsSection, key, fallback, text, sizeof text, path);
  return std::strcmp(text, "TRUE") == 0 ? 1 : 0;
}

void readLeadingNumber(const char* key, int* field, const char* path) {
  char text[32];
  GetPrivateProfileStringA(settingsSection, key, "", text, sizeof text, path);
  const char* digits = text + (text[0] == '-' || text[0] == '+');
  if (*digits < '0' || *digits > '9') return;
  long long value = 0;
  while (*digits >= '0' && *digits <= '9' && value <= 2147483648LL) value = value * 10 + (*digits++ - '0');
  if (text[0] == '-') value = -value;
  *field = int(std::clamp(value, -2147483647LL - 1, 2147483647LL));
}

int readPlatformNumber(const char* key, int fallback, const char* path) {
  return int(GetPrivateProfileIntA(settingsSection, key, fallback, path));
}

void writeFlagAlways(const char* key, int value, const char* path) {
  WritePrivateProfileStringA(settingsSection, key, value ? "TRUE" : "FALSE", path);
}

void writeNumberAlways(const char* key, int value, const char* path) {
  char text[32];
  wsprintfA(text, "%d", value);
  WritePrivateProfileStringA(settingsSection, key, text, path);
}

void writeFlagOrDeleteAtDefault(const char* key, int value, const char* path) {
  if (value) WritePrivateProfileStringA(settingsSection, key, "TRUE", path);
  else deleteKey(key, path);
}

void writeNumberOrDeleteAtDefault(const char* key, int value, int defaultValue, const char* path) {
  if (value == defaultValue) deleteKey(key, path);
  else writeNumberAlways(key, value, path);
}
