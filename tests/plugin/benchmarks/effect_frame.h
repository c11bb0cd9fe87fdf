// One effect's frame, update + draw, against the stand-in with tracing off, fed a beating signal.
#pragma once

#include <benchmark/benchmark.h>

#include "effect.h"
#include "effect_device.h"
#include "render/audio_analysis.h"

// Frame `frame` of a signal that beats every 8 frames: loud or quiet low bins, a busy waveform.
inline void fillBeatingModule(VisModule& module, int frame) {
  module.nCh = 2;
  const int level = (frame & 8) ? 240 : 30;
  for (int ch = 0; ch < 2; ++ch) {
    for (int k = 0; k < 576; ++k) {
      module.spectrumData[ch][k] = (unsigned char)(k < 300 ? level - k / 3 % 30 : 0);
      module.waveformData[ch][k] = (unsigned char)(128 + (k * (frame + 3)) % 64 - 32);
    }
  }
}

// `withProgress` runs the intro's progress from 0 to 1 over 1000 frames.
inline void runEffectFrames(benchmark::State& state, const EffectOps& ops, int materialIndex, bool withProgress) {
  standin::reset();
  standin::setTracing(false);
  IDirect3DDevice2* device = makeEffectDevice();
  const MaterialTable materials = numberedMaterials();
  static EffectRecord record;
  static AudioAnalysis analysis;
  static VisModule modules[16];
  for (int i = 0; i < 16; ++i) fillBeatingModule(modules[i], i);
  ops.init(record);
  ops.start(record, device);
  int frame = 0;
  for (auto _ : state) {
    const VisModule& module = modules[frame & 15];
    const double progress = withProgress ? (frame % 1000) / 1000.0 : 0.0;
    ops.update(record, analysis, module, device, progress);
    ops.draw(module, device, materials, materialIndex, 1);
    ++frame;
  }
  benchmark::DoNotOptimize(record);
}
