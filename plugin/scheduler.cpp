#include "scheduler.h"

#include <algorithm>
#include <cmath>

#include "display.h"
#include "host_queries.h"
#include "settings/setting_limits.h"
#include "settings/settings.h"

SchedulerState scheduler = {introIndex, 0, 0, 1, 0, 0, 0, 1.0f, 0, 0, 0, 0};
EffectRecord effectRecords[effectCount];
AudioAnalysis audioAnalysis;

const EffectEntry effectTable[effectCount] = {
    {&waterEffect, "Water", 15},
    {&spectrumAnalyserEffect, "2d Spectrum Analyser", 15},
    {&sphericalShellsEffect, "Spherical Shells", 14},
    {&freakyMoveyThingyEffect, "Freaky Movey Thingy", 15},
    {&volumetricLightEffect, "Volumetric Light", 12},
    {&spikeCylinderEffect, "Spike Cylinder", 12},
    {&superShellsEffect, "Super Shells", 14},
    {&introEffect, "Intro", 14},
};

namespace {

D3DLVERTEX markerVertices[8];
WORD markerIndices[36] = {0, 1, 2, 2, 3, 0, 4, 6, 5, 6, 4, 7, 1, 5, 2, 2, 5, 6,
                          0, 3, 4, 3, 7, 4, 3, 2, 6, 6, 7, 3, 0, 5, 1, 5, 0, 4};

constexpr int selectableEffects = 7;
constexpr DWORD introPauseMs = 1000;

double unitRandom() { return rand() * (1.0 / 32767); }

int colourByte(double level) { return int(level * 255); }

// Enabled for the rotation; a file with no effect enabled rotates through all seven.
bool takesPart(int effect) {
  if (effect < 0 || effect >= selectableEffects) return false;
  for (int i = 0; i < selectableEffects; ++i)
    if (settings.effectEnabled[i]) return settings.effectEnabled[effect] != 0;
  return true;
}

// The rotation's pause threshold is the fade length, but never shorter than the intro's: with a
// fade of a few ms every frame gap would count as a pause and freeze the effect where it stood.
DWORD pauseThreshold() {
  return usedFadeLengthMs() > int(introPauseMs) ? DWORD(usedFadeLengthMs()) : introPauseMs;
}

// The step's one clock reading, on the step clock. A gap longer than `threshold` is a pause
// (the player paused, the window dragged): the deadline moves on by it, so the effect resumes
// where it stood.
std::int64_t readStepClock(DWORD threshold) {
  const DWORD now = timeGetTime();
  const DWORD gap = now - scheduler.lastFrameTime;
  if (gap > threshold) scheduler.deadline += gap;
  scheduler.lastFrameTime = now;
  scheduler.stepClock += gap;
  return scheduler.stepClock;
}

// Host replies and settings in 64 bits: Tp + Tf and a length of up to 2^31 - 1 s never overflow.
void decideTitleReshow(const VisModule& module) {
  if (settings.persistentTitle) return;
  const std::int64_t shown = std::int64_t(usedTitlePersistenceMs()) + usedTitleFadeMs();
  scheduler.titleReshow = 1;
  scheduler.reshowPosition = queryPlayPosition(module);
  if (scheduler.reshowPosition < shown) scheduler.titleReshow = 0;
  const std::int64_t length = std::int64_t(queryTrackLengthSeconds(module)) * 1000;
  if (scheduler.reshowPosition > length - 2 * shown) scheduler.titleReshow = 0;
}

std::int64_t effectSpan() { return std::int64_t(usedEffectLengthMs()) + 2 * std::int64_t(usedFadeLengthMs()); }

int stopCurrent() { return effectTable[scheduler.currentEffect].ops->stop(display.device); }

D3DTEXTUREHANDLE currentTexture() {
  const int slot = scheduler.currentEffect == introIndex ? 2 : scheduler.textureChoice;
  return display.textureHandles[slot];
}

int runFrame(const VisModule& module) {
  const int current = scheduler.currentEffect;
  const EffectOps& ops = *effectTable[current].ops;
  EffectRecord& record = effectRecords[current];
  const double progress = introProgress();
  if (!ops.update(record, audioAnalysis, module, display.device, progress)) return 0;
  applyEffectView(record);
  const DWORD ambient = (DWORD(colourByte(scheduler.fadeLevel * record.ambientColour[0])) << 16) |
                        (DWORD(colourByte(scheduler.fadeLevel * record.ambientColour[1])) << 8) |
                        DWORD(colourByte(scheduler.fadeLevel * record.ambientColour[2]));
  display.device->SetLightState(D3DLIGHTSTATE_AMBIENT, ambient);
  if (!ops.draw(module, display.device, display.materials, effectTable[current].materialIndex, currentTexture()))
    return 0;
  if (FAILED(display.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &display.worldMatrix))) return 0;
  for (int i = 0; i < 4; ++i) applyEffectLight(record.lights[i], i, record.showLightMarkers);
  return SUCCEEDED(display.device->SetTransform(D3DTRANSFORMSTATE_WORLD, &display.worldMatrix)) ? 1 : 0;
}

int stepIntro(const VisModule& module) {
  scheduler.fadeLevel = 1.0f;
  const std::int64_t now = readStepClock(introPauseMs);
  if (now >= scheduler.deadline) {
    scheduler.introRunning = 0;
    if (!stopCurrent()) return 0;
    scheduler.overlaysOn = 1;
    decideTitleReshow(module);
    scheduler.currentEffect = std::int8_t(scheduler.cycleAll ? chooseNextEffect(scheduler.currentEffect)
                                                             : scheduler.chosenEffect);
    scheduler.textureChoice = std::int8_t(chooseTexture());
    scheduler.fadeLevel = 0.0f;
    scheduler.deadline = now + effectSpan();
    if (!startCurrentEffect()) return 0;
  }
  return runFrame(module);
}

int stepRotation(const VisModule& module) {
  const std::int64_t now = readStepClock(pauseThreshold());
  if (now < scheduler.deadline) {
    scheduler.fadeLevel = fadeLevelAt(now);
  } else {
    if (!stopCurrent()) return 0;
    if (scheduler.currentEffect == introIndex) {
      scheduler.overlaysOn = 1;
      decideTitleReshow(module);
    }
    scheduler.currentEffect = std::int8_t(chooseNextEffect(scheduler.currentEffect));
    scheduler.textureChoice = std::int8_t(chooseTexture());
    scheduler.deadline = now + effectSpan();
    if (!startCurrentEffect()) return 0;
  }
  return runFrame(module);
}

}  // namespace

// Everything an earlier run in this process left behind is put back: a host that keeps the DLL
// loaded gets the intro, with the overlays off, on every run.
void beginSchedulerRun(DWORD now) {
  scheduler.currentEffect = introIndex;
  scheduler.introRunning = 1;
  scheduler.overlaysOn = 0;
  scheduler.titleReshow = 0;
  scheduler.fadeLevel = 1.0f;
  scheduler.lastFrameTime = now;
  scheduler.stepClock = now;
  buildMarkerCube();
}

void scheduleIntroEnd(DWORD now) {
  scheduler.deadline = scheduler.stepClock + DWORD(now - scheduler.lastFrameTime) + introLengthMs;
}

float fadeLevelAt(std::int64_t now) {
  const std::int64_t fade = usedFadeLengthMs(), effect = usedEffectLengthMs();
  if (fade <= 0) return 1.0f;
  const std::int64_t left = scheduler.deadline - now;
  double level = 1.0;
  if (left >= fade + effect) level = double(2 * fade + effect - left) / double(fade);  // fading in
  else if (left <= fade) level = double(left) / double(fade);                         // fading out
  return float(std::clamp(level, 0.0, 1.0));
}

double introProgress() { return 1.0 - double(scheduler.deadline - scheduler.stepClock) / introSpanMs; }

int chooseNextEffect(int current) {
  bool another = false;
  for (int i = 0; i < selectableEffects; ++i) another = another || (i != current && takesPart(i));
  if (!another) return takesPart(current) ? current : 0;
  if (settings.randomEffectOrder) {
    int candidate;
    do {
      candidate = int(unitRandom() * selectableEffects);
    } while (candidate == current || !takesPart(candidate));
    return candidate;
  }
  int index = current + 1;
  if (index >= selectableEffects) index = 0;
  while (!takesPart(index)) index = index + 1 >= selectableEffects ? 0 : index + 1;
  return index;
}

int chooseTexture() {
  const int choice = int(unitRandom() * 3);
  return choice > 2 ? 2 : choice;
}

int startCurrentEffect() {
  const int current = scheduler.currentEffect;
  return effectTable[current].ops->start(effectRecords[current], display.device);
}

int stepScheduler(const VisModule& module) {
  if (!display.device) return 0;
  if (scheduler.introRunning) return stepIntro(module);
  if (scheduler.cycleAll) return stepRotation(module);
  scheduler.fadeLevel = 1.0f;
  return runFrame(module);
}

void applyEffectView(const EffectRecord& record) {
  const double u = record.viewAngles[0], v = record.viewAngles[1], w = record.viewAngles[2];
  const double cu = std::cos(u), su = std::sin(u), cv = std::cos(v), sv = std::sin(v);
  const double cw = std::cos(w), sw = std::sin(w);
  D3DMATRIX& m = display.viewMatrix;
  m._11 = float(cv * cw);
  m._12 = float(su * sv * cw + cu * sw);
  m._13 = float(su * sw - cu * sv * cw);
  m._14 = 0;
  m._21 = float(-cv * sw);
  m._22 = float(cu * cw - su * sv * sw);
  m._23 = float(cu * sv * sw + su * cw);
  m._24 = 0;
  m._31 = float(sv);
  m._32 = float(-su * cv);
  m._33 = float(cu * cv);
  m._34 = 0;
  m._41 = float(record.viewOffset[0]);
  m._42 = float(record.viewOffset[1]);
  m._43 = float(record.viewOffset[2]);
  m._44 = 1;
  display.device->SetTransform(D3DTRANSFORMSTATE_VIEW, &m);
}

int applyEffectLight(const LightSpec& source, int index, int marker) {
  D3DLIGHT& light = display.sceneLight;
  const double fade = scheduler.fadeLevel;
  light.dcvColor.r = float(fade * source.colour[0]);
  light.dcvColor.g = float(fade * source.colour[1]);
  light.dcvColor.b = float(fade * source.colour[2]);
  light.dvPosition.x = float(source.position[0]);
  light.dvPosition.y = float(source.position[1]);
  light.dvPosition.z = float(source.position[2]);
  light.dvAttenuation2 = float(source.attenuation);
  if (!display.lightObjects[index] || FAILED(display.lightObjects[index]->SetLight(&light))) return 0;
  if (marker == 1) {
    const DWORD colour = 0x80000000u | (DWORD(colourByte(fade * source.colour[0])) << 16) |
                         (DWORD(colourByte(fade * source.colour[1])) << 8) | DWORD(colourByte(fade * source.colour[2]));
    for (D3DLVERTEX& v : markerVertices) v.color = colour;
    IDirect3DDevice2* device = display.device;
    device->BeginScene();
    D3DMATRIX at = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    at._41 = float(source.position[0]);
    at._42 = float(source.position[1]);
    at._43 = float(source.position[2]);
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &at);
    device->SetLightState(D3DLIGHTSTATE_MATERIAL, display.markerHandle);
    device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, 0);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_LVERTEX, markerVertices, 8, markerIndices, 36, D3DDP_WAIT);
    device->EndScene();
  }
  return 1;
}

void buildMarkerCube() {
  static const float corners[8][5] = {
      {-0.15f, -0.15f, -0.15f, 0, 1}, {-0.15f, 0.15f, -0.15f, 0, 0}, {0.15f, 0.15f, -0.15f, 1, 0},
      {0.15f, -0.15f, -0.15f, 1, 1},  {-0.15f, -0.15f, 0.15f, 0, 1}, {-0.15f, 0.15f, 0.15f, 0, 0},
      {0.15f, 0.15f, 0.15f, 1, 0},    {0.15f, -0.15f, 0.15f, 1, 1}};
  for (int i = 0; i < 8; ++i) {
    D3DLVERTEX& v = markerVertices[i];
    v.x = corners[i][0];
    v.y = corners[i][1];
    v.z = corners[i][2];
    v.dwReserved = 0;
    v.color = 0x0AFFFFFF;
    v.specular = 0;
    v.tu = corners[i][3];
    v.tv = corners[i][4];
  }
}

int startBlendOn(EffectRecord&, IDirect3DDevice2* device) {
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, FALSE);
  return 1;
}

int stopBlendOff(IDirect3DDevice2* device) {
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, TRUE);
  return 1;
}

int noOpStart(EffectRecord&, IDirect3DDevice2*) { return 1; }
int noOp(IDirect3DDevice2*) { return 1; }

void selectEffectMaterial(IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
                          D3DTEXTUREHANDLE texture) {
  device->SetLightState(D3DLIGHTSTATE_MATERIAL, materials.handles[materialIndex]);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREHANDLE, texture);
}

HRESULT beginEffectScene(IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
                         D3DTEXTUREHANDLE texture) {
  const HRESULT begun = device->BeginScene();
  selectEffectMaterial(device, materials, materialIndex, texture);
  return begun;
}
