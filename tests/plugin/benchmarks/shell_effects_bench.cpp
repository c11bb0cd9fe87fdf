// One frame of each shell effect: update (analysis, spin or spring chains, lights) and draw.
#include <benchmark/benchmark.h>

#include "standin_fixture.h"

namespace {

VisModule playingModule() {
  VisModule module{};
  module.nCh = 2;
  for (int ch = 0; ch < 2; ++ch)
    for (int k = 0; k < 576; ++k) {
      module.spectrumData[ch][k] = std::uint8_t((k * 37 + ch * 11) % 256);
      module.waveformData[ch][k] = std::uint8_t(128 + ((k * 13) % 64) - 32);
    }
  return module;
}

void frameOf(benchmark::State& state, int index) {
  standin::reset();
  resetPluginState();
  const EffectOps& ops = *effectTable[index].ops;
  EffectRecord& record = effectRecords[index];
  ops.init(record);
  if (!setupDisplay(nullptr, startCurrentEffect)) state.SkipWithError("no device on the stand-in");
  standin::setTracing(false);
  const VisModule module = playingModule();
  for (auto _ : state) {
    ops.update(record, audioAnalysis, module, display.device, 0);
    ops.draw(module, display.device, display.materials, effectTable[index].materialIndex, 0);
  }
  standin::setTracing(true);
}

void BM_SphericalShellsFrame(benchmark::State& state) { frameOf(state, 2); }
void BM_FreakyMoveyThingyFrame(benchmark::State& state) { frameOf(state, 3); }
void BM_SuperShellsFrame(benchmark::State& state) { frameOf(state, superShellsIndex); }

BENCHMARK(BM_SphericalShellsFrame);
BENCHMARK(BM_FreakyMoveyThingyFrame);
BENCHMARK(BM_SuperShellsFrame);

}  // namespace
