// vishost: plays a built-in test signal through a visualisation plug-in the way the player
// does: one visualisation thread loads the DLL, initialises the module, pumps its messages,
// fills the audio fields and calls Render at a steady rate; the main thread owns the host
// window that answers the plug-in's queries.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "options.h"
#include "screen_capture.h"
#include "synth_signal.h"
#include "vis_api.h"

namespace {

constexpr UINT visThreadDone = WM_APP + 1;
constexpr int trackLengthSeconds = 180;

HostOptions options;
HWND hostWindow = nullptr;
std::vector<std::string> playlist;
std::atomic<bool> playing{false};
std::atomic<DWORD> playStart{0};

std::string defaultPluginPath() {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe, n);
  return path.substr(0, path.find_last_of('\\') + 1) + "Plugins\\vis_vexilumarine.dll";
}

int currentTrack() {
  if (!playing) return 0;
  const DWORD elapsed = timeGetTime() - playStart;
  return int(elapsed / (trackLengthSeconds * 1000u)) % int(playlist.size());
}

int playPositionMs() {
  if (!playing) return -1;
  return int((timeGetTime() - playStart) % (trackLengthSeconds * 1000u));
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    switch (lParam) {
      case 105:
        if (!playing) return -1;
        return wParam == 0 ? playPositionMs() : trackLengthSeconds;
      case 125:
        return currentTrack();
      case 212:
        if (wParam >= playlist.size()) return 0;
        return reinterpret_cast<LRESULT>(playlist[wParam].c_str());
      default:
        return 0;
    }
  }
  if (message == visThreadDone) {
    PostQuitMessage(int(wParam));
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::string pluginFolder(const std::string& dllPath) {
  char full[MAX_PATH];
  DWORD n = GetFullPathNameA(dllPath.c_str(), MAX_PATH, full, nullptr);
  std::string path(full, n);
  return path.substr(0, path.find_last_of('\\') + 1);
}

void writePluginIni(const std::string& dllPath) {
  const std::string ini = pluginFolder(dllPath) + "plugin.ini";
  if (options.graphicsMode >= 0)
    WritePrivateProfileStringA("Vexilumarine", "graphics mode", std::to_string(options.graphicsMode).c_str(),
                               ini.c_str());
  if (options.widescreen) WritePrivateProfileStringA("Vexilumarine", "widescreen", "TRUE", ini.c_str());
}

int listModules(winampVisHeader* header) {
  std::printf("%s\n", header->description);
  for (int i = 0;; ++i) {
    winampVisModule* module = header->getModule(i);
    if (!module) break;
    std::printf("%d: %s\n", i, module->description);
  }
  return 0;
}

// Returns false when the plug-in asked to stop (WM_QUIT on this thread).
bool pumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return false;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return true;
}

void fillAudio(winampVisModule* module, double seconds) {
  AudioFrame frame;
  synthesiseFrame(seconds, frame);
  module->sRate = 44100;
  module->nCh = 2;
  std::copy(&frame.spectrum[0][0], &frame.spectrum[0][0] + 2 * 576, &module->spectrumData[0][0]);
  std::copy(&frame.waveform[0][0], &frame.waveform[0][0] + 2 * 576, &module->waveformData[0][0]);
}

double nowSeconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) / double(frequency.QuadPart);
}

void reportBenchmark(std::vector<double>& renderMs, double seconds) {
  if (renderMs.empty()) {
    std::printf("benchmark: no frames after the intro; run longer than 11 seconds\n");
    return;
  }
  std::vector<double> sorted = renderMs;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
  std::printf("benchmark: module %d, %zu frames after the intro, %.1f fps, Render median %.3f ms, p99 %.3f ms\n",
              options.module, renderMs.size(), double(renderMs.size()) / seconds, median, p99);
}

int runModule(winampVisModule* module, HMODULE dll) {
  module->hwndParent = hostWindow;
  module->hDllInstance = dll;
  if (options.config) {
    module->Config(module);
    return 0;
  }
  playStart = timeGetTime();
  playing = true;
  const double start = nowSeconds();
  if (module->Init(module) != 0) {
    std::fprintf(stderr, "vishost: the plug-in's Init failed\n");
    return 1;
  }
  int width = 0, height = 0;
  std::vector<double> renderMs;
  double benchmarkStart = 0;
  for (int frame = 1;; ++frame) {
    const double now = nowSeconds() - start;
    if (options.seconds > 0 ? now >= options.seconds : frame > options.frames) break;
    if (!pumpMessages()) break;
    fillAudio(module, now);
    const double before = nowSeconds();
    const int result = module->Render(module);
    const double after = nowSeconds();
    if (options.benchmark && now > 10.5) {
      if (renderMs.empty()) benchmarkStart = before;
      renderMs.push_back((after - before) * 1000.0);
    }
    if (std::find(options.captureAt.begin(), options.captureAt.end(), frame) != options.captureAt.end()) {
      if (width == 0) {
        RECT r;
        HWND window = GetForegroundWindow();
        if (window && GetWindowRect(window, &r)) width = r.right - r.left, height = r.bottom - r.top;
        if (width <= 0 || height <= 0) width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
      }
      char name[64];
      std::snprintf(name, sizeof name, "\\module%d-frame%05d.bmp", options.module, frame);
      const std::string path = options.outDir + name;
      if (!captureScreen(width, height, path)) std::fprintf(stderr, "vishost: could not write %s\n", path.c_str());
    }
    if (result != 0) break;
    if (!options.benchmark) {
      const double next = double(frame) / options.fps;
      const double wait = next - (nowSeconds() - start);
      if (wait > 0) Sleep(DWORD(wait * 1000.0));
    }
  }
  if (options.benchmark) reportBenchmark(renderMs, nowSeconds() - benchmarkStart);
  module->Quit(module);
  playing = false;
  return 0;
}

DWORD WINAPI visThread(LPVOID) {
  const std::string path = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
  int status = 1;
  if (!options.list && (options.graphicsMode >= 0 || options.widescreen)) writePluginIni(path);
  HMODULE dll = LoadLibraryA(path.c_str());
  if (!dll) {
    std::fprintf(stderr, "vishost: cannot load plug-in '%s' (error %lu)\n", path.c_str(), GetLastError());
  } else {
    auto getHeader = reinterpret_cast<winampVisGetHeaderType>(
        reinterpret_cast<void*>(GetProcAddress(dll, "winampVisGetHeader")));
    winampVisHeader* header = getHeader ? getHeader() : nullptr;
    if (!header) {
      std::fprintf(stderr, "vishost: '%s' is not a visualisation plug-in\n", path.c_str());
    } else if (options.list) {
      status = listModules(header);
    } else if (winampVisModule* module = header->getModule(options.module)) {
      status = runModule(module, dll);
    } else {
      std::fprintf(stderr, "vishost: the plug-in has no module %d\n", options.module);
    }
    FreeLibrary(dll);
  }
  std::fflush(stdout);
  PostMessageA(hostWindow, visThreadDone, WPARAM(status), 0);
  return DWORD(status);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "vishost: %s\n%s", error.c_str(), usageText());
    return 2;
  }
  playlist = options.titles.empty() ? std::vector<std::string>{"Vexilumarine - Synthetic Test Signal"}
                                    : options.titles;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = hostProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "Winamp v1.x";
  RegisterClassA(&windowClass);
  hostWindow = CreateWindowExA(0, "Winamp v1.x", "vishost", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               instance, nullptr);
  if (!hostWindow) {
    std::fprintf(stderr, "vishost: cannot create the host window\n");
    return 1;
  }
  HANDLE thread = CreateThread(nullptr, 0, visThread, nullptr, 0, nullptr);
  MSG msg;
  int status = 1;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (msg.message == WM_QUIT) status = int(msg.wParam);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  DestroyWindow(hostWindow);
  return status;
}
