// The settings store on the real profile functions: it must read and write exactly the files the
// native stand-in does.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "../plugin/settings_files.h"
#include "settings/settings.h"

namespace {

class RealProfileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    module.hDllInstance = GetModuleHandleA(nullptr);
    char buffer[settingsPathSize];
    ASSERT_EQ(settingsFilePath(module, buffer), 1);
    path = buffer;
    DeleteFileA(path.c_str());
    settings = Settings{0, 1, 0, 1, 1, 0, 6000, 6000, 10000, 1000, 5, 1, {}};
  }
  void TearDown() override { DeleteFileA(path.c_str()); }

  void write(const char* body) {
    std::ofstream out(path, std::ios::binary);
    out << body;
  }
  std::string read() {
    // The platform caches profile files; make sure what it wrote is on disk.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  VisModule module{};
  std::string path;
};

TEST_F(RealProfileFiles, DefaultsWriteTheSameNewFile) {
  loadSettings(module);
  saveSettings(module);
  EXPECT_EQ(read(), defaultSettingsFile);
}

TEST_F(RealProfileFiles, HandEditedFileReadsAndRewritesAlike) {
  write(handEditedSettingsFile);
  loadSettings(module);
  EXPECT_EQ(settings.widescreen, 0);
  EXPECT_EQ(settings.showTitle, 0);
  EXPECT_EQ(settings.showFps, 1);
  EXPECT_EQ(settings.effectLengthMs, 3000);
  EXPECT_EQ(settings.fadeLengthMs, 1000);  // "abc": no number, as if absent
  EXPECT_EQ(settings.graphicsMode, 11);
  EXPECT_EQ(settings.effectEnabled[6], 0);
  saveSettings(module);
  EXPECT_EQ(read(), handEditedSettingsFileSaved);
}

}  // namespace
