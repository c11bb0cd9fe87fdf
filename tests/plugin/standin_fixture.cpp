#include "standin_fixture.h"

#include <fstream>
#include <sstream>

namespace {
// The plug-in's own start values (constant-initialised, so already in place when these copies are
// taken): every test starts from them, not from a copy written here.
const SchedulerState startScheduler = scheduler;
const Settings startSettings = settings;
}  // namespace

void resetPluginState() {
  scheduler = startScheduler;
  std::memset(effectRecords, 0, sizeof effectRecords);
  std::memset(&audioAnalysis, 0, sizeof audioAnalysis);
  std::memset(&display, 0, sizeof display);
  std::memset(&composer, 0, sizeof composer);
  settings = startSettings;
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

void PluginTest::SetUp() {
  standin::reset();
  resetPluginState();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder = std::filesystem::temp_directory_path() / "vexilumarine-tests" /
           (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
}

void PluginTest::TearDown() { std::filesystem::remove_all(folder); }

std::string PluginTest::windowsFolder() const {
  std::string path = "Z:" + folder.string();
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

void PluginTest::writeIni(const std::string& body) const {
  std::ofstream out(iniPath(), std::ios::binary);
  out << body;
}

std::string PluginTest::readFile(const std::filesystem::path& path) const {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

HWND PluginTest::makeHost() {
  HWND host = standin::createHostWindow([this](UINT message, WPARAM wp, LPARAM lp) -> LRESULT {
    if (message != WM_USER) return 0;
    if (lp == 105) return wp == 0 ? hostPosition : hostLengthSeconds;
    if (lp == 125) return hostIndex;
    if (lp == 212) return reinterpret_cast<LRESULT>(WPARAM(wp) == WPARAM(hostIndex) ? hostTitle : nullptr);
    return 0;
  });
  visModule.hwndParent = host;
  return host;
}
