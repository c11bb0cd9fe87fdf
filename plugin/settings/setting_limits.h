// The lengths as the plug-in uses them. The dialog accepts any number from 0 up; a hand-edited
// file may hold others. Those get a safe meaning here, while the settings keep what was read
// (so the file is written back as it was).
#pragma once

#include "settings.h"

int usedEffectLengthMs();     // below 0: the default, 10000 (0 with no fade would switch every frame)
int usedFadeLengthMs();       // below 0: 0, no fade
int usedTitlePersistenceMs(); // below 0: 0
int usedTitleFadeMs();        // below 0: 0
