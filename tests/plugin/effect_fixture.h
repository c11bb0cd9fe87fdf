// A display set up on the stand-in and a quiet stereo module, for driving one effect's operations.
#pragma once

#include "standin_fixture.h"

class EffectTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_TRUE(setupDisplay(nullptr));
    device = display.device;
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
    standin::clearTrace();
  }

  // `frames` calls of `update`, each with a fresh analysis of the module as it stands.
  void runUpdates(const EffectOps& ops, int frames) {
    for (int i = 0; i < frames; ++i) ops.update(record, analysis, module, device, 0.0);
  }
  int drawWith(const EffectOps& ops, int materialIndex, D3DTEXTUREHANDLE texture = 77) {
    return ops.draw(module, device, display.materials, materialIndex, texture);
  }

  IDirect3DDevice2* device = nullptr;
  VisModule module{};
  AudioAnalysis analysis{};
  EffectRecord record{};
};
