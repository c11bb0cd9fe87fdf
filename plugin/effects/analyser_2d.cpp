// The 2d Spectrum Analyser effect.
#include "analyser_2d.h"

#include <algorithm>
#include <cmath>

#include "../render/audio_analysis.h"

namespace {

constexpr float tileSize = 0.8f;
constexpr float tileTexture = 0.05f;  // each tile shows 0.05 x 0.05 of its texture cell
constexpr double cameraTilt = -1.0995572;
constexpr double cameraDistance = 9.0;
constexpr double swingPerEnergy = 0.0015;
constexpr double lightHeight = 4.0;
constexpr double lightAttenuation = 0.2;

// One height per band edge: the sum of `bins` spectrum bytes, divided by 256.
float bandHeight(const unsigned char* spectrum, int& bin, int bins) {
  double sum = 0;
  for (int i = 0; i < bins; ++i) sum += spectrum[bin++] * 0.0078125;
  return float(sum * 0.5);
}

D3DVERTEX* tileAt(SpectrumField& field, int row, int band) { return field.vertices + 64 * row + 4 * band; }

}  // namespace

SpectrumField spectrumField;

void setTileNormals(D3DVERTEX* tile) {
  const double m = double(tile[0].y) - tile[1].y;  // left minus right
  const double n = double(tile[0].y) - tile[2].y;  // front minus back
  const double length = std::sqrt(n * n + m * m + 1);
  const double ux = m / length, uy = 1 / length, uz = n / length;
  for (int q = 0; q < 4; ++q) {
    D3DVERTEX& v = tile[q];
    v.nx = float(v.x + ux);
    v.ny = float(v.y + uy);
    v.nz = float(v.z + uz);
  }
}

void buildSpectrumField(SpectrumField& field) {
  for (int n = 0; n < spectrumRows; ++n) {
    for (int j = 0; j < spectrumBands; ++j) {
      D3DVERTEX* tile = tileAt(field, n, j);
      for (int q = 0; q < 4; ++q) {
        const int right = q & 1, back = q >> 1;
        D3DVERTEX& v = tile[q];
        v.x = float(j - 8) + tileSize * float(right);
        v.y = 0;
        v.z = float(n - 8) + tileSize * float(back);
        v.tu = float(j / 16.0 + tileTexture * right);
        v.tv = float(1 - n / 16.0 - tileTexture * back);
      }
      setTileNormals(tile);
      const int first = 64 * n + 4 * j;
      const WORD triangles[6] = {WORD(first), WORD(first + 3), WORD(first + 1),
                                 WORD(first + 3), WORD(first), WORD(first + 2)};
      std::copy(triangles, triangles + 6, field.indices + 6 * (16 * n + j));
    }
  }
}

void scrollHeights(SpectrumField& field, const unsigned char* spectrum) {
  // Back to front, so each row reads the row in front of it before that row moves.
  for (int n = spectrumRows - 1; n >= 0; --n) {
    int bin = 0;
    for (int j = 0; j < spectrumBands; ++j) {
      D3DVERTEX* tile = tileAt(field, n, j);
      tile[2].y = tile[0].y;
      tile[3].y = tile[1].y;
      if (n > 0) {
        const D3DVERTEX* ahead = tileAt(field, n - 1, j);
        tile[0].y = ahead[0].y;
        tile[1].y = ahead[1].y;
      } else {
        tile[0].y = bandHeight(spectrum, bin, j + 1);
        tile[1].y = bandHeight(spectrum, bin, j + 1);
      }
      setTileNormals(tile);
    }
  }
}

namespace {

int init(EffectRecord& record) {
  record.showLightMarkers = 1;
  buildSpectrumField(spectrumField);
  return 1;
}

int start(EffectRecord& record, IDirect3DDevice2*) {
  for (LightSpec& light : record.lights) {
    light.position[1] = lightHeight;
    light.attenuation = lightAttenuation;
  }
  return 1;
}

// A light on a circle of `radius` above the corner (-4, -4), or mirrored onto the corner (4, 4).
void placeLight(LightSpec& light, double angle, double radius, bool mirrored) {
  const double sign = mirrored ? -1.0 : 1.0;
  const double corner = mirrored ? 4.0 : -4.0;
  light.position[0] = sign * std::cos(angle) * radius + corner;
  light.position[2] = sign * std::sin(angle) * radius + corner;
}

void setColour(LightSpec& light, double r, double g, double b) {
  light.colour[0] = r;
  light.colour[1] = g;
  light.colour[2] = b;
}

void updateLights(EffectRecord& record, const AudioAnalysis& a) {
  const double a0 = a.waveActivity[0], a1 = a.waveActivity[1];
  placeLight(record.lights[0], 0.6 * a.bandPhase[0][0], 2.5, false);
  placeLight(record.lights[1], 0.6 * a.bandPhase[0][1], 2.5, true);
  placeLight(record.lights[2], 2.3 * a.bandPhase[1][0], 3.0, false);
  placeLight(record.lights[3], 2.3 * a.bandPhase[1][1], 3.0, true);
  setColour(record.lights[0], (a1 + 1) * 0.5, a1 * 0.8 + 0.2, a1 * 0.25);
  setColour(record.lights[1], (a0 + 1) * 0.5, a0 * 0.8 + 0.2, a0 * 0.25);
  setColour(record.lights[2], a1, a1 * 0.5, (a1 + 1) * 0.5);
  setColour(record.lights[3], a0, a0 * 0.5, (a0 + 1) * 0.5);
}

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  spectrumField.cameraSwing += analysis.totalEnergy * swingPerEnergy;
  record.viewAngles[0] = cameraTilt;
  record.viewAngles[1] = spectrumField.cameraSwing;
  record.viewAngles[2] = 0.0;
  record.viewOffset[0] = 0.0;
  record.viewOffset[1] = 0.0;
  record.viewOffset[2] = cameraDistance;
  const double low = std::min((analysis.bandEnergy[0][1] + analysis.bandEnergy[0][0]) * 0.0625, 1.0);
  const double mid = std::min((analysis.bandEnergy[1][1] + analysis.bandEnergy[1][0]) * 0.25, 1.0);
  record.ambientColour[0] = mid;
  record.ambientColour[1] = (mid + low) * 0.5;
  record.ambientColour[2] = low;
  updateLights(record, analysis);
  scrollHeights(spectrumField, module.spectrumData[0]);
  return 1;
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  beginEffectScene(device, materials, materialIndex, texture);
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_VERTEX, spectrumField.vertices, spectrumVertexCount,
                               spectrumField.indices, spectrumIndexCount, D3DDP_WAIT);
  // The front-left tile of the newest row once more, wound the other way.
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DVT_VERTEX, spectrumField.vertices, 4, D3DDP_WAIT);
  device->EndScene();
  return 1;
}

}  // namespace

extern const EffectOps spectrumAnalyserEffect = {init, start, noOp, update, draw};
