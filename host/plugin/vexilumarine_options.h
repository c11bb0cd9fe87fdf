// What is specific to our own plug-in, vis_vexilumarine.dll: it is the default, and --mode,
// --widescreen, --windowed, --window-size and --desktop-size are keys of its plugin.ini, written
// for one run and put back afterwards. Given another plug-in, those options say they do not apply.
#pragma once

#include <string>

#include "options.h"

// Plugins\vis_vexilumarine.dll beside vishost.
std::string defaultPluginPath();

// The plug-in's settings file as it was before the run changed it.
struct SavedPluginSettings {
  bool written = false;
  std::string path;
  bool existed = false;
  std::string contents;
};

// Writes the run's options into the plug-in's plugin.ini (our plug-in only; for another one it
// prints that they do not apply). Returns what restorePluginSettings puts back.
SavedPluginSettings applyPluginSettings(const std::string& dllPath, const HostOptions& options);
void restorePluginSettings(const SavedPluginSettings& saved);
