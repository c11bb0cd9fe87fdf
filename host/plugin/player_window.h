// The player's main window as a plug-in sees it: the window it is given as hwndParent, which
// answers its WM_USER queries as the player does (version, play state, times, the playlist and
// its files, the settings file and folders), makes embedded frames for plug-ins that ask for one,
// and remembers the window a plug-in announces. It lives on vishost's main thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "playback.h"

struct PlayerWindow {
  std::function<PlaybackStatus()> status;
  std::vector<std::string> titles;
  std::vector<std::string> paths;  // each entry's full file path ("" where it is not a file)
  std::string pluginFolder;        // the loaded plug-in's folder, set by the visualisation thread
  bool traceQueries = false;       // one line per query: its number and the answer
  std::atomic<int> run{1}, frame{0};  // where the visualisation thread is, for the trace
  std::atomic<int> keysReceived{0};   // key presses the plug-in passed on
  HWND window = nullptr;
};

// Registers the window class and creates the window (on the thread that will pump its messages).
bool createPlayerWindow(PlayerWindow& player);
// Ends the main thread's message loop with `status` (from any thread).
void endPlayerWindowLoop(PlayerWindow& player, int status);
// The frame made for the plug-in's embedded window, if any, and the window it announced.
HWND embeddedFrame();
HWND announcedWindow();
// Destroys a frame the plug-in left behind (after Quit); the next run gets a new one.
void closeEmbeddedFrame(PlayerWindow& player);
