#include "effect_frame.h"
#include "effects/spike_cylinder.h"

namespace {

void BM_SpikeCylinderFrame(benchmark::State& state) { runEffectFrames(state, spikeCylinderEffect, 12, false); }
BENCHMARK(BM_SpikeCylinderFrame);

}  // namespace
