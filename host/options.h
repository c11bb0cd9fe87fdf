// vishost's command line.
#pragma once

#include <string>
#include <vector>

#include "window_events.h"

struct HostOptions {
  std::string pluginPath;  // empty: our plug-in in Plugins\ beside vishost
  bool help = false;
  bool list = false;
  bool config = false;
  int module = 0;
  int runs = 1;            // runs of the module in one process, the DLL kept loaded between them
  int frames = 300;
  bool framesGiven = false;
  double seconds = 0;  // > 0: run for this long instead of a frame count
  int fps = 60;
  std::vector<int> captureAt;
  std::string outDir = ".";
  int graphicsMode = -1;  // >= 0: written into the plug-in's ini before Init
  bool widescreen = false;
  bool windowed = false;            // --windowed, --window-size, --desktop-size: written into plugin.ini too
  int windowWidth = 0, windowHeight = 0;  // > 0: the window's client size
  bool desktopSize = false;
  bool benchmark = false;
  std::vector<std::string> titles;  // replace the playlist's titles in order
  std::vector<std::string> files;   // the playlist; empty: the built-in demo song
  double startSeconds = 0;          // where the first file starts playing
  bool mute = false;
  bool live = false;                // spectrum and waveform from PCM on standard input, nothing played
  std::string liveSource = "standard input";  // named in the title "Live: ..."
  bool playerTiming = false;        // sleep the module's delayMs after each frame, as the player does
  int captureFps = 15;              // --out without --capture-at: frames captured per second
  std::string frameFile;            // the viewer's frame file, rewritten every frame
  std::string writeDemo;            // write the demo song as a WAV file and exit
  bool virtualClock = false;        // the plug-in's time and the playlist follow the frame number
  bool render = false;              // the virtual clock, and every frame raw to standard output
  bool yuv420p = false;             // --render's frames in I420
  std::string screenFile;           // --render reads the frames from the X server's screen file
  // Test hooks.
  double pauseAt = -1, pauseFor = 0;  // seconds after the start
  bool traceQueries = false;        // print every query of the plug-in and its answer
  int resourceLogSeconds = 0;       // > 0: print what the process holds at this interval
  int stallSeconds = 60;            // on the virtual clock: wall time without a frame that ends the run
  std::vector<WindowEvent> windowEvents;  // keys, Alt+Enter, minimise, resize at given frames
};

// Parses argv; on a bad argument returns false with a one-line message in `error`.
bool parseOptions(int argc, char** argv, HostOptions& options, std::string& error);
const char* usageText();
