// A clean platform stand-in and plug-in state for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "plugin_state.h"

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A folder of this test's own, as a native path and as the Windows path the plug-in sees.
  std::filesystem::path folder;
  std::string windowsFolder() const;
  std::string iniPath() const { return (folder / "plugin.ini").string(); }
  void writeIni(const std::string& body) const;
  std::string readFile(const std::filesystem::path& path) const;

  // A host window answering the four queries from these values.
  HWND makeHost();
  int hostPosition = 0;
  int hostLengthSeconds = 180;
  int hostIndex = 0;
  const char* hostTitle = "Artist - Song";
};
