#include "effect_frame.h"
#include "effects/water.h"

namespace {

void BM_WaterFrame(benchmark::State& state) { runEffectFrames(state, waterEffect, 15, false); }
BENCHMARK(BM_WaterFrame);

}  // namespace
