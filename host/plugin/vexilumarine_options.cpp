#include "vexilumarine_options.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr char ourDll[] = "vis_vexilumarine.dll";
constexpr char section[] = "Vexilumarine";

std::string folderOf(const std::string& path) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  const std::string fullPath(full, n);
  return fullPath.substr(0, fullPath.find_last_of('\\') + 1);
}

bool isOurPlugin(const std::string& dllPath) {
  const size_t slash = dllPath.find_last_of("\\/");
  return lstrcmpiA(dllPath.substr(slash == std::string::npos ? 0 : slash + 1).c_str(), ourDll) == 0;
}

bool asksForSettings(const HostOptions& o) {
  return !o.list && !o.config &&
         (o.graphicsMode >= 0 || o.widescreen || o.windowed || o.desktopSize || o.windowWidth > 0);
}

SavedPluginSettings saveFile(const std::string& path) {
  SavedPluginSettings saved{true, path, false, {}};
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    saved.existed = true;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) saved.contents.append(buffer, n);
    std::fclose(file);
  }
  return saved;
}

void writeKey(const char* key, const std::string& value, const std::string& ini) {
  WritePrivateProfileStringA(section, key, value.c_str(), ini.c_str());
}

}  // namespace

std::string defaultPluginPath() {
  char exe[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string path(exe, n);
  return path.substr(0, path.find_last_of('\\') + 1) + "Plugins\\" + ourDll;
}

SavedPluginSettings applyPluginSettings(const std::string& dllPath, const HostOptions& o) {
  if (!asksForSettings(o)) return {};
  if (!isOurPlugin(dllPath)) {
    std::fprintf(stderr, "vishost: --mode, --widescreen, --windowed, --window-size and --desktop-size are settings "
                         "of %s; they do not apply to '%s' (ignored)\n", ourDll, dllPath.c_str());
    return {};
  }
  const std::string ini = folderOf(dllPath) + "plugin.ini";
  SavedPluginSettings saved = saveFile(ini);
  if (o.graphicsMode >= 0) writeKey("graphics mode", std::to_string(o.graphicsMode), ini);
  if (o.widescreen) writeKey("widescreen", "TRUE", ini);
  if (o.windowed) writeKey("windowed", "TRUE", ini);
  if (o.desktopSize) writeKey("desktop size", "TRUE", ini);
  if (o.windowWidth > 0) {
    writeKey("window width", std::to_string(o.windowWidth), ini);
    writeKey("window height", std::to_string(o.windowHeight), ini);
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // flush the platform's cache
  return saved;
}

void restorePluginSettings(const SavedPluginSettings& saved) {
  if (!saved.written) return;
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, saved.path.c_str());  // flush the platform's cache
  if (!saved.existed) {
    DeleteFileA(saved.path.c_str());
    return;
  }
  if (std::FILE* file = std::fopen(saved.path.c_str(), "wb")) {
    std::fwrite(saved.contents.data(), 1, saved.contents.size(), file);
    std::fclose(file);
  }
}
