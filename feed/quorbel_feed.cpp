// quorbel-feed: keeps quorbel's frame file filled with the spectrum of what the desktop plays.
// It records the monitor of the default output (or a source named with --source; --list-sources
// lists them), builds the spectrum the way vishost does for the plug-in, and rewrites the frame
// file 60 times a second, each time whole (a temporary file, then a rename). A server that goes
// away is tried again every second; with none at the start the program says so and ends.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "frame_file.h"
#include "frame_reader.h"
#include "live_pcm.h"
#include "pulse_capture.h"
#include "pulse_sources.h"
#include "vis_audio.h"

namespace {

constexpr int framesPerSecond = 60;
constexpr size_t pieceBytes = size_t(liveSampleRate / framesPerSecond) * liveFrameBytes;

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

constexpr const char* usage =
    "usage: quorbel-feed [--source NAME] [--frame-file PATH]\n"
    "       quorbel-feed --list-sources | --help | --version\n"
    "\n"
    "Keeps quorbel's frame file ($WINEPREFIX/drive_c/data.txt, else ~/.wine/drive_c/data.txt)\n"
    "filled with the spectrum of a PulseAudio or PipeWire source, 60 times a second.\n"
    "\n"
    "  --source NAME      the source to record (default: the monitor of the default output)\n"
    "  --frame-file PATH  write this file instead\n"
    "  --list-sources     list the sources' names and descriptions\n"
    "  --help, --version  this text, the version\n";

enum class FeedAction { record, listSources, help, version, badArguments };

struct FeedOptions {
  std::string source = "@DEFAULT_MONITOR@";
  std::string frameFile;  // empty: the path quorbel reads
};

FeedAction parseFeedOptions(int argc, char** argv, FeedOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--source" || arg == "--frame-file") && i + 1 < argc) {
      (arg == "--source" ? options.source : options.frameFile) = argv[++i];
    } else if (arg == "--list-sources") {
      return FeedAction::listSources;
    } else if (arg == "--help" || arg == "-h") {
      return FeedAction::help;
    } else if (arg == "--version") {
      return FeedAction::version;
    } else {
      std::fprintf(stderr, "quorbel-feed: unknown argument '%s'\n%s", arg.c_str(), usage);
      return FeedAction::badArguments;
    }
  }
  return FeedAction::record;
}

int printSoundSources() {
  std::vector<SoundSource> sources;
  std::string error;
  if (!listSoundSources(sources, error)) {
    std::fprintf(stderr, "quorbel-feed: no sound server (%s); is PulseAudio or PipeWire running?\n", error.c_str());
    return 1;
  }
  std::fputs(formatSoundSources(sources).c_str(), stdout);
  return 0;
}

// A source the server does not know: says so, with the names it does know.
void reportUnknownSource(const std::string& source, const std::string& error) {
  std::vector<SoundSource> sources;
  std::string listError;
  if (!listSoundSources(sources, listError) || sources.empty()) {
    std::fprintf(stderr, "quorbel-feed: cannot record '%s' (%s)\n", source.c_str(), error.c_str());
    return;
  }
  std::fprintf(stderr, "quorbel-feed: cannot record '%s' (%s); the sources are:\n%s", source.c_str(), error.c_str(),
               formatSoundSources(sources).c_str());
}

// Writes one frame; a failure is said once until a frame gets through again.
void writeFrame(const std::string& path, const uint8_t spectrum[2][visEntries]) {
  static bool failing = false;
  std::string error;
  const bool written = replaceFileAtomically(path, formatFrameFile(spectrum), error);
  if (!written && !failing) std::fprintf(stderr, "quorbel-feed: %s\n", error.c_str());
  failing = !written;
}

void writeLiveFrame(const std::string& path, const LivePcm& pcm) {
  int16_t window[liveChannels][visEntries];
  newestLiveWindow(pcm, window);
  VisAudio audio;
  visAudioFromWindow(window, 2, 0, audio);
  writeFrame(path, audio.spectrum);
}

// After the server went away: silence in the frame file, then a new connection every second.
bool reconnect(PulseCapture& capture, const FeedOptions& options, const std::string& path) {
  const uint8_t silence[2][visEntries] = {};
  writeFrame(path, silence);
  while (!stopRequested) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::string error;
    if (openCapture(capture, options.source, pieceBytes, error) == CaptureFailure::none) {
      std::fprintf(stderr, "quorbel-feed: the sound server is back\n");
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  FeedOptions options;
  switch (parseFeedOptions(argc, argv, options)) {
    case FeedAction::record:
      break;
    case FeedAction::listSources:
      return printSoundSources();
    case FeedAction::help:
      std::fputs(usage, stdout);
      return 0;
    case FeedAction::version:
      std::printf("quorbel-feed %s\n", QUORBEL_VERSION);
      return 0;
    case FeedAction::badArguments:
      return 2;
  }
  const std::string path = options.frameFile.empty() ? frameFilePath() : options.frameFile;
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);

  PulseCapture capture;
  std::string error;
  switch (openCapture(capture, options.source, pieceBytes, error)) {
    case CaptureFailure::none:
      break;
    case CaptureFailure::noServer:
      std::fprintf(stderr, "quorbel-feed: no sound server (%s); is PulseAudio or PipeWire running?\n", error.c_str());
      return 1;
    case CaptureFailure::noSource:
      reportUnknownSource(options.source, error);
      return 1;
  }
  std::signal(SIGINT, requestStop);
  std::signal(SIGTERM, requestStop);
  std::fprintf(stderr, "quorbel-feed: %s -> %s, %d frames a second\n", options.source.c_str(), path.c_str(),
               framesPerSecond);

  LivePcm pcm;
  uint8_t piece[pieceBytes];
  while (!stopRequested) {
    if (!readCapture(capture, piece, sizeof piece, error)) {
      if (stopRequested) break;
      std::fprintf(stderr, "quorbel-feed: lost the sound server (%s); trying again every second\n", error.c_str());
      closeCapture(capture);
      if (!reconnect(capture, options, path)) break;
      continue;
    }
    pushLiveBytes(pcm, piece, sizeof piece);
    writeLiveFrame(path, pcm);
  }
  closeCapture(capture);
  return 0;
}
