// Water: a square pool seen at a fixed tilt while the view turns with the overall loudness; four
// lights with marker cubes circle above the two source points.
#include "water.h"

#include <algorithm>
#include <cmath>

#include "../render/audio_analysis.h"

namespace {

constexpr int lastPoint = waterSide - 1;
constexpr int centrePoint = lastPoint / 2;
constexpr double spacing = 0.5;
constexpr double texelStep = 0.03125;
constexpr double dentCentre = 16.5;
constexpr double dentRadius = 16.0;
constexpr float damping = 0.98f;
constexpr float waveSpeed = 0.1176f;
constexpr double sourceGain = 8.0;
constexpr int channel0Source = 24;
constexpr int channel1Source = 8;
constexpr double viewTilt = -1.0995572;
constexpr double swingGain = 0.0015;

WORD stripIndices[2 * waterSide];

double gridCoordinate(int index) { return (index - centrePoint) * spacing; }

struct Direction {
  double x, y, z;
};

// The unit surface normal by central differences over one unit; straight up on the border.
Direction surfaceNormal(int i, int j) {
  if (i == 0 || j == 0 || i == lastPoint || j == lastPoint) return {0, 1, 0};
  const double dx = double(heightField[i][j - 1]) - heightField[i][j + 1];
  const double dz = double(heightField[i - 1][j]) - heightField[i + 1][j];
  const double inverseLength = 1 / std::sqrt(dx * dx + dz * dz + 1);
  return {dx * inverseLength, inverseLength, dz * inverseLength};
}

}  // namespace

float heightField[waterSide][waterSide];
float heightSpeed[waterSide][waterSide];
double cameraSwing;
D3DVERTEX waterVertices[waterVertexCount];

void fillDent() {
  for (int i = 0; i < waterSide; ++i)
    for (int j = 0; j < waterSide; ++j) {
      const double d = std::sqrt((dentCentre - i) * (dentCentre - i) + (dentCentre - j) * (dentCentre - j));
      const double s = std::sin(d * 0.03125);
      heightField[i][j] = d + 0.5 > dentRadius ? 0.0f : float(8 * s * s - 2);
    }
}

void setSourcePoints(double activity0, double activity1) {
  heightField[channel0Source][channel0Source] = float(sourceGain * activity0);
  heightField[channel1Source][channel1Source] = float(sourceGain * activity1);
}

// Speeds first, all from the heights as they were; then the heights. The border stays put.
void stepRipples() {
  for (int i = 1; i < lastPoint; ++i)
    for (int j = 1; j < lastPoint; ++j) {
      const float(&h)[waterSide][waterSide] = heightField;
      const float pull = h[i + 1][j] + h[i - 1][j] + h[i][j + 1] + h[i][j - 1] - 4.0f * h[i][j];
      heightSpeed[i][j] = heightSpeed[i][j] * damping + pull * waveSpeed;
    }
  for (int i = 1; i < lastPoint; ++i)
    for (int j = 1; j < lastPoint; ++j) heightField[i][j] += heightSpeed[i][j];
}

// The normal slot holds the position plus the unit normal.
void rebuildWaterVertices() {
  for (int i = 0; i < waterSide; ++i)
    for (int j = 0; j < waterSide; ++j) {
      const double x = gridCoordinate(j), y = heightField[i][j], z = gridCoordinate(i);
      const Direction normal = surfaceNormal(i, j);
      D3DVERTEX& v = waterVertices[waterSide * i + j];
      v.x = float(x);
      v.y = float(y);
      v.z = float(z);
      v.nx = float(x + normal.x);
      v.ny = float(y + normal.y);
      v.nz = float(z + normal.z);
      v.tu = float(j * texelStep);
      v.tv = float(1 - i * texelStep);
    }
}

namespace {

int init(EffectRecord&) {
  fillDent();
  return 1;
}

int start(EffectRecord& record, IDirect3DDevice2*) {
  for (LightSpec& light : record.lights) {
    light.position[1] = 4.0;
    light.attenuation = 0.2;
  }
  record.showLightMarkers = 1;
  return 1;
}

void setLight(LightSpec& light, double x, double z, double r, double g, double b) {
  light.position[0] = x;
  light.position[2] = z;
  light.colour[0] = r;
  light.colour[1] = g;
  light.colour[2] = b;
}

// Lights 0 and 2 circle above the channel-1 source at (-4, -4) in channel 1's colours, lights 1
// and 3 above the channel-0 source at (4, 4) in channel 0's.
void circleSourceLights(EffectRecord& record, const AudioAnalysis& a) {
  const double w0 = a.waveActivity[0], w1 = a.waveActivity[1];
  LightSpec* lights = record.lights;
  setLight(lights[0], 2.5 * std::cos(0.6 * a.bandPhase[0][0]) - 4, 2.5 * std::sin(0.6 * a.bandPhase[0][0]) - 4,
           (w1 + 1) * 0.5, w1 * 0.8 + 0.2, w1 * 0.25);
  setLight(lights[1], 4 - 2.5 * std::cos(0.6 * a.bandPhase[0][1]), 4 - 2.5 * std::sin(0.6 * a.bandPhase[0][1]),
           (w0 + 1) * 0.5, w0 * 0.8 + 0.2, w0 * 0.25);
  setLight(lights[2], 3 * std::cos(2.3 * a.bandPhase[1][0]) - 4, 3 * std::sin(2.3 * a.bandPhase[1][0]) - 4, w1,
           w1 * 0.5, (w1 + 1) * 0.5);
  setLight(lights[3], 4 - 3 * std::cos(2.3 * a.bandPhase[1][1]), 4 - 3 * std::sin(2.3 * a.bandPhase[1][1]), w0,
           w0 * 0.5, (w0 + 1) * 0.5);
}

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  const double w0 = analysis.waveActivity[0], w1 = analysis.waveActivity[1];
  cameraSwing += analysis.totalEnergy * swingGain;
  record.viewAngles[0] = viewTilt;
  record.viewAngles[1] = cameraSwing;
  record.viewAngles[2] = 0.0;
  record.viewOffset[0] = record.viewOffset[1] = 0.0;
  record.viewOffset[2] = 9.0;
  const double low = std::min((analysis.bandEnergy[0][1] + analysis.bandEnergy[0][0]) * 0.0625, 1.0);
  const double high = std::min((analysis.bandEnergy[1][1] + analysis.bandEnergy[1][0]) * 0.25, 1.0);
  setSourcePoints(w0, w1);
  stepRipples();
  setSourcePoints(w0, w1);
  stepRipples();
  setSourcePoints(w0, w1);
  record.ambientColour[0] = high;
  record.ambientColour[1] = (high + low) * 0.5;
  record.ambientColour[2] = low;
  circleSourceLights(record, analysis);
  return 1;
}

// Strip s joins grid row s to row s + 1.
void fillStrip(int s) {
  for (int t = 0; t < waterSide; ++t) {
    stripIndices[2 * t] = WORD(waterSide * s + t);
    stripIndices[2 * t + 1] = WORD(waterSide * (s + 1) + t);
  }
}

// A refused scene ends the draw before any state is set; a refused strip still closes the scene
// it opened, so the device is never left inside one.
int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  rebuildWaterVertices();
  if (FAILED(device->BeginScene())) return 0;
  selectEffectMaterial(device, materials, materialIndex, texture);
  for (int s = 0; s < lastPoint; ++s) {
    fillStrip(s);
    if (FAILED(device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, D3DVT_VERTEX, waterVertices, waterVertexCount,
                                            stripIndices, 2 * waterSide, D3DDP_WAIT))) {
      device->EndScene();
      return 0;
    }
  }
  return SUCCEEDED(device->EndScene()) ? 1 : 0;
}

}  // namespace

extern const EffectOps waterEffect = {init, start, noOp, update, draw};
