#include "options.h"

#include <cstdlib>
#include <sstream>

namespace {

bool toInt(const std::string& text, int& value) {
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || v < -1000000000L || v > 1000000000L) return false;
  value = int(v);
  return true;
}

bool toNumberList(const std::string& text, std::vector<int>& values) {
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    int v;
    if (!toInt(item, v) || v < 0) return false;
    values.push_back(v);
  }
  return !values.empty();
}

bool toPause(const std::string& text, double& at, double& length) {
  char* end = nullptr;
  at = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != ':') return false;
  const char* rest = end + 1;
  length = std::strtod(rest, &end);
  return end != rest && *end == '\0' && at >= 0 && length > 0;
}

}  // namespace

const char* usageText() {
  return "usage: vishost [--help] [--plugin PATH] [--list] [--config] [--module N] [--runs N] [--frames K | --seconds S] [--fps N]\n"
         "               [--capture-at F1,F2,... --out DIR] [--mode N] [--widescreen] [--benchmark]\n"
         "               [--title TEXT]... [--mute] [--player-timing] [--capture-fps N] [--frame-file PATH]\n"
         "               [--write-demo PATH.wav] [--pause AT:FOR] [--trace-queries]\n"
         "               [--resource-log S] [--windowed] [--window-size WxH] [--desktop-size] [--start S]\n"
         "               [--window-event-at F:key|escape|alt-enter|minimise|restore|WxH]... [--] [FILE.wav|.mp3]...\n"
         "       vishost --render [--fps 1-240] [--yuv420p] [--screen-file PATH] [options] [FILE]... | ENCODER\n"
         "               (frames raw on standard output: 4 bytes a pixel, or I420 with --yuv420p; --screen-file:\n"
         "               the X server's screen file, Xvfb -fbdir's Xvfb_screen0, read instead of the X connection)\n"
         "       vishost --virtual-clock [options]   (the same clock, pictures only through --out)\n"
         "       (on the virtual clock --stall-seconds S, 60 by default, without a frame ends the run)\n"
         "       vishost --live [--live-source NAME] [options]   (raw s16le stereo 44100 Hz PCM on standard input)\n"
         "--plugin PATH: any vis_*.dll of vishost's width (default: Plugins\\vis_vexilumarine.dll); --module N: any\n"
         "module it lists (--list). --mode, --widescreen, --windowed, --window-size, --desktop-size are settings\n"
         "of vis_vexilumarine.dll. --trace-queries prints each query of the plug-in and its answer.\n";
}

bool parseOptions(int argc, char** argv, HostOptions& o, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    auto number = [&](int& out, int low, int high) {
      std::string text;
      if (!value(text)) return false;
      if (!toInt(text, out) || out < low || out > high) {
        error = arg + ": '" + text + "' is not a number from " + std::to_string(low) + " to " + std::to_string(high);
        return false;
      }
      return true;
    };
    std::string text;
    if (arg == "--") {  // the rest are files, whatever their names
      for (++i; i < argc; ++i) o.files.push_back(argv[i]);
      break;
    }
    if (arg == "--help" || arg == "-h") o.help = true;
    else if (arg == "--list") o.list = true;
    else if (arg == "--config") o.config = true;
    else if (arg == "--widescreen") o.widescreen = true;
    else if (arg == "--windowed") o.windowed = true;
    else if (arg == "--desktop-size") o.desktopSize = true;
    else if (arg == "--window-size") {
      if (!value(text)) return false;
      if (!parseSize(text, o.windowWidth, o.windowHeight)) {
        error = "--window-size: '" + text + "' is not WIDTHxHEIGHT";
        return false;
      }
    } else if (arg == "--window-event-at") {
      WindowEvent event;
      if (!value(text)) return false;
      if (!parseWindowEvent(text, event)) {
        error = "--window-event-at: '" + text + "' is not FRAME:key|escape|alt-enter|minimise|restore|WxH";
        return false;
      }
      o.windowEvents.push_back(event);
    }
    else if (arg == "--benchmark") o.benchmark = true;
    else if (arg == "--mute") o.mute = true;
    else if (arg == "--live") o.live = true;
    else if (arg == "--render") o.render = o.virtualClock = true;
    else if (arg == "--yuv420p") o.yuv420p = true;
    else if (arg == "--screen-file") { if (!value(o.screenFile)) return false; }
    else if (arg == "--virtual-clock") o.virtualClock = true;
    else if (arg == "--live-source") { if (!value(o.liveSource)) return false; }
    else if (arg == "--player-timing") o.playerTiming = true;
    else if (arg == "--trace-queries") o.traceQueries = true;
    else if (arg == "--frame-file") { if (!value(o.frameFile)) return false; }
    else if (arg == "--write-demo") { if (!value(o.writeDemo)) return false; }
    else if (arg == "--capture-fps") { if (!number(o.captureFps, 1, 120)) return false; }
    else if (arg == "--resource-log") { if (!number(o.resourceLogSeconds, 1, 3600)) return false; }
    else if (arg == "--stall-seconds") { if (!number(o.stallSeconds, 1, 3600)) return false; }
    else if (arg == "--pause") {
      if (!value(text)) return false;
      if (!toPause(text, o.pauseAt, o.pauseFor)) {
        error = "--pause: '" + text + "' is not AT:FOR in seconds";
        return false;
      }
    }
    else if (arg == "--plugin") { if (!value(o.pluginPath)) return false; }
    else if (arg == "--out") { if (!value(o.outDir)) return false; }
    else if (arg == "--title") { if (!value(text)) return false; o.titles.push_back(text); }
    else if (arg == "--module") { if (!number(o.module, 0, 1000000000)) return false; }
    else if (arg == "--runs") { if (!number(o.runs, 1, 100)) return false; }
    else if (arg == "--frames") { if (!number(o.frames, 0, 100000000)) return false; o.framesGiven = true; }
    else if (arg == "--fps") { if (!number(o.fps, 1, 1000)) return false; }
    else if (arg == "--mode") { if (!number(o.graphicsMode, 0, 10)) return false; }
    else if (arg == "--start") {
      if (!value(text)) return false;
      char* end = nullptr;
      o.startSeconds = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(o.startSeconds >= 0 && o.startSeconds < 1e9)) {
        error = "--start: '" + text + "' is not a number of seconds from 0 up";
        return false;
      }
    }
    else if (arg == "--seconds") {
      int s;
      if (!number(s, 1, 1000000)) return false;
      o.seconds = s;
    } else if (arg == "--capture-at") {
      if (!value(text)) return false;
      if (!toNumberList(text, o.captureAt)) {
        error = "--capture-at: '" + text + "' is not a list of frame numbers";
        return false;
      }
    } else if (arg.rfind("--", 0) != 0) {
      o.files.push_back(arg);
    } else {
      error = "unknown argument '" + arg + "'";
      return false;
    }
  }
  if (o.live && !o.files.empty()) {
    error = "--live plays no files";
    return false;
  }
  if (o.virtualClock && (o.live || o.playerTiming || o.pauseAt >= 0)) {
    error = "--render and --virtual-clock keep time of their own: not with --live, --player-timing or --pause";
    return false;
  }
  if ((o.yuv420p || !o.screenFile.empty()) && !o.render) {
    error = "--yuv420p and --screen-file are ways of --render";
    return false;
  }
  if (o.virtualClock && o.fps > 240) {
    error = "--fps " + std::to_string(o.fps) + " is not from 1 to 240 on the virtual clock";
    return false;
  }
  return true;
}
