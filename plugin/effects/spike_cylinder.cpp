// Spike Cylinder: the tube rolls about its own axis and tilts with the low energies and the
// waveform, while 288 spikes follow the two spectrum rows (channel 0 up the bins, channel 1 down).
#include "spike_cylinder.h"

#include <cmath>

#include "../render/audio_analysis.h"
#include "../render/circling_lights.h"
#include "../render/world_transform.h"

namespace {

constexpr double ringCount = tubeRings;
constexpr double ringVertices = tubeRingVertices;
constexpr double tubeRadius = 5.0;
constexpr double tubeLength = 32.0;
constexpr double fullTurn = 6.283184;
constexpr double halfTurn = 3.141592;
constexpr double angleStep = fullTurn / (ringVertices - 1);
constexpr double ringSpacing = tubeLength / ringCount;

constexpr int cellsAlong = tubeRings - 1;
constexpr int cellsAround = tubeRingVertices - 1;
constexpr int leftCapRing = firstApexVertex + spikeCount;
constexpr int leftCapCentre = leftCapRing + tubeRingVertices;
constexpr int rightCapRing = leftCapCentre + 1;
constexpr int rightCapCentre = rightCapRing + tubeRingVertices;
static_assert(rightCapCentre + 1 == tubeVertexCount);

constexpr double spikeGain = 0.18;
constexpr double driveGain = 0.0852;
constexpr double restingActivity = 0.15;
constexpr double rollRate = 0.04;

double ringX(double ring) { return (ring - ringCount * 0.5) * ringSpacing; }

// Position (x, r cos a, r sin a); the normal slot holds the position plus (nx, ny, nz).
void setVertex(D3DVERTEX& v, double x, double r, double angle, double nx, double ny, double nz, double tu,
               double tv) {
  const double y = r * std::cos(angle), z = r * std::sin(angle);
  v.x = float(x);
  v.y = float(y);
  v.z = float(z);
  v.nx = float(x + nx);
  v.ny = float(y + ny);
  v.nz = float(z + nz);
  v.tu = float(tu);
  v.tv = float(tv);
}

double apexAngle(int around) { return (around + 0.5) * (fullTurn / cellsAround); }

double apexDirection[cellsAround][2];  // cos, sin of apexAngle

// The apex's radial pair: position r (cos a, sin a), normal slot (r + 1) (cos a, sin a), with a
// the angle of the cell column; cos and sin of the sixteen angles are taken once, at build time.
void placeApex(D3DVERTEX& v, double r, int around) {
  const double c = apexDirection[around][0], s = apexDirection[around][1];
  v.y = float(r * c);
  v.z = float(r * s);
  v.ny = float((r + 1) * c);
  v.nz = float((r + 1) * s);
}

void buildSurface() {
  for (int i = 0; i < tubeRings; ++i)
    for (int k = 0; k < tubeRingVertices; ++k) {
      const double angle = k * angleStep;
      setVertex(tubeVertices[tubeRingVertices * i + k], ringX(i), tubeRadius, angle, 0, std::cos(angle),
                std::sin(angle), double(k) / cellsAround, double(i) / cellsAlong);
    }
}

void buildApexes() {
  for (int j = 0; j < cellsAround; ++j) {
    apexDirection[j][0] = std::cos(apexAngle(j));
    apexDirection[j][1] = std::sin(apexAngle(j));
  }
  for (int i = 0; i < cellsAlong; ++i)
    for (int j = 0; j < cellsAround; ++j)
      setVertex(tubeVertices[firstApexVertex + cellsAround * i + j], ringX(i + 0.5), apexBaseRadius, apexAngle(j), 0,
                apexDirection[j][0], apexDirection[j][1], (j + 0.5) / cellsAround, (i + 0.5) / cellsAlong);
}

// One cap: a ring on the end of the tube and its centre, both facing along the axis.
void buildCap(int first, double x, double facing, double tv) {
  for (int k = 0; k < tubeRingVertices; ++k)
    setVertex(tubeVertices[first + k], x, tubeRadius, k * angleStep, facing, 0, 0, 0, tv);
  setVertex(tubeVertices[first + tubeRingVertices], x, 0, 0, facing, 0, 0, 1, tv);
}

void buildIndices() {
  WORD* out = tubeIndices;
  auto triangle = [&out](int a, int b, int c) {
    *out++ = WORD(a);
    *out++ = WORD(b);
    *out++ = WORD(c);
  };
  for (int i = 0; i < cellsAlong; ++i)
    for (int j = 0; j < cellsAround; ++j) {
      const int p = tubeRingVertices * i + j, q = p + 1, r = p + tubeRingVertices + 1, s = p + tubeRingVertices;
      const int m = firstApexVertex + cellsAround * i + j;
      triangle(p, q, m);
      triangle(q, r, m);
      triangle(r, s, m);
      triangle(s, p, m);
    }
  for (int k = 0; k < cellsAround; ++k) {
    triangle(leftCapCentre, leftCapRing + 1 + k, leftCapRing + k);
    triangle(rightCapCentre, rightCapRing + k, rightCapRing + 1 + k);
  }
}

}  // namespace

SpikeCylinderMotion spikeMotion;
double apexBaseRadius;
D3DVERTEX tubeVertices[tubeVertexCount];
WORD tubeIndices[tubeIndexCount];

void buildTube() {
  buildSurface();
  apexBaseRadius = tubeRadius * std::cos(halfTurn / ringVertices);
  buildApexes();
  buildCap(leftCapRing, ringX(0), -1, 0);
  buildCap(rightCapRing, ringX(cellsAlong), 1, 0.99);
  buildIndices();
}

double spikeRadius(const VisModule& module, int n) {
  const unsigned char* s0 = module.spectrumData[0];
  const unsigned char* s1 = module.spectrumData[1];
  const int height = s0[2 * n] + s0[2 * n + 1] + s1[575 - 2 * n] + s1[574 - 2 * n];
  return apexBaseRadius + height * spikeGain;
}

void updateSpikes(const VisModule& module) {
  for (int n = 0; n < spikeCount; ++n)
    placeApex(tubeVertices[firstApexVertex + n], spikeRadius(module, n), n % cellsAround);
}

namespace {

int init(EffectRecord& record) {
  record.viewAngles[0] = record.viewAngles[1] = record.viewAngles[2] = 0.0;
  record.viewOffset[0] = record.viewOffset[1] = 0.0;
  record.viewOffset[2] = 25.0;
  fixCirclingLights(record);
  record.showLightMarkers = 0;
  buildTube();
  return 1;
}

void advanceMotion(const AudioAnalysis& a) {
  SpikeCylinderMotion& m = spikeMotion;
  m.lowDrive = (m.lowDrive + (a.bandEnergy[0][0] + a.bandEnergy[0][1]) * driveGain) * 0.25;
  m.waveDrive =
      (m.waveDrive + (a.waveActivity[0] - restingActivity + a.waveActivity[1] - restingActivity) * driveGain) * 0.75;
  m.lowTurn += m.lowDrive;
  m.waveTurn += m.waveDrive;
}

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  advanceMotion(analysis);
  updateSpikes(module);
  applyCirclingLighting(record, analysis);
  return 1;
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  const SpikeCylinderMotion& m = spikeMotion;
  beginEffectScene(device, materials, materialIndex, texture);
  setWorldTransform(device, 0.0f, 0.0f, 0.0f, (m.waveTurn + m.lowTurn) * rollRate, m.lowDrive, m.waveDrive, 1.0f);
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_VERTEX, tubeVertices, tubeVertexCount, tubeIndices,
                               tubeIndexCount, D3DDP_WAIT);
  device->EndScene();
  return 1;
}

}  // namespace

extern const EffectOps spikeCylinderEffect = {init, noOpStart, noOp, update, draw};
