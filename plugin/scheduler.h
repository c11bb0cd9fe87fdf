// Which effect is current, the intro, the rotation with its fades, and the per-frame effect calls.
#pragma once

#include <cstdint>

#include "effect.h"
#include "render/audio_analysis.h"

struct SchedulerState {
  std::int8_t currentEffect;
  int chosenEffect;
  int cycleAll;
  int introRunning;
  DWORD deadline;
  DWORD lastFrameTime;
  float fadeLevel;
  std::int8_t textureChoice;
  int overlaysOn;
  int titleReshow;
  int reshowPosition;
};

extern SchedulerState scheduler;
extern EffectRecord effectRecords[effectCount];
extern AudioAnalysis audioAnalysis;

struct EffectEntry {
  const EffectOps* ops;
  const char* name;
  int materialIndex;
};
extern const EffectEntry effectTable[effectCount];

constexpr DWORD introSpanMs = 12000;
constexpr DWORD introLengthMs = 10000;

int stepScheduler(const VisModule& module);
int startCurrentEffect();
void applyEffectView(const EffectRecord& record);
int applyEffectLight(const LightSpec& source, int index, int marker);
void buildMarkerCube();

// The pieces of a step, exposed for the frame composer and tests.
int chooseNextEffect(int current);
int chooseTexture();
float fadeLevelAt(DWORD now);
// The intro's `progress`: 1 - (deadline - lastFrameTime) / 12000.
double introProgress();
