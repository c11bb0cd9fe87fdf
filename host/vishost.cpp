// vishost: plays music through a visualisation plug-in the way the player does. The player's
// thread plays the playlist (wave output, or a free clock when muted); one visualisation thread
// loads the DLL, initialises the module, pumps its messages, fills the audio fields from just
// ahead of what is audible and calls Render; the main thread owns the host window that answers
// the plug-in's queries. With --live the audio comes from standard input instead and nothing plays.
// On the virtual clock (--virtual-clock, --render) nothing plays either: the plug-in's clock and the
// playlist position follow the frame being drawn, and no frame waits; --render also sends every
// frame raw to the encoder on standard output.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ansi_text.h"
#include "audio_file.h"
#include "demo_song.h"
#include "frame_file.h"
#include "live_input.h"
#include "options.h"
#include "player.h"
#include "render_progress.h"
#include "resource_use.h"
#include "screen_capture.h"
#include "steady_capture.h"
#include "time_imports.h"
#include "video_encoder.h"
#include "vis_api.h"
#include "vis_audio.h"
#include "virtual_clock.h"

namespace {

constexpr UINT visThreadDone = WM_APP + 1;

HostOptions options;
HWND hostWindow = nullptr;
Player player;
// Where the visualisation thread is, for the query trace the host window prints.
std::atomic<int> currentRun{1}, currentFrame{0};
LiveInput live;
// Key presses the plug-in passed on to the host window.
std::atomic<int> keysReceived{0};
// The virtual clock of the frame being drawn, the playlist it runs through; --render's encoder.
VirtualClock renderClock;
std::vector<PlaylistEntry> renderPlaylist;
VideoEncoder video;

PlaybackStatus currentStatus() {
  if (options.virtualClock) return playlistStatusAt(renderPlaylist, virtualMicroseconds(renderClock));
  return options.live ? liveStatus(live) : playerStatus(player);
}

std::string defaultPluginPath() {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string path(exe, n);
  return path.substr(0, path.find_last_of('\\') + 1) + "Plugins\\vis_vexilumarine.dll";
}

LRESULT CALLBACK hostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) {
    const intptr_t answer = answerHostQuery(currentStatus(), player.titles, wParam, lParam);
    if (options.traceQueries && lParam == 212) {
      std::printf("title query: entry %u -> %s\n", unsigned(wParam),
                  answer ? reinterpret_cast<const char*>(answer) : "(none)");
      std::fflush(stdout);
    }
    if (options.traceQueries && lParam == 105 && wParam == 1) {
      std::printf("length query: run %d, frame %d -> %d s, at %.3f s\n", currentRun.load(), currentFrame.load(),
                  int(answer), currentStatus().positionMs() / 1000.0);
      std::fflush(stdout);
    }
    return answer;
  }
  if (message == WM_KEYDOWN) {
    keysReceived += 1;
    return 0;
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

// The plug-in's settings file as it was before --mode, --widescreen or --windowed changed it for one run.
struct SavedIni {
  std::string path;
  bool existed = false;
  std::string contents;
};

SavedIni saveIni(const std::string& path) {
  SavedIni saved{path, false, {}};
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    saved.existed = true;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) saved.contents.append(buffer, n);
    std::fclose(file);
  }
  return saved;
}

void restoreIni(const SavedIni& saved) {
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

// Writes the run's --mode / --widescreen into the plug-in's settings; returns what was there.
SavedIni writePluginIni(const std::string& dllPath) {
  const std::string ini = pluginFolder(dllPath) + "plugin.ini";
  SavedIni saved = saveIni(ini);
  if (options.graphicsMode >= 0)
    WritePrivateProfileStringA("Vexilumarine", "graphics mode", std::to_string(options.graphicsMode).c_str(),
                               ini.c_str());
  if (options.widescreen) WritePrivateProfileStringA("Vexilumarine", "widescreen", "TRUE", ini.c_str());
  if (options.windowed) WritePrivateProfileStringA("Vexilumarine", "windowed", "TRUE", ini.c_str());
  if (options.desktopSize) WritePrivateProfileStringA("Vexilumarine", "desktop size", "TRUE", ini.c_str());
  if (options.windowWidth > 0) {
    WritePrivateProfileStringA("Vexilumarine", "window width", std::to_string(options.windowWidth).c_str(), ini.c_str());
    WritePrivateProfileStringA("Vexilumarine", "window height", std::to_string(options.windowHeight).c_str(),
                               ini.c_str());
  }
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
  return saved;
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

// The audio fields, taken latencyMs ahead of what is audible.
void fillAudio(winampVisModule* module, const PlaybackStatus& status) {
  VisAudio audio;
  if (options.live) {  // the newest frames: what the desktop plays now
    module->sRate = liveSampleRate;
    module->nCh = liveChannels;
    takeLiveAudio(live, module->spectrumNch, module->waveformNch, audio);
    std::memcpy(module->spectrumData, audio.spectrum, sizeof audio.spectrum);
    std::memcpy(module->waveformData, audio.waveform, sizeof audio.waveform);
    return;
  }
  const PcmAudio& track = player.tracks[size_t(status.index)];
  module->sRate = track.sampleRate;
  module->nCh = track.channels;
  const int64_t ahead = int64_t(std::max(module->latencyMs, 0)) * track.sampleRate / 1000;
  takeVisAudio(track, status.audibleFrame + ahead, module->spectrumNch, module->waveformNch, audio);
  std::memcpy(module->spectrumData, audio.spectrum, sizeof audio.spectrum);
  std::memcpy(module->waveformData, audio.waveform, sizeof audio.waveform);
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

// Seconds since Init on the run's clock: the video frame's time, or the wall clock's.
double clockSeconds(double start) {
  return options.virtualClock ? double(virtualMicroseconds(renderClock)) / 1e6 : nowSeconds() - start;
}

// The frames of a run on the virtual clock: the whole playlist, or less with --seconds or --frames.
int64_t virtualFrameLimit() {
  int64_t frames = INT64_MAX;
  if (options.seconds > 0) frames = videoFrameCount(options.seconds, options.fps);
  if (options.framesGiven) frames = std::min<int64_t>(frames, options.frames);
  return frames;
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

void captureNamedFrame(int frame) {
  const RECT area = pictureArea();
  char name[64];
  if (options.runs > 1)
    std::snprintf(name, sizeof name, "\\module%d-run%d-frame%05d.bmp", options.module, currentRun.load(), frame);
  else
    std::snprintf(name, sizeof name, "\\module%d-frame%05d.bmp", options.module, frame);
  const std::string path = options.outDir + name;
  if (!captureScreenArea(area, path)) std::fprintf(stderr, "vishost: could not write %s\n", path.c_str());
}

void writeFrameFile(winampVisModule* module) {
  static bool reported = false;
  std::string error;
  if (!replaceFileAtomically(options.frameFile, formatFrameFile(module->spectrumData), error) && !reported) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    reported = true;
  }
}

void pressKeyInPluginWindow() {
  if (HWND window = FindWindowA("Vexilumarine", nullptr)) PostMessageA(window, WM_KEYDOWN, VK_SPACE, 0x00390001);
  else std::fprintf(stderr, "vishost: no plug-in window to press a key in\n");
}

// Follows the --pause test hook: paused from pauseAt for pauseFor seconds.
void followPauseHook(double now) {
  if (options.pauseAt < 0) return;
  pausePlayer(player, now >= options.pauseAt && now < options.pauseAt + options.pauseFor);
}

// --resource-log: at every interval one line of what the process holds and of the slowest
// Render and the longest frame (from one frame's start to the next) since the line before.
struct ResourceLog {
  double nextAt = 0;
  double lastFrameStart = -1;
  double slowestRenderMs = 0;
  double longestFrameMs = 0;
  int slowRenders = 0;  // over 100 ms
  double mostRenderCpuMs = 0;  // the visualisation thread's own processor time in one Render
};

// The calling thread's processor time (user and kernel) in milliseconds.
double threadCpuMs() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) { return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime); };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

void printResourceUse(const char* when) {
  const ResourceUse use = sampleResourceUse();
  std::printf("resources: %s: private %zu bytes, GDI %u, USER %u%s", when, use.privateBytes, use.gdiObjects,
              use.userObjects, use.userObjectsAreWindows ? " (windows)" : "");
}

void noteFrame(ResourceLog& log, double frameStart, double renderMs, double renderCpuMs, int frame) {
  if (log.lastFrameStart >= 0) log.longestFrameMs = std::max(log.longestFrameMs, (frameStart - log.lastFrameStart) * 1000);
  log.lastFrameStart = frameStart;
  log.slowestRenderMs = std::max(log.slowestRenderMs, renderMs);
  log.slowRenders += renderMs > 100;
  log.mostRenderCpuMs = std::max(log.mostRenderCpuMs, renderCpuMs);
  if (frameStart < log.nextAt) return;
  char when[64];
  std::snprintf(when, sizeof when, "%.0f s, frame %d", frameStart, frame);
  printResourceUse(when);
  std::printf("; slowest Render %.1f ms, over 100 ms %d, most Render processor time %.0f ms, longest frame %.1f ms\n",
              log.slowestRenderMs, log.slowRenders, log.mostRenderCpuMs, log.longestFrameMs);
  std::fflush(stdout);
  log.slowestRenderMs = log.longestFrameMs = log.mostRenderCpuMs = 0;
  log.slowRenders = 0;
  log.nextAt += options.resourceLogSeconds;
}

// Hands the picture just drawn to the run's sinks: the named BMPs, the steady BMP series (shown at
// `seconds`), the encoder. False when the encoder fails: the run cannot go on.
bool sendPicture(int frame, double seconds, SteadyCapture* steady) {
  if (std::find(options.captureAt.begin(), options.captureAt.end(), frame) != options.captureAt.end())
    captureNamedFrame(frame);
  if (steady && !captureDueSlots(*steady, seconds))
    std::fprintf(stderr, "vishost: could not write a frame into %s\n", options.outDir.c_str());
  std::string error;
  if (options.render && !encodeFrame(video, error)) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    return false;
  }
  return true;
}

// The real clock waits for the next frame's time (or the module's delay, as the player does); the
// virtual clock does not wait: the next frame's time comes with its number.
void waitForNextFrame(winampVisModule* module, int frame, double start) {
  if (options.virtualClock) return;
  if (options.playerTiming) {
    Sleep(DWORD(std::max(module->delayMs, 0)));
  } else {
    const double wait = double(frame) / options.fps - (nowSeconds() - start);
    if (wait > 0) Sleep(DWORD(wait * 1000.0));
  }
}

// On stop the player zeroes the arrays and renders once more.
void renderStopped(winampVisModule* module) {
  std::memset(module->spectrumData, 0, sizeof module->spectrumData);
  std::memset(module->waveformData, 0, sizeof module->waveformData);
  module->Render(module);
}

int runModule(winampVisModule* module, HMODULE dll) {
  module->hwndParent = hostWindow;
  module->hDllInstance = dll;
  if (options.config) {
    module->Config(module);
    return 0;
  }
  if (options.live) startLiveInput(live);
  else if (!options.virtualClock) startPlayer(player);
  if (options.resourceLogSeconds > 0) {
    printResourceUse("before Init");
    std::printf("\n");
  }
  renderClock = VirtualClock{options.fps, 0};
  const double start = nowSeconds();
  if (module->Init(module) != 0) {
    std::fprintf(stderr, "vishost: the plug-in's Init failed\n");
    stopPlayer(player);
    return 1;
  }
  const bool steady = options.captureAt.empty() && options.outDir != ".";
  SteadyCapture capture{options.outDir, options.captureFps};
  std::vector<double> renderMs;
  double benchmarkStart = 0;
  ResourceLog resourceLog;
  // On the virtual clock the playlist's round(seconds x fps) frames are the last it plays.
  const int64_t playlistFrames = videoFrameCount(playlistSeconds(renderPlaylist), options.fps);
  const int64_t frameLimit = options.virtualClock ? virtualFrameLimit() : 0;
  RenderProgress progress{std::min(frameLimit, playlistFrames), options.fps};
  if (options.render)
    std::fprintf(stderr, "vishost: rendering %lld frames at %d fps; the plug-in gets the sound %d ms ahead of "
                 "what is heard\n", static_cast<long long>(progress.frames), options.fps, module->latencyMs);
  int status = 0;
  for (int frame = 1;; ++frame) {
    currentFrame = frame;
    renderClock.frame = frame - 1;
    const double now = clockSeconds(start);
    const bool done = options.virtualClock   ? frame > frameLimit
                      : options.seconds > 0 ? now >= options.seconds
                                            : frame > options.frames;
    if (done) break;
    if (!pumpMessages()) {
      std::printf("vishost: the plug-in ended the visualisation at frame %d\n", frame);
      break;
    }
    followPauseHook(now);
    const PlaybackStatus playback = currentStatus();
    if (playback.state == PlayState::stopped || (options.virtualClock && frame > playlistFrames)) {
      renderStopped(module);
      std::printf("vishost: playback stopped at frame %d\n", frame);
      break;
    }
    if (playback.state == PlayState::paused) {  // no Render while paused
      Sleep(DWORD(std::max(module->delayMs, 1)));
      --frame;
      continue;
    }
    fillAudio(module, playback);
    const bool logging = options.resourceLogSeconds > 0;
    const double cpuBefore = logging ? threadCpuMs() : 0;
    const double before = nowSeconds();
    const int result = module->Render(module);
    const double after = nowSeconds();
    if (logging) noteFrame(resourceLog, before - start, (after - before) * 1000.0, threadCpuMs() - cpuBefore, frame);
    if (options.benchmark && now > 10.5) {
      if (renderMs.empty()) benchmarkStart = before;
      renderMs.push_back((after - before) * 1000.0);
    }
    if (!sendPicture(frame, options.virtualClock ? now : after - start, steady ? &capture : nullptr)) {
      status = 1;
      break;
    }
    if (options.render) reportProgress(progress, frame, after - start);
    if (!options.frameFile.empty()) writeFrameFile(module);
    if (frame == options.pressKeyAt) pressKeyInPluginWindow();
    applyWindowEvents(options.windowEvents, frame);
    if (result != 0) break;
    if (!options.benchmark) waitForNextFrame(module, frame, start);
  }
  if (options.benchmark) reportBenchmark(renderMs, nowSeconds() - benchmarkStart);
  module->Quit(module);
  // The plug-in's window posts a quit message as Quit destroys it: it ends this run, not the next.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  if (options.resourceLogSeconds > 0) {
    printResourceUse("after Quit");
    std::printf("\nvishost: Quit returned\n");
  }
  stopPlayer(player);
  return status;
}

// Each run asks for the module again and goes through Init, frames and Quit, as a host that keeps
// the DLL loaded between runs does.
int runModules(winampVisHeader* header, HMODULE dll) {
  for (int run = 1; run <= options.runs; ++run) {
    currentRun = run;
    winampVisModule* module = header->getModule(options.module);
    if (!module) {
      std::fprintf(stderr, "vishost: the plug-in has no module %d\n", options.module);
      return 1;
    }
    if (options.runs > 1) std::printf("vishost: run %d of %d\n", run, options.runs);
    const int status = runModule(module, dll);
    if (status != 0 || options.config) return status;
  }
  return 0;
}

DWORD WINAPI visThread(LPVOID) {
  const std::string path = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
  int status = 1;
  // Test pass-through settings hold for this run only; the user's file is put back afterwards.
  const bool overrideIni = !options.list && !options.config &&
                           (options.graphicsMode >= 0 || options.widescreen || options.windowed ||
                            options.desktopSize || options.windowWidth > 0);
  SavedIni savedIni;
  if (overrideIni) savedIni = writePluginIni(path);
  HMODULE dll = LoadLibraryA(path.c_str());
  if (!dll) {
    std::fprintf(stderr, "vishost: cannot load plug-in '%s' (error %lu)\n", path.c_str(), GetLastError());
  } else {
    if (options.virtualClock && patchTimeImports(dll, &renderClock) == 0)
      std::fprintf(stderr, "vishost: the plug-in imports none of timeGetTime, GetTickCount and "
                           "QueryPerformanceCounter: its time is not controlled\n");
    auto getHeader = reinterpret_cast<winampVisGetHeaderType>(
        reinterpret_cast<void*>(GetProcAddress(dll, "winampVisGetHeader")));
    winampVisHeader* header = getHeader ? getHeader() : nullptr;
    if (!header) {
      std::fprintf(stderr, "vishost: '%s' is not a visualisation plug-in\n", path.c_str());
    } else if (options.list) {
      status = listModules(header);
    } else {
      status = runModules(header, dll);
    }
    FreeLibrary(dll);
  }
  if (overrideIni) restoreIni(savedIni);
  std::fflush(stdout);
  PostMessageA(hostWindow, visThreadDone, WPARAM(status), 0);
  return DWORD(status);
}

// The loudest sample of a track, read in blocks (a file is not held in memory).
int peakOf(const PcmAudio& track) {
  constexpr size_t block = 65536;
  std::vector<int16_t> samples(block * size_t(track.channels));
  int peak = 0;
  for (size_t at = 0; at < track.frameCount(); at += block) {
    const size_t frames = std::min(block, track.frameCount() - at);
    readPcmFrames(track, int64_t(at), frames, samples.data());
    for (size_t i = 0; i < frames * size_t(track.channels); ++i) peak = std::max(peak, std::abs(int(samples[i])));
  }
  return peak;
}

void traceTrack(size_t index) {
  const PcmAudio& track = player.tracks[index];
  std::printf("track %zu: %s, %.2f s, %d Hz, %d channel%s, peak %d\n", index, player.titles[index].c_str(),
              double(track.frameCount()) / track.sampleRate, track.sampleRate, track.channels,
              track.channels == 1 ? "" : "s", peakOf(track));
  std::fflush(stdout);
}

// The playlist: the files that can be read (each one that cannot is reported and skipped), or
// the demo song. --title texts replace the titles in order; with no files each one is a further
// entry of the demo song. Live, the one entry is the source, titled "Live: " and its name.
bool buildPlaylist() {
  if (options.live) {
    player.titles.push_back("Live: " + options.liveSource);
    if (!options.titles.empty()) player.titles[0] = options.titles[0];
    return true;
  }
  for (const std::string& file : options.files) {
    PcmAudio audio;
    std::string error;
    if (!readAudioFile(file, audio, error)) {
      std::fprintf(stderr, "vishost: %s\n", error.c_str());
      continue;
    }
    if (!audio.notice.empty()) std::fprintf(stderr, "vishost: %s: %s\n", file.c_str(), audio.notice.c_str());
    if (player.tracks.empty() && options.startSeconds * audio.sampleRate > double(audio.frameCount()))
      std::fprintf(stderr, "vishost: %s: --start %.0f s is past its end (%.0f s)\n", file.c_str(),
                   options.startSeconds, double(audio.frameCount()) / audio.sampleRate);
    player.titles.push_back(toAnsiCodePage(audio.title.empty() ? titleFromPath(file) : audio.title));
    player.tracks.push_back(std::move(audio));
    if (options.traceQueries) traceTrack(player.tracks.size() - 1);
  }
  if (!options.files.empty() && player.tracks.empty()) {
    std::fprintf(stderr, "vishost: none of the files can be played\n");
    return false;
  }
  if (options.files.empty()) {
    player.tracks.push_back(synthesiseDemoSong());
    player.titles.push_back(demoSongTitle);
    for (size_t i = 1; i < options.titles.size(); ++i) {
      player.tracks.push_back(player.tracks[0]);
      player.titles.push_back(demoSongTitle);
    }
  }
  for (size_t i = 0; i < options.titles.size() && i < player.titles.size(); ++i) player.titles[i] = options.titles[i];
  return true;
}

int writeDemoSong(const std::string& path) {
  const std::vector<uint8_t> image = wavImage(synthesiseDemoSong());
  std::FILE* file = std::fopen(path.c_str(), "wb");
  const bool written = file && std::fwrite(image.data(), 1, image.size(), file) == image.size();
  if (file && std::fclose(file) != 0) return 1;
  if (!written) std::fprintf(stderr, "vishost: cannot write %s\n", path.c_str());
  return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  if (!parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "vishost: %s\n%s", error.c_str(), usageText());
    return 2;
  }
  if (!options.writeDemo.empty()) return writeDemoSong(options.writeDemo);
  if (options.render && !openVideoEncoder(video, error)) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    return 1;
  }
  initPlayer(player);
  player.mute = options.mute;
  player.startSeconds = options.startSeconds;
  if (!options.list && !options.config && !buildPlaylist()) return 1;
  for (const PcmAudio& track : player.tracks)
    renderPlaylist.push_back({int64_t(track.frameCount()), track.sampleRate});
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
  if (options.windowed || options.desktopSize) std::printf("vishost: the host window received %d key presses\n", keysReceived.load());
  CloseHandle(thread);
  DestroyWindow(hostWindow);
  if (options.benchmark) reportEncoderTimes(video);
  closeVideoEncoder(video);
  return status;
}
