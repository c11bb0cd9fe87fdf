#include "effect_frame.h"
#include "effects/analyser_2d.h"

namespace {

void BM_SpectrumAnalyserFrame(benchmark::State& state) { runEffectFrames(state, spectrumAnalyserEffect, 15, false); }
BENCHMARK(BM_SpectrumAnalyserFrame);

}  // namespace
