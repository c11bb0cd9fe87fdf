// A stand-in device, numbered materials and a quiet stereo module, for driving one effect's
// operations.
#pragma once

#include "effect_device.h"
#include "standin_fixture.h"

class EffectTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    device = makeEffectDevice();
    ASSERT_NE(device, nullptr);
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
    standin::clearTrace();
  }

  // `frames` calls of `update`, each with a fresh analysis of the module as it stands.
  void runUpdates(const EffectOps& ops, int frames) {
    for (int i = 0; i < frames; ++i) ops.update(record, analysis, module, device, 0.0);
  }
  int drawWith(const EffectOps& ops, int materialIndex, D3DTEXTUREHANDLE texture = 77) {
    return ops.draw(module, device, materials, materialIndex, texture);
  }

  IDirect3DDevice2* device = nullptr;
  const MaterialTable materials = numberedMaterials();
  VisModule module{};
  AudioAnalysis analysis{};
  EffectRecord record{};
};
