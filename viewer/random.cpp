#include "random.h"

int libraryRandom(int) { return std::rand(); }

RandomSource randomSource = libraryRandom;
