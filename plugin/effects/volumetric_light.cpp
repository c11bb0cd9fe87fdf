// Volumetric Light: the lattice tilts with the waveform and the band-0 energy and turns about
// its depth axis at a rate that follows both tilts.
#include "volumetric_light.h"

#include <initializer_list>

#include "../render/audio_analysis.h"
#include "../render/circling_lights.h"
#include "../render/world_transform.h"

namespace {

constexpr double shaftSize = 18.5;
constexpr float texelStep = 0.16666667f;
constexpr int backGrid = shaftGridSide * shaftGridSide;
constexpr double tiltGain = 0.1552;
constexpr double restingActivity = 0.15;
constexpr double turnRate = 0.04;

void setShaftVertex(D3DVERTEX& v, double x, double y, double z, double nx, double ny, int row, int column) {
  v.x = float(x);
  v.y = float(y);
  v.z = float(z);
  v.nx = float(nx);
  v.ny = float(ny);
  v.nz = float(z - 1);
  v.tu = float(column) * texelStep;
  v.tv = float((shaftGridSide - row) - 1) * texelStep;
}

void fillIndices(WORD* out, std::initializer_list<int> indices) {
  for (int index : indices) *out++ = WORD(index);
}

}  // namespace

VolumetricLightMotion shaftMotion;
D3DVERTEX shaftVertices[shaftVertexCount];
WORD frontQuadIndices[frontQuadIndexCount];
WORD shaftIndices[shaftIndexCount];
WORD shaftIndicesReversed[shaftIndexCount];

// Front grid at z = size / 2, back grid at z = -2 size; seven columns of size / 7, so the grid
// runs from -size / 2 to size / 2 - size / 7 while the texture spans 0 .. 1 exactly.
void buildLightShafts(double size) {
  const double half = size * 0.5, step = size * 0.14285714285714285, depth = -2 * size;
  for (int i = 0; i < shaftGridSide; ++i)
    for (int j = 0; j < shaftGridSide; ++j) {
      const double x = j * step - half, y = i * step - half;
      setShaftVertex(shaftVertices[shaftGridSide * i + j], x, y, half, x, y, i, j);
      setShaftVertex(shaftVertices[backGrid + shaftGridSide * i + j], x, y, depth, 0, 0, i, j);
    }
  fillIndices(frontQuadIndices, {0, 6, 42, 6, 48, 42, 0, 42, 6, 6, 42, 48});
  for (int k = 0; k < shaftGridSide; ++k) {
    const int row = shaftGridSide * k;
    fillIndices(shaftIndices + 12 * k, {row, row + 6, row + 49, row + 6, row + 55, row + 49,  // row slab
                                        k, k + 42, k + 49, k + 42, k + 91, k + 49});          // column slab
    fillIndices(shaftIndicesReversed + 12 * k, {row + 6, row, row + 49, row + 55, row + 6, row + 49,
                                                k + 42, k, k + 49, k + 91, k + 42, k + 49});
  }
}

namespace {

int init(EffectRecord& record) {
  record.viewAngles[0] = 0.2;
  record.viewAngles[1] = 0.1;
  record.viewAngles[2] = 0.0;
  record.viewOffset[0] = 3.0;
  record.viewOffset[1] = -3.0;
  record.viewOffset[2] = 25.0;
  fixCirclingLights(record);
  record.showLightMarkers = 0;
  buildLightShafts(shaftSize);
  return 1;
}

void advanceMotion(const AudioAnalysis& a) {
  VolumetricLightMotion& m = shaftMotion;
  m.band0Tilt = 0.25 * (m.band0Tilt + tiltGain * (a.bandEnergy[0][0] + a.bandEnergy[0][1]));
  m.waveTilt =
      0.75 * (m.waveTilt + tiltGain * ((a.waveActivity[0] - restingActivity) + (a.waveActivity[1] - restingActivity)));
  m.band0TiltSum += m.band0Tilt;
  m.waveTiltSum += m.waveTilt;
}

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  advanceMotion(analysis);
  applyCirclingLighting(record, analysis);
  return 1;
}

void drawShafts(IDirect3DDevice2* device, WORD* indices, DWORD count) {
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_VERTEX, shaftVertices, shaftVertexCount, indices, count,
                               D3DDP_WAIT);
}

// The window square opaque, then the slabs blended, each with both windings so that they show
// from either side; z-writes stay off from the shared start, so the slabs never hide each other.
int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  const VolumetricLightMotion& m = shaftMotion;
  beginEffectScene(device, materials, materialIndex, texture);
  setWorldTransform(device, 0.0f, 0.0f, 0.0f, m.waveTilt, m.band0Tilt, (m.waveTiltSum + m.band0TiltSum) * turnRate,
                    1.0f);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  drawShafts(device, frontQuadIndices, frontQuadIndexCount);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
  drawShafts(device, shaftIndicesReversed, shaftIndexCount);
  drawShafts(device, shaftIndices, shaftIndexCount);
  device->EndScene();
  return 1;
}

}  // namespace

extern const EffectOps volumetricLightEffect = {init, startBlendOn, stopBlendOff, update, draw};
