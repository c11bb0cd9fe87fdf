#include "time_imports.h"

#include <cstring>

#include "thread_clock.h"

namespace {

const VirtualClock* patchedClock = nullptr;

DWORD WINAPI virtualTimeGetTime() { return virtualMilliseconds(*patchedClock); }

DWORD WINAPI virtualGetTickCount() { return virtualMilliseconds(*patchedClock); }

ULONGLONG WINAPI virtualGetTickCount64() {
  return virtualStartMs + ULONGLONG(virtualMicroseconds(*patchedClock) / 1000);
}

BOOL WINAPI virtualQueryPerformanceCounter(LARGE_INTEGER* counter) {
  if (!counter) return FALSE;
  counter->QuadPart = virtualTicks(*patchedClock);
  return TRUE;
}

BOOL WINAPI virtualQueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = virtualTicksPerSecond;
  return TRUE;
}

struct Replacement {
  const char* dll;
  const char* function;
  void* replacement;
};

const Replacement replacements[] = {
    {"winmm.dll", "timeGetTime", reinterpret_cast<void*>(virtualTimeGetTime)},
    {"kernel32.dll", "GetTickCount", reinterpret_cast<void*>(virtualGetTickCount)},
    {"kernel32.dll", "QueryPerformanceCounter", reinterpret_cast<void*>(virtualQueryPerformanceCounter)},
    {"kernel32.dll", "QueryPerformanceFrequency", reinterpret_cast<void*>(virtualQueryPerformanceFrequency)},
    {"kernel32.dll", "GetTickCount64", reinterpret_cast<void*>(virtualGetTickCount64)},
};

// What holds the plug-in's own threads on the clock (thread_clock.h): their waits, and how they start and end.
const Replacement threadReplacements[] = {
    {"kernel32.dll", "Sleep", reinterpret_cast<void*>(held::Sleep)},
    {"kernel32.dll", "SleepEx", reinterpret_cast<void*>(held::SleepEx)},
    {"kernel32.dll", "WaitForSingleObject", reinterpret_cast<void*>(held::WaitForSingleObject)},
    {"kernel32.dll", "WaitForSingleObjectEx", reinterpret_cast<void*>(held::WaitForSingleObjectEx)},
    {"kernel32.dll", "WaitForMultipleObjects", reinterpret_cast<void*>(held::WaitForMultipleObjects)},
    {"kernel32.dll", "WaitForMultipleObjectsEx", reinterpret_cast<void*>(held::WaitForMultipleObjectsEx)},
    {"user32.dll", "MsgWaitForMultipleObjects", reinterpret_cast<void*>(held::MsgWaitForMultipleObjects)},
    {"user32.dll", "MsgWaitForMultipleObjectsEx", reinterpret_cast<void*>(held::MsgWaitForMultipleObjectsEx)},
    {"kernel32.dll", "CreateThread", reinterpret_cast<void*>(held::CreateThread)},
    {"kernel32.dll", "ExitThread", reinterpret_cast<void*>(held::ExitThread)},
    {"msvcrt.dll", "_beginthreadex", reinterpret_cast<void*>(held::beginthreadex)},
    {"msvcrt.dll", "_endthreadex", reinterpret_cast<void*>(held::endthreadex)},
};

// The function a slot of the import address table calls, by the name it was imported under, or
// (an import table without its name list) by the address the loader put there.
template <size_t n>
const Replacement* replacementFor(const Replacement (&table)[n], BYTE* base, const char* dll,
                                  const IMAGE_THUNK_DATA* name, const IMAGE_THUNK_DATA* slot) {
  for (const Replacement& r : table) {
    if (lstrcmpiA(dll, r.dll) != 0) continue;
    if (name) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), r.function) == 0) return &r;
    } else if (HMODULE loaded = GetModuleHandleA(r.dll)) {
      if (reinterpret_cast<void*>(slot->u1.Function) ==
          reinterpret_cast<void*>(GetProcAddress(loaded, r.function)))
        return &r;
    }
  }
  return nullptr;
}

bool writeSlot(IMAGE_THUNK_DATA* slot, void* function) {
  DWORD oldProtection;
  if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection)) return false;
  slot->u1.Function = reinterpret_cast<ULONG_PTR>(function);
  VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
  return true;
}

}  // namespace

int patchTimeImports(HMODULE module, VirtualClock* clock) {
  patchedClock = clock;
  holdPluginThreads(clock);
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return 0;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (directory.VirtualAddress == 0) return 0;
  int patched = 0;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
       entry->Name != 0; ++entry) {
    const char* dll = reinterpret_cast<const char*>(base + entry->Name);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    const auto* name = entry->OriginalFirstThunk
                           ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk)
                           : nullptr;
    for (; slot->u1.Function != 0; ++slot, name = name ? name + 1 : nullptr) {
      const Replacement* r = replacementFor(replacements, base, dll, name, slot);
      if (r && writeSlot(slot, r->replacement)) ++patched;
      r = r ? nullptr : replacementFor(threadReplacements, base, dll, name, slot);
      if (r) writeSlot(slot, r->replacement);
    }
  }
  return patched;
}
