// The contract every effect implements, and the records the scheduler reads from it.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "vis_module.h"

struct AudioAnalysis;

// A point light: position x, y, z; colour r, g, b (0..1); quadratic attenuation.
struct LightSpec {
  double position[3];
  double colour[3];
  double attenuation;
};

struct EffectRecord {
  double viewAngles[3];
  double viewOffset[3];
  double ambientColour[3];
  LightSpec lights[4];
  std::uint8_t showLightMarkers;
};

// [0] opaque white textured, [k] alpha 1 - k/16 for k = 1..14, [15] the light-marker material.
struct MaterialTable {
  D3DMATERIALHANDLE handles[16];
};

// Every operation returns nonzero on success. `progress` is read by the intro only.
struct EffectOps {
  int (*init)(EffectRecord& record);
  int (*start)(EffectRecord& record, IDirect3DDevice2* device);
  int (*stop)(IDirect3DDevice2* device);
  int (*update)(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2* device,
                double progress);
  int (*draw)(const VisModule& module, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
              D3DTEXTUREHANDLE texture);
};

constexpr int effectCount = 8;
constexpr int introIndex = 7;
constexpr int superShellsIndex = 6;

// Shared start/stop routines.
int startBlendOn(EffectRecord& record, IDirect3DDevice2* device);
int stopBlendOff(IDirect3DDevice2* device);
int noOpStart(EffectRecord& record, IDirect3DDevice2* device);
int noOp(IDirect3DDevice2* device);

// The opening every effect's draw shares: BeginScene, then the material and the texture, the
// latter two whatever BeginScene answered. Returns BeginScene's result.
HRESULT beginEffectScene(IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
                         D3DTEXTUREHANDLE texture);
// The material and texture half of it, for a draw that gives up when BeginScene is refused.
void selectEffectMaterial(IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
                          D3DTEXTUREHANDLE texture);

// Each effect file provides its operations.
extern const EffectOps waterEffect;
extern const EffectOps spectrumAnalyserEffect;
extern const EffectOps sphericalShellsEffect;
extern const EffectOps freakyMoveyThingyEffect;
extern const EffectOps volumetricLightEffect;
extern const EffectOps spikeCylinderEffect;
extern const EffectOps superShellsEffect;
extern const EffectOps introEffect;
