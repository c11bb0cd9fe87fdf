// The settings dialog as a user meets it: what it shows, what each click and OK/Cancel store.
#include "settings/config_dialog.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>

#include "standin_fixture.h"

namespace {

constexpr const char* ooops = "Ooops";
constexpr const char* showTitleRefusal =
    "The title must be shown for a number of milliseconds greater than or equal to zero.";
constexpr const char* fadeTitleRefusal =
    "The title must fade for a number of milliseconds greater than or equal to zero.";
constexpr const char* effectLengthRefusal =
    "The effect must be shown for a number of milliseconds greater than or equal to zero.";
constexpr const char* fadeLengthRefusal =
    "The effect must fade for a number of milliseconds greater than or equal to zero.";
constexpr const char* tooFewEffects =
    "More than 1 effect must be enabled for the plugin to function. Resetting all to true.";

constexpr int resolutionIds[11] = {1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030};
constexpr int effectBoxes[7] = {1005, 1006, 1007, 1008, 1009, 1010, 1011};

class ConfigDialog : public PluginTest {
 protected:
  // Runs Config with `user` playing the open dialog; returns "plugin.ini" as key → value.
  std::map<std::string, std::string> runConfig(std::function<void(HWND)> user) {
    makeHost();
    standin::setDialogDriver([&](HWND dialog) {
      opened = dialog;
      user(dialog);
    });
    configModule(&visModule);
    std::map<std::string, std::string> values;
    std::istringstream lines(readFile(iniPath()));
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (size_t eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }

  std::vector<std::string> messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : standin::messageBoxes()) {
      EXPECT_EQ(box.owner, opened);
      EXPECT_EQ(box.caption, ooops);
      EXPECT_EQ(box.type, UINT(MB_OK));
      texts.push_back(box.text);
    }
    return texts;
  }

  HWND opened = nullptr;
};

std::string pointerText(const void* handle) {
  if (!handle) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%p", handle);
  return text;
}

std::vector<int> checkedResolutions(HWND dialog) {
  std::vector<int> modes;
  for (int mode = 0; mode < 11; ++mode)
    if (standin::itemCheck(dialog, resolutionIds[mode]) == BST_CHECKED) modes.push_back(mode);
  return modes;
}

}  // namespace

TEST_F(ConfigDialog, OpensOverTheHostWithTheStoredSettings) {
  writeIni(
      "[Vexilumarine]\r\nwidescreen=TRUE\r\nshow title=FALSE\r\npersistent title=TRUE\r\nshow time=TRUE\r\n"
      "blurred time display=FALSE\r\nshow FPS=TRUE\r\ntitle persistence=-3\r\ntitle fade=250\r\n"
      "effect length=12000\r\nfade length=0\r\ngraphics mode=7\r\nspherical shells=FALSE\r\n"
      "super shells=true\r\nrandom effect order=FALSE\r\n");
  std::map<int, UINT> checks;
  std::map<int, std::string> texts;
  std::vector<int> resolutions;
  runConfig([&](HWND dialog) {
    for (int id : {1005, 1006, 1007, 1008, 1009, 1010, 1011, 1012, 1031, 1033, 1034, 1035, 1036, 1039})
      checks[id] = standin::itemCheck(dialog, id);
    for (int id : {1032, 1037, 1038, 1040}) texts[id] = standin::itemText(dialog, id);
    resolutions = checkedResolutions(dialog);
    standin::click(dialog, IDCANCEL);
  });

  // Read, shown over the host's window, then written.
  EXPECT_EQ(standin::calls("DialogBoxParamA"),
            std::vector<std::string>{pointerText(visModule.hDllInstance) + ",101," +
                                     pointerText(visModule.hwndParent) + ",0"});
  auto order = standin::callsOf({"GetPrivateProfileIntA", "DialogBoxParamA", "WritePrivateProfileStringA"});
  auto shown = std::find_if(order.begin(), order.end(), [](auto& line) { return line.starts_with("DialogBox"); });
  EXPECT_TRUE(std::all_of(order.begin(), shown, [](auto& line) { return line.starts_with("GetPrivate"); }));
  EXPECT_TRUE(std::all_of(shown + 1, order.end(), [](auto& line) { return line.starts_with("WritePrivate"); }));
  EXPECT_EQ(order.end() - shown, 1 + 19);
  std::map<int, UINT> expected = {{1005, 1}, {1006, 1}, {1007, 0}, {1008, 1}, {1009, 1}, {1010, 1}, {1011, 0},
                                  {1012, 1}, {1031, 1}, {1033, 0}, {1034, 0}, {1035, 1}, {1036, 0}, {1039, 1}};
  EXPECT_EQ(checks, expected);
  EXPECT_EQ(texts, (std::map<int, std::string>{{1032, "0"}, {1037, "-3"}, {1038, "250"}, {1040, "12000"}}));
  EXPECT_EQ(resolutions, std::vector<int>{7});
}

TEST_F(ConfigDialog, CancelStoresEveryClickAndIgnoresTheFields) {
  auto ini = runConfig([](HWND dialog) {
    for (int id : {1036, 1039, 1031, 1012, 1033, 1035, 1034, 1006, 1011}) standin::click(dialog, id);
    standin::click(dialog, 1012);  // a second click undoes the first
    standin::click(dialog, resolutionIds[9]);
    standin::setItemText(dialog, 1037, "-1");
    standin::setItemText(dialog, 1040, "42");
    standin::click(dialog, IDCANCEL);
    INT_PTR result = 0;
    EXPECT_TRUE(standin::dialogEnded(dialog, &result));
    EXPECT_EQ(result, 1);
  });

  EXPECT_TRUE(standin::messageBoxes().empty());
  EXPECT_EQ(standin::countOf("GetDlgItemInt"), 0);
  std::map<std::string, std::string> expected = {
      {"title persistence", "6000"}, {"title fade", "6000"},       {"effect length", "10000"},
      {"fade length", "1000"},       {"graphics mode", "9"},       {"widescreen", "TRUE"},
      {"show title", "FALSE"},       {"persistent title", "FALSE"}, {"show time", "FALSE"},
      {"blurred time display", "FALSE"}, {"show FPS", "TRUE"},     {"vu water", "TRUE"},
      {"spectrum analyser", "FALSE"}, {"spherical shells", "TRUE"}, {"freaky movey thingy", "TRUE"},
      {"volumetric light", "TRUE"},  {"spike cylinder", "TRUE"},   {"super shells", "FALSE"},
      {"random effect order", "FALSE"}};
  EXPECT_EQ(ini, expected);
}

TEST_F(ConfigDialog, ResolutionOutsideTheListShowsNoneUntilOneIsClicked) {
  writeIni("[Vexilumarine]\r\ngraphics mode=11\r\n");
  std::vector<int> atOpen, afterClick;
  auto ini = runConfig([&](HWND dialog) {
    atOpen = checkedResolutions(dialog);
    standin::click(dialog, resolutionIds[2]);
    standin::click(dialog, resolutionIds[0]);
    afterClick = checkedResolutions(dialog);
    standin::click(dialog, IDOK);
  });
  EXPECT_TRUE(atOpen.empty());
  EXPECT_EQ(afterClick, std::vector<int>{0});
  EXPECT_EQ(ini["graphics mode"], "0");
}

TEST_F(ConfigDialog, ResolutionOutsideTheListIsKeptWhenNoneIsClicked) {
  writeIni("[Vexilumarine]\r\ngraphics mode=-2\r\n");
  auto ini = runConfig([](HWND dialog) { standin::click(dialog, IDOK); });
  EXPECT_EQ(ini["graphics mode"], "-2");
}

TEST_F(ConfigDialog, OkRefusesANegativeNumberAndStoresTheRest) {
  auto ini = runConfig([](HWND dialog) {
    standin::setItemText(dialog, 1037, "-1");
    standin::setItemText(dialog, 1038, "500");
    standin::setItemText(dialog, 1040, "  20000");
    standin::setItemText(dialog, 1032, "0");
    standin::click(dialog, IDOK);
    INT_PTR result = 0;
    EXPECT_TRUE(standin::dialogEnded(dialog, &result));
    EXPECT_EQ(result, 1);
  });
  EXPECT_EQ(messageTexts(), std::vector<std::string>{showTitleRefusal});
  EXPECT_EQ(ini["title persistence"], "6000");
  EXPECT_EQ(ini["title fade"], "500");
  EXPECT_EQ(ini["effect length"], "20000");
  EXPECT_EQ(ini["fade length"], "0");
}

TEST_F(ConfigDialog, OkRefusesEachNegativeFieldInOrderBeforeCountingEffects) {
  writeIni("[Vexilumarine]\r\ntitle persistence=1\r\ntitle fade=2\r\neffect length=3\r\nfade length=4\r\n");
  auto ini = runConfig([](HWND dialog) {
    for (int id : {1032, 1040, 1038, 1037}) standin::setItemText(dialog, id, "-" + std::to_string(id));
    for (int box : effectBoxes) standin::click(dialog, box);
    standin::click(dialog, IDOK);
  });
  EXPECT_EQ(messageTexts(), (std::vector<std::string>{showTitleRefusal, fadeTitleRefusal, effectLengthRefusal,
                                                      fadeLengthRefusal, tooFewEffects}));
  EXPECT_EQ(ini["title persistence"], "1");
  EXPECT_EQ(ini["title fade"], "2");
  EXPECT_EQ(ini["effect length"], "3");
  EXPECT_EQ(ini["fade length"], "4");
  for (const char* key : effectEnableKeys) EXPECT_EQ(ini[key], "TRUE") << key;
}

TEST_F(ConfigDialog, TextThatIsNoNumberStoresZero) {
  auto ini = runConfig([](HWND dialog) {
    standin::setItemText(dialog, 1037, "soon");
    standin::setItemText(dialog, 1040, "");
    standin::click(dialog, IDOK);
  });
  EXPECT_TRUE(standin::messageBoxes().empty());
  EXPECT_EQ(ini["title persistence"], "0");
  EXPECT_EQ(ini["effect length"], "0");
  EXPECT_EQ(ini["title fade"], "6000");
}

TEST_F(ConfigDialog, OneEffectLeftBringsAllSevenBack) {
  auto ini = runConfig([](HWND dialog) {
    for (int box : effectBoxes)
      if (box != 1008) standin::click(dialog, box);
    standin::click(dialog, IDOK);
  });
  EXPECT_EQ(messageTexts(), std::vector<std::string>{tooFewEffects});
  for (const char* key : effectEnableKeys) EXPECT_EQ(ini[key], "TRUE") << key;
}

TEST_F(ConfigDialog, TwoEffectsLeftAreKept) {
  auto ini = runConfig([](HWND dialog) {
    for (int box : effectBoxes)
      if (box != 1005 && box != 1011) standin::click(dialog, box);
    standin::click(dialog, IDOK);
  });
  EXPECT_TRUE(standin::messageBoxes().empty());
  for (int i = 0; i < 7; ++i)
    EXPECT_EQ(ini[effectEnableKeys[i]], i == 0 || i == 6 ? "TRUE" : "FALSE") << effectEnableKeys[i];
}

TEST_F(ConfigDialog, CancelKeepsTooFewEffectsAsClicked) {
  auto ini = runConfig([](HWND dialog) {
    for (int box : effectBoxes) standin::click(dialog, box);
    standin::click(dialog, IDCANCEL);
  });
  EXPECT_TRUE(standin::messageBoxes().empty());
  for (const char* key : effectEnableKeys) EXPECT_EQ(ini[key], "FALSE") << key;
}

TEST_F(ConfigDialog, TickingOneWayOfWatchingClearsTheOther) {
  writeIni("[Vexilumarine]\r\nwindowed=TRUE\r\ndesktop size=TRUE\r\n");  // both on, by hand
  std::vector<std::pair<UINT, UINT>> shown;  // "In a window", "Full screen at the desktop's own size"
  auto ini = runConfig([&](HWND dialog) {
    shown.emplace_back(standin::itemCheck(dialog, 1041), standin::itemCheck(dialog, 1042));
    for (int id : {1042, 1042, 1041, 1041, 1042}) {
      standin::click(dialog, id);
      shown.emplace_back(standin::itemCheck(dialog, 1041), standin::itemCheck(dialog, 1042));
    }
    standin::click(dialog, IDOK);
  });
  // Shown as read; clearing one leaves the other; ticking one clears the other.
  const std::vector<std::pair<UINT, UINT>> expected = {{1, 1}, {1, 0}, {0, 1}, {1, 0}, {0, 0}, {0, 1}};
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(ini["desktop size"], "TRUE");
  EXPECT_EQ(ini.count("windowed"), 0u) << "off is the default, not written";
}
