#include "setting_limits.h"

namespace {
constexpr int defaultEffectLengthMs = 10000;
int atLeastZero(int value) { return value < 0 ? 0 : value; }
}  // namespace

int usedEffectLengthMs() { return settings.effectLengthMs < 0 ? defaultEffectLengthMs : settings.effectLengthMs; }
int usedFadeLengthMs() { return atLeastZero(settings.fadeLengthMs); }
int usedTitlePersistenceMs() { return atLeastZero(settings.titlePersistenceMs); }
int usedTitleFadeMs() { return atLeastZero(settings.titleFadeMs); }
