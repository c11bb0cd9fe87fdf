// The viewer's one source of randomness: the C library's rand, seeded once at start-up,
// reduced modulo n. Tests swap the source for a scripted sequence.
#pragma once

#include <cstdlib>

using RandomSource = int (*)();
extern RandomSource randomSource;

// rand() % n; 0 when n is not positive.
inline int randomBelow(int n) { return n > 0 ? randomSource() % n : 0; }
