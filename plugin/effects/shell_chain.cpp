#include "shell_chain.h"

#include <algorithm>

#include "../render/circling_lights.h"
#include "../render/world_transform.h"
#include "shell_rig.h"

namespace {

constexpr double ringOffset = 1.0;
constexpr double ringStep = 0.34906577777777775;  // 3.141592 / 9
constexpr double spinGain = 0.0002;

}  // namespace

int initShellChain(ShellChainEffect& chain, EffectRecord& record) {
  setShellCameraAndLights(record, 4.0);
  for (int i = 0; i < chain.shellCount; ++i) {
    generateShellMesh(chain.shells[i], 1 + chain.radiusStep * i, ringOffset, ringStep);
    chain.spinRateX[i] = chain.spinRateY[i] = chain.spinAngleX[i] = chain.spinAngleY[i] = 0;
  }
  return 1;
}

void advanceShellChain(ShellChainEffect& chain, double energyX, double energyY) {
  advanceSpringChain(chain.spinAngleX, chain.spinRateX, chain.shellCount, energyX, spinGain);
  advanceSpringChain(chain.spinAngleY, chain.spinRateY, chain.shellCount, energyY, spinGain);
}

int updateShellChain(ShellChainEffect& chain, EffectRecord& record, AudioAnalysis& analysis,
                     const VisModule& module) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  const double e0 = analysis.bandEnergy[0][0] + analysis.bandEnergy[0][1];
  const double e1 = analysis.bandEnergy[1][0] + analysis.bandEnergy[1][1];
  const double lowMix = std::min((e0 + 2.0) * 0.08333333333333333, 1.0);
  const double midMix = std::min((e1 + 1.0) * 0.3333333333333333, 1.0);
  advanceShellChain(chain, e0, e1);
  record.ambientColour[0] = midMix;
  record.ambientColour[1] = (midMix + lowMix) * 0.5;
  record.ambientColour[2] = lowMix;
  circleLights(record, analysis);
  return 1;
}

int drawShellChain(ShellChainEffect& chain, IDirect3DDevice2* device, const MaterialTable& materials,
                   int materialIndex, D3DTEXTUREHANDLE texture) {
  beginEffectScene(device, materials, materialIndex, texture);
  // Inner shells first: with z-writes off, the order decides how the translucent layers mix.
  for (int s = 0; s < chain.shellCount; ++s) {
    setWorldTransform(device, 0.0, 0.0, 0.0, chain.spinAngleX[s], chain.spinAngleY[s], 0.0, 1.0);
    drawShellMesh(device, chain.shells[s]);
  }
  device->EndScene();
  return 1;
}
