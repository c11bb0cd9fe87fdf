// The records the plug-in shares with the host player.
//
// vishost has its own copy of this interface (host/vis_api.h), and that is on purpose, not a
// duplicate to be merged: this one is compiled through the platform door, natively against the
// stand-in as well as against the SDK, and carries the layout checks of each architecture below,
// which pin the records to the player's; the host's side includes <windows.h>, grows with the
// player queries the plug-in never asks, and must load any classic plug-in, so it may not depend
// on ours. A change to the records is made in both files, and these checks catch a wrong one here.
#pragma once

#include "platform/platform.h"

struct VisModule {
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
  void (*Config)(VisModule* module);
  int (*Init)(VisModule* module);
  int (*Render)(VisModule* module);
  void (*Quit)(VisModule* module);
  void* userData;
};

struct VisHeader {
  int version;
  char* description;
  VisModule* (*getModule)(int which);
};

#if defined(_WIN64)
// The 64-bit build: pointers of 8 bytes, each on an 8-byte boundary.
#include <cstddef>
static_assert(sizeof(VisHeader) == 24);
static_assert(offsetof(VisModule, nCh) == 28);
static_assert(offsetof(VisModule, spectrumData) == 48);
static_assert(offsetof(VisModule, waveformData) == 48 + 1152);
static_assert(offsetof(VisModule, Config) == 48 + 2304);
static_assert(sizeof(VisModule) == 48 + 2304 + 40);
#elif defined(_WIN32)
// The records exactly as the 32-bit player lays them out.
#include <cstddef>
static_assert(sizeof(VisHeader) == 12);
static_assert(offsetof(VisModule, nCh) == 16);
static_assert(offsetof(VisModule, spectrumData) == 36);
static_assert(offsetof(VisModule, waveformData) == 36 + 1152);
static_assert(offsetof(VisModule, Config) == 36 + 2304);
static_assert(sizeof(VisModule) == 36 + 2304 + 20);
#endif

extern "C" VisHeader* winampVisGetHeader();
VisModule* getModule(int which);
