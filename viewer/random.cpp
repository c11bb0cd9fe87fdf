#include "random.h"

RandomSource randomSource = std::rand;
