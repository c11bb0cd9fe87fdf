// The classic vis plug-in interface as a plug-in declares it, for the test plug-ins (written here
// from the interface's description, independently of vishost's copy).
#pragma once

#include <windows.h>

#include <cstdint>

struct winampVisModule {
  char* description;
  HWND hwndParent;
  HINSTANCE hDllInstance;
  int sRate, nCh, latencyMs, delayMs, spectrumNch, waveformNch;
  unsigned char spectrumData[2][576];
  unsigned char waveformData[2][576];
  void (*Config)(winampVisModule*);
  int (*Init)(winampVisModule*);
  int (*Render)(winampVisModule*);
  void (*Quit)(winampVisModule*);
  void* userData;
};

struct winampVisHeader {
  int version;
  char* description;
  winampVisModule* (*getModule)(int);
};

struct embedWindowState {
  HWND me;
  int flags;
  RECT r;
  void* user_ptr;
  intptr_t extra_data[64];
};

inline intptr_t askPlayer(HWND player, WPARAM wParam, LPARAM query) {
  return intptr_t(SendMessageA(player, WM_USER, wParam, query));
}
