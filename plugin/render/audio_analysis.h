// Per-frame measures of the host's audio: waveform activity and two leaky spectrum bands.
#pragma once

#include "../vis_module.h"

struct AudioAnalysis {
  double waveActivity[2];
  double bandPhase[2][2];   // [band][channel]
  double bandEnergy[2][2];  // [band][channel]
  double totalEnergy;
};

void analyseWaveform(const VisModule& module, AudioAnalysis& analysis);
int analyseSpectrum(const VisModule& module, AudioAnalysis& analysis);
