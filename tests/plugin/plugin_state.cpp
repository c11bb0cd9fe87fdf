#include "plugin_state.h"

namespace {
// The plug-in's own start values (constant-initialised, so already in place when these copies are
// taken): every test starts from them, not from a copy written here.
const SchedulerState startScheduler = scheduler;
const Settings startSettings = settings;
const WindowSettings startWindowSettings = windowSettings;
}  // namespace

void resetPluginState() {
  scheduler = startScheduler;
  std::memset(effectRecords, 0, sizeof effectRecords);
  std::memset(&audioAnalysis, 0, sizeof audioAnalysis);
  std::memset(&display, 0, sizeof display);
  std::memset(&composer, 0, sizeof composer);
  settings = startSettings;
  windowSettings = startWindowSettings;
  watching = Watching::fullScreen;
  modeWidth = 640;
  modeHeight = 480;
  notWidescreen = 1;
  pluginWindow = nullptr;
  appActive = 0;
  inMenuLoop = 0;
  visModule.hwndParent = nullptr;
  visModule.hDllInstance = reinterpret_cast<HINSTANCE>(0x400000);
  visModule.nCh = 0;
  std::memset(visModule.spectrumData, 0, sizeof visModule.spectrumData);
  std::memset(visModule.waveformData, 0, sizeof visModule.waveformData);
}

void addPluginBitmaps() {
  standin::addBitmapFile("plugins/zev.bmp", {256, 256, 24, {}});
  standin::addBitmapFile("plugins/trees.bmp", {256, 256, 8, std::vector<RGBQUAD>(256)});
  standin::addBitmapFile("plugins/generated.bmp", {256, 256, 24, {}});
}
