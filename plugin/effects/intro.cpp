// The intro: all motion follows the intro's progress p (0..1), not the music.
#include "intro.h"

#include <cmath>

#include "../render/audio_analysis.h"

namespace {

constexpr double squareSpacing = 0.8;
constexpr double halfTurnRate = 15.70796;  // a half turn of the cosine per 0.2 of progress
constexpr double sweepRate = 7.85398;      // a half turn per 0.4 of progress
constexpr double cameraDistance = 9.0;

// Corners of every square: x, y, tu, tv.
constexpr float corners[4][4] = {{-2, -2, 0, 1}, {-2, 2, 0, 0}, {2, 2, 1, 0}, {2, -2, 1, 1}};

void setSquareDepth(int square, double z) {
  for (int q = 0; q < 4; ++q) introVertices[4 * square + q].z = float(z);
}

}  // namespace

D3DLVERTEX introVertices[introVertexCount];
WORD introIndices[introIndexCount];

int introSquareAlpha(int square) {
  const double fade = 1 - square * 0.09090909090909091;
  return int(fade * fade * 255);
}

void buildIntroStack() {
  for (int k = 0; k < introSquareCount; ++k) {
    const D3DCOLOR colour = (D3DCOLOR(introSquareAlpha(k)) << 24) | 0xFFFFFFu;
    for (int q = 0; q < 4; ++q) {
      D3DLVERTEX& v = introVertices[4 * k + q];
      v.x = corners[q][0];
      v.y = corners[q][1];
      v.dwReserved = 0;
      v.color = colour;
      v.specular = 0;
      v.tu = corners[q][2];
      v.tv = corners[q][3];
    }
    setSquareDepth(k, -squareSpacing * k);
    const WORD first = WORD(4 * k);
    const WORD triangles[6] = {first, WORD(first + 1), WORD(first + 2), WORD(first + 2), WORD(first + 3), first};
    for (int i = 0; i < 6; ++i) introIndices[6 * k + i] = triangles[i];
  }
}

namespace {

int init(EffectRecord& record) {
  for (double& angle : record.viewAngles) angle = 0;
  record.viewOffset[0] = 3.0;
  record.viewOffset[1] = 0;
  record.viewOffset[2] = cameraDistance;
  for (LightSpec& light : record.lights) {
    light.position[1] = 4.0;
    light.attenuation = 0.2;
  }
  for (int i = 0; i < 2; ++i) {
    record.lights[i].colour[0] = 1.0;
    record.lights[i].colour[2] = 0;
    record.lights[i + 2].colour[1] = 0;
  }
  record.showLightMarkers = 0;
  buildIntroStack();
  return 1;
}

int start(EffectRecord& record, IDirect3DDevice2* device) {
  startBlendOn(record, device);
  record.viewOffset[1] = 0;
  record.viewOffset[2] = cameraDistance;
  for (double& channel : record.ambientColour) channel = 1.0;
  return 1;
}

// The view slides from x = -3 to x = +3 past the stack.
void sweep(EffectRecord& record, double p) { record.viewOffset[0] = std::cos(p * sweepRate) * -3.0; }

// The squares close up onto one plane while the view returns to x = 0.
void collapse(EffectRecord& record, double p) {
  const double c = std::cos((p - 0.4) * halfTurnRate);
  const double d = 1 - c;
  for (int k = 0; k < introSquareCount; ++k) setSquareDepth(k, k * squareSpacing * (c + 1) * -0.5 - 2 * d);
  record.viewOffset[0] = 3 - d * 1.5;
}

// The squares part again while the view rolls, rises and closes in.
void spread(EffectRecord& record, double p) {
  const double c = std::cos((p - 0.4) * halfTurnRate);
  const double u = 1 - std::cos((p - 0.8) * halfTurnRate);
  for (int k = 0; k < introSquareCount; ++k) setSquareDepth(k, k * squareSpacing * (1 - c) * -0.5 - 2 * (c + 1));
  record.viewAngles[0] = 0.4 * u;
  record.viewAngles[2] = 2 * u;
  record.viewOffset[1] = 2 * u;
  record.viewOffset[2] = cameraDistance - 4 * u;
}

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*,
           double progress) {
  analyseWaveform(module, analysis);
  analyseSpectrum(module, analysis);
  const double p = progress;
  if (p <= 0.4) {
    sweep(record, p);
  } else if (p <= 0.6) {
    collapse(record, p);
  } else if (p <= 0.8) {
    // Hold: the picture stands still.
  } else if (p <= 1.0) {
    spread(record, p);
  }
  return 1;
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  beginEffectScene(device, materials, materialIndex, texture);
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_LVERTEX, introVertices, introVertexCount, introIndices,
                               introIndexCount, D3DDP_WAIT);
  device->EndScene();
  return 1;
}

}  // namespace

extern const EffectOps introEffect = {init, start, stopBlendOff, update, draw};
