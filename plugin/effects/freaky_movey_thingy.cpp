#include "freaky_movey_thingy.h"

#include <algorithm>
#include <cmath>

#include "../render/audio_analysis.h"
#include "../render/circling_lights.h"
#include "../render/world_transform.h"
#include "shell_rig.h"

namespace {

constexpr double ringOffset = 1.5;
constexpr double ringStep = 0.3141592;  // 3.141592 / 10
constexpr double lowerLightHeight = -4.0;
constexpr double spinGain = 0.00012;
constexpr float projectiveColumn = 1.1f;
// Shell i follows chain link 3 i: the middle shell lags the inner one, the outer lags more.
constexpr int linkOfShell[freakyShellCount] = {0, 3, 6};

double shellRadius(int i) { return (1 - std::cos(i * 3.141592 * 0.16666666666666666)) * 8.5 + 0.5; }

}  // namespace

FreakyMoveyThingyState freakyMoveyThingy;

D3DMATRIX projectiveWorldMatrix(double tx, double ty, double tz, double ax, double ay, double az, double scale) {
  D3DMATRIX m = worldMatrix(tx, ty, tz, ax, ay, az, scale);
  m._14 = m._24 = m._34 = projectiveColumn;
  m._44 = 0;
  return m;
}

int setProjectiveWorldTransform(IDirect3DDevice2* device, double tx, double ty, double tz, double ax, double ay,
                                double az, double scale) {
  D3DMATRIX m = projectiveWorldMatrix(tx, ty, tz, ax, ay, az, scale);
  device->SetTransform(D3DTRANSFORMSTATE_WORLD, &m);
  return 1;
}

namespace {

int init(EffectRecord& record) {
  setShellCameraAndLights(record, lowerLightHeight);
  FreakyMoveyThingyState& s = freakyMoveyThingy;
  for (int i = 0; i < freakyShellCount; ++i) generateShellMesh(s.shells[i], shellRadius(i), ringOffset, ringStep);
  for (int i = 0; i < freakyChainLength; ++i) s.pitchAngle[i] = s.pitchSpeed[i] = s.yawAngle[i] = s.yawSpeed[i] = 0;
  return 1;
}

int update(EffectRecord& record, AudioAnalysis& a, const VisModule& module, IDirect3DDevice2*, double) {
  analyseWaveform(module, a);
  analyseSpectrum(module, a);
  const double low = std::min(
      (a.bandEnergy[0][0] + a.waveActivity[0] + a.bandEnergy[0][1] + a.totalEnergy) * 0.08333333333333333, 1.0);
  const double high = std::min(
      (a.bandEnergy[1][1] + a.bandEnergy[1][0] + a.waveActivity[1] + a.totalEnergy) * 0.3333333333333333, 1.0);
  FreakyMoveyThingyState& s = freakyMoveyThingy;
  advanceSpringChain(s.yawAngle, s.yawSpeed, freakyChainLength, a.bandEnergy[0][0] + a.bandEnergy[0][1], spinGain);
  advanceSpringChain(s.pitchAngle, s.pitchSpeed, freakyChainLength, a.bandEnergy[1][0] + a.bandEnergy[1][1],
                     spinGain);
  record.ambientColour[0] = high * 0.8 + 0.2;
  record.ambientColour[1] = (low + high) * 0.5 * 0.8 + 0.2;
  record.ambientColour[2] = low * 0.8 + 0.2;
  circleLights(record, a);
  return 1;
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  beginEffectScene(device, materials, materialIndex, texture);
  FreakyMoveyThingyState& s = freakyMoveyThingy;
  for (int i = freakyShellCount - 1; i >= 0; --i) {  // outermost first
    const int link = linkOfShell[i];
    setProjectiveWorldTransform(device, 0.0, 0.0, 0.0, s.pitchAngle[link], s.yawAngle[link], 0.0, 1.0);
    drawShellMesh(device, s.shells[i]);
  }
  device->EndScene();
  return 1;
}

}  // namespace

extern const EffectOps freakyMoveyThingyEffect = {init, startBlendOn, stopBlendOff, update, draw};
