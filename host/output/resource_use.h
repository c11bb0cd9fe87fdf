// What the process holds, sampled during long runs: its private bytes and its GDI and USER
// object counts.
#pragma once

#include <cstddef>

struct ResourceUse {
  size_t privateBytes = 0;
  unsigned gdiObjects = 0;
  unsigned userObjects = 0;
  bool userObjectsAreWindows = false;  // the platform does not count USER objects: its windows instead
};

ResourceUse sampleResourceUse();

// Prints "resources: WHEN: private ... bytes, GDI ..., USER ..." without a line end.
void printResourceUse(const char* when);
