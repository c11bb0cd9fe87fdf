// libFuzzer target: an arbitrary "plugin.ini" read through the stand-in's profile reader, and the
// settings dialog with arbitrary text in its number fields. The input is one byte saying which
// check boxes the user clicks (bits 0..6: effects 0..6, bit 7: show FPS), four lines typed into
// the title persistence, title fade, effect length and fade length fields, then the file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "plugin_state.h"
#include "settings/config_dialog.h"

namespace {

const int numberIds[4] = {1037, 1038, 1040, 1032};
int Settings::*const numberFields[4] = {&Settings::titlePersistenceMs, &Settings::titleFadeMs,
                                        &Settings::effectLengthMs, &Settings::fadeLengthMs};

const std::filesystem::path& folder() {
  static const std::filesystem::path path = [] {
    auto p = std::filesystem::temp_directory_path() / ("vexilumarine-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return path;
}

// The number a field's text reads as: blanks, an optional minus, then digits within the int
// range; anything else reads as 0.
long long typedNumber(const std::string& text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos) return 0;
  const bool negative = text[i] == '-';
  if (negative) ++i;
  if (i == text.size()) return 0;
  long long value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = std::min(value * 10 + (text[i] - '0'), 1LL << 40);
  }
  if (negative) value = -value;
  return value < INT32_MIN || value > INT32_MAX ? 0 : value;
}

bool isFlag(int value) { return value == 0 || value == 1; }

bool flagsAreFlags() {
  const Settings& s = settings;
  bool ok = isFlag(s.widescreen) && isFlag(s.showTitle) && isFlag(s.persistentTitle) && isFlag(s.showTime) &&
            isFlag(s.blurredTimeDisplay) && isFlag(s.showFps) && isFlag(s.randomEffectOrder);
  for (int i = 0; i < 7; ++i) ok = ok && isFlag(settings.effectEnabled[i]);
  return ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t clicks = data[0];
  std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string typed[4];
  for (std::string& field : typed) {
    const size_t end = rest.find('\n');
    field = rest.substr(0, end);
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
  }

  standin::reset();
  resetPluginState();
  standin::setTracing(false);
  std::string windows = "Z:" + folder().string();
  for (char& c : windows)
    if (c == '/') c = '\\';
  standin::setModulePath(windows + "\\vis_vexilumarine.dll");
  const auto ini = folder() / "plugin.ini";
  std::ofstream(ini, std::ios::binary | std::ios::trunc) << rest;

  loadSettings(visModule);
  if (!flagsAreFlags()) __builtin_trap();
  const Settings loaded = settings;

  // OK keeps a field's old value when it holds a negative number, and says so; with fewer than
  // two effects left it puts all seven back, and says so.
  int expected[4];
  size_t messages = 0;
  for (int i = 0; i < 4; ++i) {
    const long long typedValue = typedNumber(typed[i]);
    expected[i] = typedValue < 0 ? loaded.*numberFields[i] : int(typedValue);
    messages += typedValue < 0;
  }
  uint8_t expectedEffects[7];
  int enabledAfterClicks = 0;
  for (int i = 0; i < 7; ++i) enabledAfterClicks += expectedEffects[i] = settings.effectEnabled[i] ^ ((clicks >> i) & 1);
  if (enabledAfterClicks < 2) {
    std::memset(expectedEffects, 1, sizeof expectedEffects);
    ++messages;
  }
  standin::setDialogDriver([&](HWND dialog) {
    for (int i = 0; i < 4; ++i) standin::setItemText(dialog, numberIds[i], typed[i]);
    for (int i = 0; i < 7; ++i)
      if (clicks & (1 << i)) standin::click(dialog, 1005 + i);
    if (clicks & 0x80) standin::click(dialog, 1031);
    standin::click(dialog, IDOK);
  });
  configure(visModule);

  if (!flagsAreFlags() || standin::messageBoxes().size() != messages) __builtin_trap();
  for (int i = 0; i < 7; ++i)
    if (settings.effectEnabled[i] != expectedEffects[i]) __builtin_trap();
  for (int i = 0; i < 4; ++i)
    if (settings.*numberFields[i] != expected[i]) __builtin_trap();
  if (settings.showFps != (loaded.showFps ^ (clicks >> 7))) __builtin_trap();

  // What OK saved reads back the same.
  const Settings saved = settings;
  uint8_t savedEffects[7];
  for (int i = 0; i < 7; ++i) savedEffects[i] = settings.effectEnabled[i];
  resetPluginState();
  loadSettings(visModule);
  const Settings& again = settings;
  if (std::memcmp(&again, &saved, sizeof saved) != 0) __builtin_trap();
  for (int i = 0; i < 7; ++i)
    if (settings.effectEnabled[i] != savedEffects[i]) __builtin_trap();
  return 0;
}
