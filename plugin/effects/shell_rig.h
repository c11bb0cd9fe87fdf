// What the three shell effects share besides the mesh: the camera, the fixed values of the four
// circling lights (render/circling_lights.h moves them) and the damped spring chain that makes nested shells lag behind the one they follow.
#pragma once

#include "../effect.h"
#include "../render/audio_analysis.h"

// Camera looking down at about 63 degrees from 9 units away; lights 0 and 1 red with green
// added per frame, lights 2 and 3 blue with red added per frame; all at attenuation 0.2.
// Lights 0 and 1 sit at height 4, lights 2 and 3 at `lowerLightHeight`.
void setShellCameraAndLights(EffectRecord& record, double lowerLightHeight);

// One frame of a spring chain of `count` links. The head's rate gains energy x gain and decays
// by 0.95; each further link, in order, first turns by its rate, then its rate becomes
// 0.1 x (angle of the link before - own angle) + 0.75 x rate.
void advanceSpringChain(double* angles, double* rates, int count, double energy, double gain);
