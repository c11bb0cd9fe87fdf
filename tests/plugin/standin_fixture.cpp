#include "standin_fixture.h"

#include <fstream>
#include <sstream>
#include <unistd.h>

void PluginTest::SetUp() {
  standin::reset();
  resetPluginState();
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  // One folder per process: other trees on the machine run the same tests at the same time.
  folder = std::filesystem::temp_directory_path() / ("vexilumarine-tests-" + std::to_string(getpid())) /
           (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
}

void PluginTest::TearDown() {
  std::filesystem::remove_all(folder);
  std::error_code ignored;
  std::filesystem::remove(folder.parent_path(), ignored);  // only once empty
}

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
