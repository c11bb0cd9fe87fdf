// Gives a loaded plug-in the virtual clock in place of the time functions it imports, by
// rewriting its import table: timeGetTime (winmm), GetTickCount and QueryPerformanceCounter /
// QueryPerformanceFrequency (kernel32). The plug-in's own code is not touched; a plug-in that
// looks a clock up at run time, or draws from a thread of its own, is not controlled.
#pragma once

#include <windows.h>

#include "virtual_clock.h"

// Points the module's imports of the time functions at `clock`, which must outlive the module's
// use. Returns how many import slots now read the virtual clock (0: its time is not controlled).
int patchTimeImports(HMODULE module, const VirtualClock* clock);
