// The plug-in's options, kept in "plugin.ini" beside the DLL, section "Vexilumarine".
#pragma once

#include "../vis_module.h"

struct Settings {
  int widescreen;
  int showTitle;
  int persistentTitle;
  int showTime;
  int blurredTimeDisplay;
  int showFps;
  int titlePersistenceMs;
  int titleFadeMs;
  int effectLengthMs;
  int fadeLengthMs;
  int graphicsMode;
  int randomEffectOrder;
};

extern Settings settings;

constexpr int settingsPathSize = 260;
constexpr const char* settingsSection = "Vexilumarine";

// The enable keys of effects 0..6, in effect order.
extern const char* const effectEnableKeys[7];

// The settings file's full path into `buffer` (settingsPathSize characters). Returns 0 when the
// module path leaves no room for the file name: the caller then neither reads nor writes.
int settingsFilePath(const VisModule& module, char* buffer);
void loadSettings(const VisModule& module);
void saveSettings(const VisModule& module);

// Width and height of a graphics mode; false for a mode outside 0..10.
bool graphicsModeSize(int mode, int* width, int* height);
