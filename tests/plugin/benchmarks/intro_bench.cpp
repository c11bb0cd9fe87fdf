#include "effect_frame.h"
#include "effects/intro.h"

namespace {

void BM_IntroFrame(benchmark::State& state) { runEffectFrames(state, introEffect, 14, true); }
BENCHMARK(BM_IntroFrame);

}  // namespace
