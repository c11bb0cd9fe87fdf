// The plug-in's options, kept in "plugin.ini" beside the DLL, section "Vexilumarine".
#pragma once

#include "../vis_module.h"
#include "settings_file.h"

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
  // Effects 0..6 in the rotation; the intro never is. The scheduler reads them.
  int effectEnabled[7];
};

extern Settings settings;

// The enable keys of effects 0..6, in effect order.
extern const char* const effectEnableKeys[7];

// Both read and write the window's settings too (settings/window_settings.h).
void loadSettings(const VisModule& module);
void saveSettings(const VisModule& module);

// Width and height of a graphics mode; false for a mode outside 0..10.
bool graphicsModeSize(int mode, int* width, int* height);
