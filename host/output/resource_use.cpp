#include "resource_use.h"

#include <cstdio>

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>

namespace {

// GetGuiResources answers 0 where the platform does not keep the counts (Wine). The GDI count
// then comes from the process's GDI handle table, which the PEB points to: Wine's has 65536
// entries of 24 bytes on both architectures (object, owner, the handle's upper word, type, user
// data), and an entry in use has a non-zero type byte at 14; freeing a handle clears it.
unsigned gdiObjectsFromHandleTable() {
  PROCESS_BASIC_INFORMATION info = {};
  if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0)
    return 0;
  const auto* peb = reinterpret_cast<const uint8_t*>(info.PebBaseAddress);
  const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
  constexpr size_t entryBytes = 24, typeAt = 14;
  if (!table) return 0;
  unsigned used = 0;
  for (size_t i = 0; i < 0x10000; ++i) used += table[i * entryBytes + typeAt] != 0;
  return used;
}

BOOL CALLBACK countChild(HWND, LPARAM count) {
  ++*reinterpret_cast<unsigned*>(count);
  return TRUE;
}

// The process's top-level windows and all their descendants.
BOOL CALLBACK countWindow(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<unsigned*>(count);
  EnumChildWindows(window, countChild, count);
  return TRUE;
}

}  // namespace

ResourceUse sampleResourceUse() {
  ResourceUse use;
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
    use.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;  // Wine fills only the latter
  use.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (use.gdiObjects == 0) use.gdiObjects = gdiObjectsFromHandleTable();
  use.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  if (use.userObjects == 0) {
    use.userObjectsAreWindows = true;
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&use.userObjects));
  }
  return use;
}

void printResourceUse(const char* when) {
  const ResourceUse use = sampleResourceUse();
  std::printf("resources: %s: private %zu bytes, GDI %u, USER %u%s", when, use.privateBytes, use.gdiObjects,
              use.userObjects, use.userObjectsAreWindows ? " (windows)" : "");
}
