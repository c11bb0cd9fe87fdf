// vishost's command line.
#pragma once

#include <string>
#include <vector>

struct HostOptions {
  std::string pluginPath;  // empty: Plugins\vis_vexilumarine.dll beside vishost
  bool list = false;
  bool config = false;
  int module = 0;
  int frames = 300;
  double seconds = 0;  // > 0: run for this long instead of a frame count
  int fps = 60;
  std::vector<int> captureAt;
  std::string outDir = ".";
  int graphicsMode = -1;  // >= 0: written into the plug-in's ini before Init
  bool widescreen = false;
  bool benchmark = false;
  std::vector<std::string> titles;
};

// Parses argv; on a bad argument returns false with a one-line message in `error`.
bool parseOptions(int argc, char** argv, HostOptions& options, std::string& error);
const char* usageText();
