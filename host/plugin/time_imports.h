// Gives a loaded plug-in the virtual clock in place of the time functions it imports, by
// rewriting its import table: timeGetTime (winmm), GetTickCount, GetTickCount64 and
// QueryPerformanceCounter / QueryPerformanceFrequency (kernel32); and holds the threads it starts
// on that clock through its imports of the waits and thread starts (thread_clock.h). The
// plug-in's own code is not touched; a plug-in that looks these up at run time is not controlled.
#pragma once

#include <windows.h>

#include "virtual_clock.h"

// Points the module's imports of the time functions at `clock`, which must outlive the module's
// use, and holds its threads on it. Returns how many import slots now read the virtual clock (0:
// its time is not controlled).
int patchTimeImports(HMODULE module, VirtualClock* clock);
