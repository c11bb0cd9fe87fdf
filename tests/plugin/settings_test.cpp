#include "standin_fixture.h"

#include <cstring>

#include "settings_files.h"

namespace {

class SettingsStore : public PluginTest {};

TEST_F(SettingsStore, NoFileGivesTheDefaultsAndSavingWritesEveryKeyInOrder) {
  EXPECT_EQ(settings.graphicsMode, 5) << "before any file is read";
  loadSettings(visModule);
  EXPECT_EQ(settings.widescreen, 0);
  EXPECT_EQ(settings.showTitle, 1);
  EXPECT_EQ(settings.persistentTitle, 0);
  EXPECT_EQ(settings.showTime, 1);
  EXPECT_EQ(settings.blurredTimeDisplay, 1);
  EXPECT_EQ(settings.showFps, 0);
  EXPECT_EQ(settings.titlePersistenceMs, 6000);
  EXPECT_EQ(settings.titleFadeMs, 6000);
  EXPECT_EQ(settings.effectLengthMs, 10000);
  EXPECT_EQ(settings.fadeLengthMs, 1000);
  EXPECT_EQ(settings.graphicsMode, 5);
  EXPECT_EQ(settings.randomEffectOrder, 1);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(settings.effectEnabled[i], 1) << i;

  saveSettings(visModule);
  EXPECT_EQ(readFile(iniPath()), defaultSettingsFile);
}

TEST_F(SettingsStore, HandEditedValuesReadStrictlyAndAreWrittenBackInPlace) {
  writeIni(handEditedSettingsFile);
  loadSettings(visModule);
  EXPECT_EQ(settings.widescreen, 0);  // "true" is not "TRUE"
  EXPECT_EQ(settings.showTitle, 0);   // keys match in any case
  EXPECT_EQ(settings.showFps, 1);
  EXPECT_EQ(settings.effectLengthMs, 3000);
  EXPECT_EQ(settings.fadeLengthMs, 1000) << "no number: as if absent";
  EXPECT_EQ(settings.graphicsMode, 11);
  EXPECT_EQ(settings.effectEnabled[6], 0);  // "1" is not "TRUE"
  saveSettings(visModule);
  EXPECT_EQ(readFile(iniPath()), handEditedSettingsFileSaved);
}

TEST_F(SettingsStore, AbsentNumbersKeepMemoryValuesWhileAbsentFlagsReturnToDefaults) {
  settings.effectLengthMs = 4321;
  settings.showTime = 0;
  settings.widescreen = 1;
  writeIni("[Vexilumarine]\r\ntitle fade=100\r\n");
  loadSettings(visModule);
  EXPECT_EQ(settings.effectLengthMs, 4321);
  EXPECT_EQ(settings.titleFadeMs, 100);
  EXPECT_EQ(settings.showTime, 1);
  EXPECT_EQ(settings.widescreen, 0);
}

TEST_F(SettingsStore, AModulePathWithoutABackslashNamesTheBareFile) {
  standin::setModulePath("vis_vexilumarine.dll");
  char path[settingsPathSize];
  EXPECT_EQ(settingsFilePath(visModule, path), 1);
  EXPECT_STREQ(path, "plugin.ini");
}

TEST_F(SettingsStore, TheFileNameMustFitTheBufferWithItsTerminator) {
  char path[settingsPathSize];
  const std::string dll = "\\vis_vexilumarine.dll";
  const std::string folder(settingsPathSize - 1 - dll.size(), 'x');  // a whole module path of 259 characters
  standin::setModulePath(folder + dll);
  EXPECT_EQ(settingsFilePath(visModule, path), 1);
  EXPECT_EQ(std::string(path), folder + "\\plugin.ini");
  standin::setModulePath(folder + "y" + dll);  // 260: the name fills the buffer
  EXPECT_EQ(settingsFilePath(visModule, path), 0);
  // A whole path with a DLL name shorter than "plugin.ini": the file name must fit with its terminator.
  const std::string fits(settingsPathSize - 1 - std::strlen("\\plugin.ini"), 'x');
  standin::setModulePath(fits + "\\v.dll");
  EXPECT_EQ(settingsFilePath(visModule, path), 1);
  EXPECT_EQ(std::string(path), fits + "\\plugin.ini");
  standin::setModulePath(fits + "y\\v.dll");
  EXPECT_EQ(settingsFilePath(visModule, path), 0);
  // Cut inside the last folder's name: its last backslash would name the parent folder's file.
  standin::setModulePath("C:\\music\\" + std::string(300, 'p') + dll);
  EXPECT_EQ(settingsFilePath(visModule, path), 0);
  EXPECT_STREQ(path, "");
  // Cut right after a backslash: the folder's name is whole, but the file name no longer fits.
  // The parent folder is someone else's: nothing is named there.
  standin::setModulePath("C:\\" + std::string(255, 'x') + "\\vis_vexilumarine.dll");
  EXPECT_EQ(settingsFilePath(visModule, path), 0);
}

TEST_F(SettingsStore, APathTooLongForTheFileNameLeavesTheSettingsAlone) {
  standin::setModulePath("C:\\" + std::string(250, 'x') + "\\vis_vexilumarine.dll");
  char path[settingsPathSize];
  EXPECT_EQ(settingsFilePath(visModule, path), 0);
  EXPECT_STREQ(path, "");
  settings.effectLengthMs = 777;
  loadSettings(visModule);
  saveSettings(visModule);
  EXPECT_EQ(settings.effectLengthMs, 777);
  EXPECT_EQ(standin::countOf("GetPrivateProfileIntA") + standin::countOf("WritePrivateProfileStringA"), 0);
  // So the plug-in runs on its start values: title and time shown, nothing else, in random order.
  const int flags[7] = {settings.widescreen, settings.showTitle,          settings.persistentTitle,
                        settings.showTime,   settings.blurredTimeDisplay, settings.showFps,
                        settings.randomEffectOrder};
  EXPECT_EQ(std::vector<int>(flags, flags + 7), (std::vector<int>{0, 1, 0, 1, 1, 0, 1}));
}

TEST_F(SettingsStore, AnOutOfRangeGraphicsModeKeepsTheWindowSize) {
  for (const char* mode : {"11", "-1", "99"}) {
    standin::reset();
    resetPluginState();
    standin::setModulePath(windowsFolder() + "\\vis_vexilumarine.dll");
    writeIni(std::string("[Vexilumarine]\r\ngraphics mode=") + mode + "\r\n");
    makeHost();
    getModule(1);
    ASSERT_EQ(initModule(&visModule), 0) << mode;
    EXPECT_EQ(standin::calls("SetDisplayMode").front(), "640,480,16") << mode;
    quitModule(&visModule);
  }
  const int sizes[11][2] = {{320, 200}, {320, 240}, {400, 300},  {512, 384},   {640, 400},  {640, 480},
                            {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}};
  int w, h;
  for (int mode = 0; mode < 11; ++mode) {
    ASSERT_TRUE(graphicsModeSize(mode, &w, &h));
    EXPECT_EQ(std::vector<int>({w, h}), std::vector<int>(sizes[mode], sizes[mode] + 2)) << mode;
  }
  EXPECT_FALSE(graphicsModeSize(11, &w, &h));
}

}  // namespace
