#include "plugin_library.h"

#include <cstdio>

namespace {

#ifdef _WIN64
constexpr WORD ownMachine = IMAGE_FILE_MACHINE_AMD64;
#else
constexpr WORD ownMachine = IMAGE_FILE_MACHINE_I386;
#endif

const char* widthOf(WORD machine) {
  switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return "a 32-bit (i686)";
    case IMAGE_FILE_MACHINE_AMD64: return "a 64-bit (x86_64)";
    default: return "another machine's";
  }
}

// The machine type in the DLL's PE header, or 0 when the file is no Windows program.
WORD machineOf(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return 0;
  IMAGE_DOS_HEADER dos = {};
  DWORD signature = 0;
  IMAGE_FILE_HEADER header = {};
  const bool read = std::fread(&dos, sizeof dos, 1, file) == 1 && dos.e_magic == IMAGE_DOS_SIGNATURE &&
                    std::fseek(file, dos.e_lfanew, SEEK_SET) == 0 && std::fread(&signature, 4, 1, file) == 1 &&
                    signature == IMAGE_NT_SIGNATURE && std::fread(&header, sizeof header, 1, file) == 1;
  std::fclose(file);
  return read ? header.Machine : 0;
}

}  // namespace

HMODULE loadPluginLibrary(const std::string& path, std::string& error) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    error = "cannot load plug-in '" + path + "': there is no such file";
    return nullptr;
  }
  const WORD machine = machineOf(path);
  if (machine == 0) {
    error = "cannot load plug-in '" + path + "': it is not a Windows DLL";
    return nullptr;
  }
  if (machine != ownMachine) {
    error = "cannot load plug-in '" + path + "': it is " + widthOf(machine) + " DLL and this vishost is " +
            widthOf(ownMachine) + " program; use the vishost.exe of the " +
            (machine == IMAGE_FILE_MACHINE_I386 ? "i686 tree (build/win32)" : "x86_64 tree (build/win64)");
    return nullptr;
  }
  HMODULE dll = LoadLibraryA(path.c_str());
  if (!dll) error = "cannot load plug-in '" + path + "' (error " + std::to_string(GetLastError()) + ")";
  return dll;
}

winampVisHeader* pluginHeader(HMODULE dll) {
  auto getHeader = reinterpret_cast<winampVisGetHeaderType>(
      reinterpret_cast<void*>(GetProcAddress(dll, "winampVisGetHeader")));
  return getHeader ? getHeader() : nullptr;
}

void listModules(winampVisHeader* header) {
  std::printf("%s\n", header->description);
  for (int i = 0;; ++i) {
    winampVisModule* module = header->getModule(i);
    if (!module) break;
    std::printf("%d: %s\n", i, module->description);
  }
}

std::string pluginFolderOf(const std::string& path) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  const std::string fullPath(full, n);
  const size_t slash = fullPath.find_last_of('\\');
  return slash == std::string::npos ? "." : fullPath.substr(0, slash);
}
