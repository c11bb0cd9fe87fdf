// The records the plug-in shares with the host player.
//
// vishost has its own copy of this interface (vis_api.h under host/), on purpose, not as a
// duplicate to be merged: this one is compiled through the platform door, natively against the
// stand-in as well as against the SDK, and carries the layout checks of each architecture below,
// which pin the records to the player's. The host's side keeps the player's own names, includes
// <windows.h> directly (it never builds on the stand-in), is the place for the player's side of
// the interface as vishost grows, and must load any classic plug-in, so it depends on nothing of
// ours. The records themselves are fixed by the player; the checks below hold this copy to them.
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
