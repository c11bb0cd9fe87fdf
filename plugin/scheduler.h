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
  // Times of the effect in hand are kept on the step clock: the timeGetTime clock counted on in
  // 64 bits from the run's first reading, so its 49.7-day wrap means nothing and a span past 2^31
  // ms (the longest effect and fade lengths) stays in the future.
  std::int64_t deadline;
  DWORD lastFrameTime;     // the clock reading of the last timed step
  std::int64_t stepClock;  // the same moment on the step clock
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

// Init's part: a run opens with the intro, overlays off, from the clock reading `now` (and the
// light markers' cube built); the intro ends introLengthMs after the later reading given to
// scheduleIntroEnd.
void beginSchedulerRun(DWORD now);
void scheduleIntroEnd(DWORD now);

int stepScheduler(const VisModule& module);
// The current effect's start; the display's scene calls it through setupDisplay.
int startCurrentEffect();
void applyEffectView(const EffectRecord& record);
int applyEffectLight(const LightSpec& source, int index, int marker);
void buildMarkerCube();

// The pieces of a step, exposed for the frame composer and tests.
int chooseNextEffect(int current);
int chooseTexture();
// The fade level at `now` on the step clock, within 0..1.
float fadeLevelAt(std::int64_t now);
// The intro's `progress`: 1 - (deadline - the last step's time) / 12000.
double introProgress();
