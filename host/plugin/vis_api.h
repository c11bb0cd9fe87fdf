// The visualisation plug-in interface as the player defines it.
#pragma once

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
