// The lighting that several effects share: four point lights circling the origin at radius 8,
// turned by the band phases and coloured by the waveform activity, and an ambient colour mixed
// from the low and middle energies.
#pragma once

#include "../effect.h"
#include "audio_analysis.h"

// The low mix (band 0 and channel-0 activity, / 12) and the mid mix (band 1 and channel-1
// activity, / 3), each capped at 1.0 but not bounded below.
struct ColourMixes {
  double low;
  double mid;
};
ColourMixes colourMixes(const AudioAnalysis& analysis);

// (mid, (mid + low) / 2, low), lifted to 0.2 .. 1.0.
void setLiftedAmbient(EffectRecord& record, ColourMixes mixes);

// The values that never change: y 4.0, attenuation 0.2, lights 0 and 1 red (1, -, 0), lights 2
// and 3 without green.
void fixCirclingLights(EffectRecord& record);

// Per frame: x and z on the circles, and the channels that fixCirclingLights leaves free.
// Lights 0 and 1 turn with the band-0 phases (0.4 rad per unit), 2 and 3 with the band-1 phases
// (1.6 rad per unit); 2 and 3 take their colour from the other channel's activity.
void circleLights(EffectRecord& record, const AudioAnalysis& analysis);

// The ambient colour and the circling lights together, as one frame of the analysis sets them.
void applyCirclingLighting(EffectRecord& record, const AudioAnalysis& analysis);
