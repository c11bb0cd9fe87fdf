// One frame of each selectable effect: update (with the audio analysis) and draw, against the
// stand-in with tracing off. Registered for every effect in the table.
#include <benchmark/benchmark.h>

#include <cmath>

#include "standin_fixture.h"

namespace {

// A busy stereo frame: a sawtooth-ish waveform and a falling spectrum.
VisModule busyModule() {
  VisModule module{};
  module.nCh = 2;
  for (int ch = 0; ch < 2; ++ch)
    for (int k = 0; k < 576; ++k) {
      module.waveformData[ch][k] = (unsigned char)(128 + 100 * std::sin(k * 0.05 * (ch + 1)));
      module.spectrumData[ch][k] = (unsigned char)(255 * (576 - k) / 576);
    }
  return module;
}

void effectFrame(benchmark::State& state, int effect) {
  standin::reset();
  resetPluginState();
  scheduler.currentEffect = std::int8_t(effect);
  const EffectOps& ops = *effectTable[effect].ops;
  ops.init(effectRecords[effect]);
  if (!setupDisplay(nullptr)) {
    state.SkipWithError("no display on the stand-in");
    return;
  }
  standin::setTracing(false);
  const VisModule module = busyModule();
  for (auto _ : state) {
    ops.update(effectRecords[effect], audioAnalysis, module, display.device, 0.5);
    ops.draw(module, display.device, display.materials, effectTable[effect].materialIndex, display.textureHandles[0]);
  }
  standin::setTracing(true);
}

const bool registered = [] {
  for (int effect = 0; effect < introIndex; ++effect)
    benchmark::RegisterBenchmark(effectTable[effect].name, effectFrame, effect);
  return true;
}();

}  // namespace
