#include "stall_watch.h"

#include <windows.h>

#include <cstdio>

namespace {

CRITICAL_SECTION lock;
std::string waitingFor;
ULONGLONG lastProgressMs = 0;
void (*cleanUp)() = nullptr;
int stallSeconds = 60;  // without progress for this long, the run ends
bool watching = false;

std::string textOf(HWND window) {
  char text[1024];
  const int n = GetWindowTextA(window, text, sizeof text);
  return std::string(text, size_t(n > 0 ? n : 0));
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM parameter) {
  char name[32];
  std::string text = textOf(child);
  if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, "Static") == 0 && !text.empty()) {
    auto& out = *reinterpret_cast<std::string*>(parameter);
    out += (out.empty() ? "" : " ") + text;
  }
  return TRUE;
}

BOOL CALLBACK collectBox(HWND window, LPARAM parameter) {
  DWORD process = 0;
  char name[32];
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(window) || !GetClassNameA(window, name, sizeof name) ||
      lstrcmpA(name, "#32770") != 0)
    return TRUE;
  std::string text;
  EnumChildWindows(window, collectStaticText, LPARAM(&text));
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  auto& out = *reinterpret_cast<std::string*>(parameter);
  out += (out.empty() ? "" : "; ") + ("box \"" + textOf(window) + "\": \"" + text + "\"");
  return TRUE;
}

DWORD WINAPI watch(LPVOID) {
  for (;;) {
    Sleep(1000);
    EnterCriticalSection(&lock);
    const bool stalled = GetTickCount64() - lastProgressMs > ULONGLONG(stallSeconds) * 1000;
    const std::string what = waitingFor;
    LeaveCriticalSection(&lock);
    if (!stalled) continue;
    const std::string boxes = describeBoxes();
    std::fflush(stdout);
    std::fprintf(stderr, "vishost: no frame for %d s: waiting for %s%s%s; the run ends\n", stallSeconds,
                 what.c_str(), boxes.empty() ? "" : ", which shows a ", boxes.c_str());
    std::fflush(stderr);
    if (cleanUp) cleanUp();
    TerminateProcess(GetCurrentProcess(), 3);
  }
}

}  // namespace

void startStallWatch(int seconds, void (*beforeExit)()) {
  stallSeconds = seconds;
  InitializeCriticalSection(&lock);
  cleanUp = beforeExit;
  watching = true;
  noteProgress("the plug-in to load");
  if (HANDLE thread = CreateThread(nullptr, 0, watch, nullptr, 0, nullptr)) CloseHandle(thread);
}

void noteProgress(const std::string& what) {
  if (!watching) return;
  EnterCriticalSection(&lock);
  waitingFor = what;
  lastProgressMs = GetTickCount64();
  LeaveCriticalSection(&lock);
}

std::string describeBoxes() {
  std::string boxes;
  EnumWindows(collectBox, LPARAM(&boxes));
  return boxes;
}
