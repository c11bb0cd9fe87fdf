// An hour of "All effects" (216 000 frames at 60 fps) through Render on the stand-in, the way a
// long evening in the player goes: the clock pauses and jumps and wraps past 0xFFFFFFFF once,
// tracks change and seek, and about one platform call in 500 fails (a lost surface, a refused
// GetDC or BeginScene, a failing Blt). Built with the sanitizers it also proves that no frame
// reads or writes out of bounds. It checks that every effect and the intro were shown, that the
// fade level never left 0..1, and that after Quit no COM or GDI object is left.
//
// usage: plugin_soak [FRAMES]      (216000 by default)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>
#include <string>

#include "plugin_state.h"

namespace {

constexpr int framesPerHour = 216000;
constexpr int meanCallsPerFailure = 500;

// What the host player answers: the playlist entry, its title and length, the position.
struct Track {
  int index = 0;
  int lengthSeconds = 200;
  int positionMs = 0;
  std::string title = "Soak - First Track";
};
Track track;

LRESULT answerHost(UINT message, WPARAM wp, LPARAM lp) {
  if (message != WM_USER) return 0;
  if (lp == 105) return wp == 0 ? track.positionMs : track.lengthSeconds;
  if (lp == 125) return track.index;
  if (lp == 212) return reinterpret_cast<LRESULT>(int(wp) == track.index ? track.title.c_str() : nullptr);
  return 0;
}

std::string randomTitle(std::mt19937& rng) {
  static const char letters[] = "abcdefghij KLMNOP %s%n%d 0123456789-\xe9\xfc";
  std::string title(rng() % 200, ' ');
  for (char& c : title) c = letters[rng() % (sizeof letters - 1)];
  return title;
}

// Music-like levels: a beat every half second, some noise on every band.
void fillAudio(VisModule& module, int frame, std::mt19937& rng) {
  const bool beat = frame % 30 < 3;
  for (int ch = 0; ch < 2; ++ch)
    for (int k = 0; k < 576; ++k) {
      const int level = (beat ? 200 : 60) * (576 - k) / 576 + int(rng() % 40);
      module.spectrumData[ch][k] = static_cast<unsigned char>(std::min(level, 255));
      module.waveformData[ch][k] = static_cast<unsigned char>(128 + int(60 * std::sin(k * 0.1 + frame * 0.3)));
    }
}

// The four failures the real platform hands out now and then.
const char* const failureNames[4] = {"surfaces lost", "GetDC refused", "BeginScene refused", "Blt failed"};

int injectFailure(std::mt19937& rng) {
  const int kind = int(rng() % 4);
  if (kind == 0) standin::loseSurfaces();
  else standin::failNext(kind == 1 ? "GetDC" : kind == 2 ? "BeginScene" : "Blt");
  return kind;
}

// The time between two frames: mostly 16 or 17 ms, now and then a pause or a jump of up to 5 s.
DWORD frameGap(std::mt19937& rng) {
  if (rng() % 200 == 0) return rng() % 5001;
  return rng() % 3 == 0 ? 16 : 17;
}

// The playlist: the position runs with the clock; now and then a seek or the next track.
void movePlayer(DWORD gap, std::mt19937& rng) {
  track.positionMs += int(gap);
  const int r = int(rng() % 4000);
  if (r < 2 || track.positionMs > track.lengthSeconds * 1000) {
    track.index += 1;
    track.positionMs = 0;
    track.lengthSeconds = int(rng() % 600);
    track.title = randomTitle(rng);
  } else if (r < 6) {
    track.positionMs = int(rng() % (unsigned(track.lengthSeconds) * 1000 + 1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int frames = argc > 1 ? std::atoi(argv[1]) : framesPerHour;
  if (frames < 1) {
    std::fprintf(stderr, "usage: plugin_soak [FRAMES]\n");
    return 2;
  }
  const auto folder = std::filesystem::temp_directory_path() / ("vexilumarine-soak-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "plugin.ini", std::ios::binary) << "[Vexilumarine]\r\nshow FPS=TRUE\r\n";

  standin::reset();
  resetPluginState();
  std::string windowsFolder = "Z:" + folder.string();
  for (char& c : windowsFolder)
    if (c == '/') c = '\\';
  standin::setModulePath(windowsFolder + "\\vis_vexilumarine.dll");
  addPluginBitmaps();
  standin::setTracing(false);
  // The clock wraps past 0xFFFFFFFF about halfway through.
  standin::setTime(DWORD(0) - DWORD(frames) * 17u / 2u);

  std::mt19937 rng(15);
  visModule.hwndParent = standin::createHostWindow(answerHost);
  VisModule* module = getModule(0);
  module->nCh = 2;
  int failed = 0;
  if (module->Init(module) != 0) {
    std::fprintf(stderr, "soak: Init failed\n");
    return 1;
  }

  // A real clock also runs while a frame is drawn: every read finds it a millisecond on.
  standin::setTimeStepPerRead(1);
  const auto started = std::chrono::steady_clock::now();
  bool shown[effectCount] = {};
  int injected[4] = {}, badFade = 0, firstBadFrame = -1, renderErrors = 0, wraps = 0;
  float lowestFade = 1, highestFade = 0;
  long long nextFailure = standin::platformCalls() + 1 + rng() % (2 * meanCallsPerFailure);
  for (int frame = 0; frame < frames; ++frame) {
    const DWORD gap = frameGap(rng);
    const DWORD before = timeGetTime();
    standin::advanceTime(gap);
    if (timeGetTime() < before) ++wraps;
    movePlayer(gap, rng);
    fillAudio(*module, frame, rng);
    if (standin::platformCalls() >= nextFailure) {
      ++injected[injectFailure(rng)];
      nextFailure = standin::platformCalls() + 1 + rng() % (2 * meanCallsPerFailure);
    }
    if (module->Render(module) != 0) ++renderErrors;
    shown[scheduler.currentEffect] = true;
    const float fade = scheduler.fadeLevel;
    if (!(fade >= 0.0f && fade <= 1.0f)) {
      if (badFade++ == 0) firstBadFrame = frame;
    }
    lowestFade = std::min(lowestFade, fade);
    highestFade = std::max(highestFade, fade);
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  module->Quit(module);
  std::filesystem::remove_all(folder);

  int effectsShown = 0;
  std::string missing;
  for (int i = 0; i < effectCount; ++i) {
    effectsShown += shown[i];
    if (!shown[i]) missing += " " + std::string(effectTable[i].name);
  }
  const int com = standin::liveComObjects(), gdi = standin::liveGdiObjects(), misuses = standin::misuses();
  std::printf("soak: %d frames in %.1f s (%.0f frames/s), clock wraps %d, %lld platform calls\n", frames, seconds,
              frames / seconds, wraps, standin::platformCalls());
  std::printf("soak: shown %d of %d (the intro and seven effects)%s%s\n", effectsShown, effectCount,
              missing.empty() ? "" : ", missing:", missing.c_str());
  std::printf("soak: injected: %d %s, %d %s, %d %s, %d %s (%d calls failed on request); Render errors %d\n",
              injected[0], failureNames[0], injected[1], failureNames[1], injected[2], failureNames[2], injected[3],
              failureNames[3], standin::injectedFailures(), renderErrors);
  std::printf("soak: fade level %.3f .. %.3f, %d frames outside 0..1 (first: %d)\n", lowestFade, highestFade, badFade,
              firstBadFrame);
  std::printf("soak: after Quit: COM objects with references %d, GDI objects %d, platform misuses %d\n", com, gdi,
              misuses);
  for (const auto& left : standin::liveComLabels()) std::printf("soak:   left: %s\n", left.c_str());
  failed = effectsShown != effectCount || badFade || renderErrors || com || gdi || misuses || wraps != 1;
  std::printf("soak: %s\n", failed ? "FAILED" : "passed");
  return failed;
}
