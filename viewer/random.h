// The viewer's one source of randomness: the C library's rand, seeded once at start-up,
// reduced modulo n. Tests swap the source for a scripted sequence.
#pragma once

#include <cstdlib>

// A source of raw draws; it is told the bound the draw is reduced by (the C library's ignores it).
using RandomSource = int (*)(int bound);
extern RandomSource randomSource;
int libraryRandom(int bound);

// rand() % n; 0 when n is not positive.
inline int randomBelow(int n) { return n > 0 ? randomSource(n) % n : 0; }
