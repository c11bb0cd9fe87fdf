#include "effect_frame.h"
#include "effects/volumetric_light.h"

namespace {

void BM_VolumetricLightFrame(benchmark::State& state) { runEffectFrames(state, volumetricLightEffect, 12, false); }
BENCHMARK(BM_VolumetricLightFrame);

}  // namespace
