// The visualisation plug-in interface as the player defines it, seen from the player's side.
// The host keeps a copy of its own rather than sharing plugin/vis_module.h: that one carries the
// plug-in's per-architecture layout checks and is compiled through the plug-in's platform door;
// this one grows with the player's queries and the structures only a player uses (such as
// embedWindowState); and the host loads any plug-in, not only ours.
#pragma once

#include <cstdint>

#include <windows.h>

struct winampVisModule {
  char* description;
  HWND hwndParent;
  HINSTANCE hDllInstance;
  int sRate;
  int nCh;
  int latencyMs;
  int delayMs;
  int spectrumNch;
  int waveformNch;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  void (*Config)(winampVisModule* module);
  int (*Init)(winampVisModule* module);
  int (*Render)(winampVisModule* module);
  void (*Quit)(winampVisModule* module);
  void* userData;
};

struct winampVisHeader {
  int version;
  char* description;
  winampVisModule* (*getModule)(int which);
};

using winampVisGetHeaderType = winampVisHeader* (*)();

// What a plug-in hands the player with query 505 to get an embedded window: the player makes a
// frame at `r`, stores it in `me` and returns it; the plug-in makes its own window a child of it.
struct embedWindowState {
  HWND me;
  int flags;
  RECT r;
  void* user_ptr;
  intptr_t extra_data[64];
};
