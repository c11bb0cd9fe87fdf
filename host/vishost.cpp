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
#include "live_input.h"
#include "options.h"
#include "picture_sink.h"
#include "player.h"
#include "player_window.h"
#include "sound_source.h"
#include "plugin_library.h"
#include "plugin_window.h"
#include "resource_use.h"
#include "stall_watch.h"
#include "thread_clock.h"
#include "time_imports.h"
#include "vexilumarine_options.h"
#include "video_encoder.h"
#include "vis_api.h"
#include "vis_audio.h"
#include "virtual_clock.h"

namespace {

HostOptions options;
PlayerWindow playerWindow;
Player player;
LiveInput live;
// The virtual clock of the frame being drawn, the playlist it runs through; --render's encoder.
VirtualClock renderClock;
VirtualPlaylist renderPlaylist{&player, {}, &renderClock};
VideoEncoder video;

// The run's sound: the player, live input or the playlist on the virtual clock.
SoundSource sound;

PlaybackStatus currentStatus() { return sound.status(sound.state); }

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
  SoundForFrame frame;
  sound.take(sound.state, status, module->latencyMs, module->spectrumNch, module->waveformNch, frame);
  module->sRate = frame.sampleRate;
  module->nCh = frame.channels;
  std::memcpy(module->spectrumData, frame.audio.spectrum, sizeof frame.audio.spectrum);
  std::memcpy(module->waveformData, frame.audio.waveform, sizeof frame.audio.waveform);
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

// Follows the --pause test hook: paused from pauseAt for pauseFor seconds.
void followPauseHook(double now) {
  if (options.pauseAt < 0) return;
  sound.pause(sound.state, now >= options.pauseAt && now < options.pauseAt + options.pauseFor);
}

// The calling thread's processor time (user and kernel) in milliseconds.
double threadCpuMs() {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user)) return 0;
  const auto ticks = [](const FILETIME& t) { return double(uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime); };
  return (ticks(kernel) + ticks(user)) / 10000.0;
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

// On the virtual clock the plug-in's own threads draw their part of the frame after Render; the
// picture is complete once each of them waits again.
bool letPluginThreadsDraw(int frame) {
  if (!options.virtualClock) return true;
  noteProgress("the plug-in's threads to draw frame " + std::to_string(frame));
  return runPluginThreads(INFINITE);
}

// Init: the player (or live input) starts, the plug-in initialises, its threads settle.
bool initModule(winampVisModule* module, HMODULE dll) {
  module->hwndParent = playerWindow.window;
  module->hDllInstance = dll;
  sound.start(sound.state);
  if (options.resourceLogSeconds > 0) {
    printResourceUse("before Init");
    std::printf("\n");
  }
  renderClock = VirtualClock{options.fps, 0};
  setVirtualFrame(renderClock, 0);
  noteProgress("the plug-in's Init to return");
  if (module->Init(module) != 0) {
    std::fprintf(stderr, "vishost: the plug-in's Init failed\n");
    sound.stop(sound.state);
    return false;
  }
  letPluginThreadsDraw(0);
  return true;
}

// Render, and the plug-in's threads after it; what the sinks need to know of the frame.
DrawnFrame drawFrame(winampVisModule* module, int frame, double now, double start, int& renderResult) {
  noteProgress("the plug-in's Render of frame " + std::to_string(frame));
  const double cpuBefore = options.resourceLogSeconds > 0 ? threadCpuMs() : 0;
  DrawnFrame drawn;
  drawn.frame = frame;
  drawn.clockSeconds = now;
  drawn.renderStart = nowSeconds() - start;
  drawn.spectrum = module->spectrumData;
  renderResult = module->Render(module);
  letPluginThreadsDraw(frame);
  drawn.renderEnd = nowSeconds() - start;
  drawn.shownAt = options.virtualClock ? now : drawn.renderEnd;
  if (options.resourceLogSeconds > 0) drawn.renderCpuMs = threadCpuMs() - cpuBefore;
  return drawn;
}

// Whether the run is over before `frame`: its length, or the plug-in or the playlist ended it.
bool runIsOver(winampVisModule* module, int frame, double now, int64_t frameLimit, int64_t playlistFrames) {
  const bool done = options.virtualClock ? frame > frameLimit
                    : options.seconds > 0 ? now >= options.seconds
                                          : frame > options.frames;
  if (done) return true;
  if (!pumpMessages()) {
    std::printf("vishost: the plug-in ended the visualisation at frame %d\n", frame);
    return true;
  }
  if (currentStatus().state == PlayState::stopped || (options.virtualClock && frame > playlistFrames)) {
    renderStopped(module);
    std::printf("vishost: playback stopped at frame %d\n", frame);
    return true;
  }
  return false;
}

void quitModule(winampVisModule* module) {
  releasePluginThreads();
  noteProgress("the plug-in's Quit to return");
  module->Quit(module);
  closeEmbeddedFrame(playerWindow);
  // The plug-in's window posts a quit message as Quit destroys it: it ends this run, not the next.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  if (options.resourceLogSeconds > 0) {
    printResourceUse("after Quit");
    std::printf("\nvishost: Quit returned\n");
  }
  sound.stop(sound.state);
}

// The frame loop: the clock's time, the sound for it, Render, the picture to the sinks, the next frame.
int runModule(winampVisModule* module, HMODULE dll) {
  if (options.config) {
    module->hwndParent = playerWindow.window;
    module->hDllInstance = dll;
    module->Config(module);
    return 0;
  }
  const double start = nowSeconds();
  if (!initModule(module, dll)) return 1;
  // On the virtual clock the playlist's round(seconds x fps) frames are the last it plays.
  const int64_t playlistFrames = videoFrameCount(playlistSeconds(renderPlaylist.entries), options.fps);
  const int64_t frameLimit = options.virtualClock ? virtualFrameLimit() : 0;
  const int64_t videoFrames = std::min(frameLimit, playlistFrames);
  std::vector<PictureSink> sinks = openPictureSinks(options, playerWindow.run, video, videoFrames);
  if (options.render)
    std::fprintf(stderr, "vishost: rendering %lld frames at %d fps; the plug-in gets the sound %d ms ahead of "
                 "what is heard\n", static_cast<long long>(videoFrames), options.fps,
                 module->latencyMs);
  int status = 0;
  for (int frame = 1;; ++frame) {
    playerWindow.frame = frame;
    setVirtualFrame(renderClock, frame - 1);
    const double now = clockSeconds(start);
    if (runIsOver(module, frame, now, frameLimit, playlistFrames)) break;
    followPauseHook(now);
    const PlaybackStatus playback = currentStatus();
    if (playback.state == PlayState::paused) {  // no Render while paused
      Sleep(DWORD(std::max(module->delayMs, 1)));
      --frame;
      continue;
    }
    fillAudio(module, playback);
    int result = 0;
    if (!sendToSinks(sinks, drawFrame(module, frame, now, start, result))) {
      status = 1;
      break;
    }
    applyWindowEvents(options.windowEvents, frame);
    if (result != 0) break;
    if (!options.benchmark) waitForNextFrame(module, frame, start);
  }
  closePictureSinks(sinks);
  quitModule(module);
  return status;
}

// Each run asks for the module again and goes through Init, frames and Quit, as a host that keeps
// the DLL loaded between runs does.
int runModules(winampVisHeader* header, HMODULE dll) {
  for (int run = 1; run <= options.runs; ++run) {
    playerWindow.run = run;
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

// Test pass-through settings hold for this run only; the user's file is put back afterwards, also
// when a stalled run is ended.
SavedPluginSettings savedSettings;

void putSettingsBack() { restorePluginSettings(savedSettings); }

int runPlugin(const std::string& path) {
  savedSettings = applyPluginSettings(path, options);
  std::string error;
  HMODULE dll = loadPluginLibrary(path, error);
  if (!dll) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    return 1;
  }
  playerWindow.pluginFolder = pluginFolderOf(path);
  if (options.virtualClock && patchTimeImports(dll, &renderClock) == 0)
    std::fprintf(stderr, "vishost: the plug-in imports none of timeGetTime, GetTickCount, GetTickCount64 and "
                         "QueryPerformanceCounter: its time is not controlled\n");
  int status = 1;
  winampVisHeader* header = pluginHeader(dll);
  if (!header) {
    std::fprintf(stderr, "vishost: '%s' is not a visualisation plug-in\n", path.c_str());
  } else if (options.list) {
    listModules(header);
    status = 0;
  } else {
    status = runModules(header, dll);
  }
  FreeLibrary(dll);
  return status;
}

DWORD WINAPI visThread(LPVOID) {
  const int status = runPlugin(options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath);
  putSettingsBack();
  std::fflush(stdout);
  endPlayerWindowLoop(playerWindow, status);
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

std::string fullPath(const std::string& file) {
  char full[MAX_PATH];
  const DWORD n = GetFullPathNameA(file.c_str(), MAX_PATH, full, nullptr);
  return n > 0 && n < MAX_PATH ? std::string(full, n) : file;
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
    playerWindow.paths.push_back(fullPath(file));
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
  playerWindow.paths.resize(player.titles.size());  // the demo song and live input are no files
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
  if (options.help) {
    std::printf("%s", usageText());
    return 0;
  }
  if (!options.writeDemo.empty()) return writeDemoSong(options.writeDemo);
  if (options.render && !openVideoEncoder(video, options.screenFile, options.yuv420p, error)) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    return 1;
  }
  initPlayer(player);
  player.mute = options.mute;
  player.startSeconds = options.startSeconds;
  if (!options.list && !options.config && !buildPlaylist()) return 1;
  for (const PcmAudio& track : player.tracks)
    renderPlaylist.entries.push_back({int64_t(track.frameCount()), track.sampleRate});
  sound = options.live           ? liveSource(live)
          : options.virtualClock ? virtualPlaylistSource(renderPlaylist)
                                 : playerSource(player);
  playerWindow.titles = player.titles;
  playerWindow.status = currentStatus;
  playerWindow.traceQueries = options.traceQueries;
  if (!createPlayerWindow(playerWindow)) {
    std::fprintf(stderr, "vishost: cannot create the host window\n");
    return 1;
  }
  if (options.virtualClock) startStallWatch(options.stallSeconds, putSettingsBack);
  HANDLE thread = CreateThread(nullptr, 0, visThread, nullptr, 0, nullptr);
  MSG msg;
  int status = 1;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  if (msg.message == WM_QUIT) status = int(msg.wParam);
  WaitForSingleObject(thread, INFINITE);
  if (options.windowed || options.desktopSize)
    std::printf("vishost: the host window received %d key presses\n", playerWindow.keysReceived.load());
  CloseHandle(thread);
  DestroyWindow(playerWindow.window);
  if (options.benchmark) reportEncoderTimes(video);
  closeVideoEncoder(video);
  return status;
}
