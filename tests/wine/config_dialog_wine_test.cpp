// The built plug-in's settings dialog on the real platform: Config runs on the test's thread
// while a second thread plays the user (clicks, typing, OK / Cancel, answering message boxes);
// afterwards "plugin.ini" beside the DLL must hold exactly what the user chose.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "vis_module.h"

namespace {

constexpr const char* dialogCaption = "Vexilumarine v0.99";
constexpr const char* refusalCaption = "Ooops";
constexpr int messageBoxTextId = 0xFFFF;
constexpr DWORD patienceMs = 10000;

constexpr int resolutionIds[11] = {1018, 1021, 1022, 1023, 1024, 1025, 1026, 1027, 1028, 1029, 1030};
constexpr int effectBoxes[7] = {1005, 1006, 1007, 1008, 1009, 1010, 1011};

std::string windowsPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path.front() == '\\' ? "Z:" + path : path;
}

// ---- finding and driving windows of another thread ----

struct WindowQuery {
  const char* caption;
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM param) {
  auto* query = reinterpret_cast<WindowQuery*>(param);
  char className[32], caption[64];
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, caption, sizeof caption);
  if (std::string(className) != "#32770" || std::string(caption) != query->caption || !IsWindowVisible(window))
    return TRUE;
  query->found = window;
  return FALSE;
}

// The visible dialog of `thread` with this caption, waiting for it to appear; null after a while.
HWND waitForDialog(DWORD thread, const char* caption) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < patienceMs; Sleep(10)) {
    WindowQuery query = {caption, nullptr};
    EnumThreadWindows(thread, matchDialog, reinterpret_cast<LPARAM>(&query));
    if (query.found) return query.found;
  }
  return nullptr;
}

bool waitUntilGone(HWND window) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < patienceMs; Sleep(10))
    if (!IsWindow(window)) return true;
  return false;
}

void click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// A button whose handler may open a modal message box: the click must not wait for it.
void clickAndGoOn(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

// Selects the field's whole text and types over it, key by key.
void type(HWND dialog, int id, const std::string& text) {
  HWND field = GetDlgItem(dialog, id);
  SendMessageA(field, EM_SETSEL, 0, -1);
  for (char c : text) SendMessageA(field, WM_CHAR, WPARAM(static_cast<unsigned char>(c)), 1);
}

std::string itemText(HWND window, int id) {
  char text[512] = "";
  GetDlgItemTextA(window, id, text, sizeof text);
  return text;
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Answers every "Ooops" box until the dialog has closed; returns their texts in order.
std::vector<std::string> answerMessageBoxes(DWORD thread, HWND dialog) {
  std::vector<std::string> texts;
  for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < patienceMs; Sleep(10)) {
    WindowQuery query = {refusalCaption, nullptr};
    EnumThreadWindows(thread, matchDialog, reinterpret_cast<LPARAM>(&query));
    if (!query.found) continue;
    EXPECT_EQ(GetWindow(query.found, GW_OWNER), dialog);
    texts.push_back(itemText(query.found, messageBoxTextId));
    click(query.found, IDOK);
    if (!waitUntilGone(query.found)) break;
  }
  EXPECT_FALSE(IsWindow(dialog)) << "the dialog did not close";
  return texts;
}

// ---- a screenshot of a window, frame included ----

bool writeBmp(const std::string& path, int width, int height, const void* pixels) {
  const DWORD rowBytes = DWORD((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + rowBytes * DWORD(height);
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  out.write(static_cast<const char*>(pixels), std::streamsize(rowBytes) * height);
  return bool(out);
}

// Saves the window as a 24-bit BMP; returns the number of different colours in it (0 on failure).
int saveWindowImage(HWND window, const std::string& path) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT rect;
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC source = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(source);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, image);
  const bool copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
  GdiFlush();
  std::map<unsigned, int> colours;
  const auto* bytes = static_cast<const unsigned char*>(bits);
  for (int y = 0; copied && y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned char* p = bytes + y * ((width * 3 + 3) & ~3) + x * 3;
      ++colours[unsigned(p[0]) | unsigned(p[1]) << 8 | unsigned(p[2]) << 16];
    }
  const bool saved = copied && writeBmp(path, width, height, bits);
  SelectObject(memory, old);
  DeleteObject(image);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return saved ? int(colours.size()) : 0;
}

// ---- the plug-in in a folder of its own ----

class ConfigDialogOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = windowsPath(TEST_FOLDER) + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string dll = folder + "\\vis_vexilumarine.dll";
    ASSERT_TRUE(CopyFileA(windowsPath(PLUGIN_DLL).c_str(), dll.c_str(), FALSE));
    DeleteFileA(iniPath().c_str());
    library = LoadLibraryA(dll.c_str());
    ASSERT_NE(library, nullptr);
    auto getHeader =
        reinterpret_cast<VisHeader* (*)()>(reinterpret_cast<void*>(GetProcAddress(library, "winampVisGetHeader")));
    ASSERT_NE(getHeader, nullptr);
    module = getHeader()->getModule(0);
    ASSERT_NE(module, nullptr);
    module->hDllInstance = library;
    module->hwndParent = nullptr;
  }

  void TearDown() override {
    if (library) FreeLibrary(library);
  }

  std::string iniPath() const { return folder + "\\plugin.ini"; }

  void writeIni(const std::string& body) const { std::ofstream(iniPath(), std::ios::binary) << body; }

  std::string iniText() const {
    std::ifstream in(iniPath(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Every key=value line of "plugin.ini".
  std::map<std::string, std::string> iniValues() const {
    std::map<std::string, std::string> values;
    std::istringstream lines(iniText());
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (size_t eq = line.find('='); eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
  }

  // Calls Config with `user` acting on the dialog from another thread. If the user leaves the
  // dialog open, it is cancelled so that Config returns, and the test fails.
  void runConfig(const std::function<void(HWND dialog)>& user) {
    const DWORD configThread = GetCurrentThreadId();
    std::thread person([&] {
      HWND dialog = waitForDialog(configThread, dialogCaption);
      ASSERT_NE(dialog, nullptr) << "no dialog appeared";
      user(dialog);
      if (IsWindow(dialog)) {
        ADD_FAILURE() << "the dialog was left open";
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      }
    });
    module->Config(module);
    person.join();
  }

  std::string folder;
  HMODULE library = nullptr;
  VisModule* module = nullptr;
};

}  // namespace

TEST_F(ConfigDialogOnWine, ChoicesMadeWithMouseAndKeysAreStoredOnOk) {
  std::vector<std::string> messages;
  int colours = 0;
  runConfig([&](HWND dialog) {
    for (int id : {1039, 1031, 1033, 1036, 1005, 1011}) click(dialog, id);
    click(dialog, resolutionIds[7]);
    type(dialog, 1037, "2500");
    type(dialog, 1038, "750");
    type(dialog, 1040, "15000");
    type(dialog, 1032, "400");
    EXPECT_EQ(itemText(dialog, 1040), "15000");
    for (int mode = 0; mode < 11; ++mode) EXPECT_EQ(checked(dialog, resolutionIds[mode]), mode == 7) << mode;
    colours = saveWindowImage(dialog, windowsPath(TEST_FOLDER) + "\\config_dialog.bmp");
    clickAndGoOn(dialog, IDOK);
    messages = answerMessageBoxes(GetWindowThreadProcessId(dialog, nullptr), dialog);
  });
  EXPECT_TRUE(messages.empty());
  EXPECT_GE(colours, 4) << "the screenshot is blank";
  EXPECT_EQ(iniText(),
            "[Vexilumarine]\r\n"
            "title persistence=2500\r\ntitle fade=750\r\neffect length=15000\r\nfade length=400\r\n"
            "graphics mode=7\r\nwidescreen=TRUE\r\nshow title=FALSE\r\npersistent title=FALSE\r\n"
            "show time=TRUE\r\nblurred time display=TRUE\r\nshow FPS=TRUE\r\nvu water=FALSE\r\n"
            "spectrum analyser=TRUE\r\nspherical shells=TRUE\r\nfreaky movey thingy=TRUE\r\n"
            "volumetric light=TRUE\r\nspike cylinder=TRUE\r\nsuper shells=FALSE\r\nrandom effect order=FALSE\r\n");
}

TEST_F(ConfigDialogOnWine, CancelStoresTheClicksButNotTheTypedNumbers) {
  writeIni("[Vexilumarine]\r\ngraphics mode=11\r\neffect length=8000\r\npersistent title=TRUE\r\n");
  bool resolutionShownAtOpen = true;
  runConfig([&](HWND dialog) {
    EXPECT_TRUE(checked(dialog, 1012));
    EXPECT_EQ(itemText(dialog, 1040), "8000");
    resolutionShownAtOpen = false;
    for (int id : resolutionIds) resolutionShownAtOpen |= checked(dialog, id);
    click(dialog, resolutionIds[0]);
    for (int id : {1012, 1009, 1036}) click(dialog, id);
    type(dialog, 1040, "123");
    type(dialog, 1037, "-5");
    clickAndGoOn(dialog, IDCANCEL);
    EXPECT_TRUE(answerMessageBoxes(GetWindowThreadProcessId(dialog, nullptr), dialog).empty());
  });
  EXPECT_FALSE(resolutionShownAtOpen);
  std::map<std::string, std::string> expected = {
      {"title persistence", "6000"}, {"title fade", "6000"},          {"effect length", "8000"},
      {"fade length", "1000"},       {"graphics mode", "0"},          {"widescreen", "FALSE"},
      {"show title", "TRUE"},        {"persistent title", "FALSE"},    {"show time", "TRUE"},
      {"blurred time display", "TRUE"}, {"show FPS", "FALSE"},        {"vu water", "TRUE"},
      {"spectrum analyser", "TRUE"}, {"spherical shells", "TRUE"},    {"freaky movey thingy", "TRUE"},
      {"volumetric light", "FALSE"}, {"spike cylinder", "TRUE"},      {"super shells", "TRUE"},
      {"random effect order", "FALSE"}};
  EXPECT_EQ(iniValues(), expected);
}

TEST_F(ConfigDialogOnWine, RefusalsAreShownInOrderAndTheRotationIsRefilled) {
  std::vector<std::string> messages;
  runConfig([&](HWND dialog) {
    type(dialog, 1037, "-1");
    type(dialog, 1038, "500");
    type(dialog, 1032, "-20");
    for (int id : effectBoxes)
      if (id != 1010) click(dialog, id);
    clickAndGoOn(dialog, IDOK);
    messages = answerMessageBoxes(GetWindowThreadProcessId(dialog, nullptr), dialog);
  });
  EXPECT_EQ(messages,
            (std::vector<std::string>{
                "The title must be shown for a number of milliseconds greater than or equal to zero.",
                "The effect must fade for a number of milliseconds greater than or equal to zero.",
                "More than 1 effect must be enabled for the plugin to function. Resetting all to true."}));
  auto ini = iniValues();
  EXPECT_EQ(ini["title persistence"], "6000");
  EXPECT_EQ(ini["title fade"], "500");
  EXPECT_EQ(ini["fade length"], "1000");
  for (const char* key : {"vu water", "spectrum analyser", "spherical shells", "freaky movey thingy",
                          "volumetric light", "spike cylinder", "super shells"})
    EXPECT_EQ(ini[key], "TRUE") << key;
}

TEST_F(ConfigDialogOnWine, TickingOneWayOfWatchingClearsTheOther) {
  bool windowShown = true;
  runConfig([&](HWND dialog) {
    for (int id : {1041, 1042}) click(dialog, id);
    windowShown = checked(dialog, 1041);
    clickAndGoOn(dialog, IDOK);
    EXPECT_TRUE(answerMessageBoxes(GetWindowThreadProcessId(dialog, nullptr), dialog).empty());
  });
  EXPECT_FALSE(windowShown);
  EXPECT_EQ(iniValues()["desktop size"], "TRUE");
  EXPECT_EQ(iniValues().count("windowed"), 0u);
}
