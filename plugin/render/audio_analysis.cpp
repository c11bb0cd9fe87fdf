#include "audio_analysis.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The host's arrays hold two channels; a larger count is read as two.
int channelsOf(const VisModule& module) { return std::clamp(module.nCh, 0, 2); }

}  // namespace

void analyseWaveform(const VisModule& module, AudioAnalysis& analysis) {
  const int channels = channelsOf(module);
  for (int ch = 0; ch < channels; ++ch) {
    const unsigned char* wave = module.waveformData[ch];
    int sum = 0;
    for (int k = 1; k < 576; ++k) sum += std::abs(int(wave[k - 1]) - int(wave[k]));
    const int quotient = std::min(sum / 288, 128);
    analysis.waveActivity[ch] = quotient * 0.0078125;
  }
  if (channels == 1) analysis.waveActivity[1] = analysis.waveActivity[0];
}

int analyseSpectrum(const VisModule& module, AudioAnalysis& analysis) {
  const int channels = channelsOf(module);
  analysis.totalEnergy = 0;
  for (int band = 0; band < 2; ++band) {
    for (int ch = 0; ch < channels; ++ch) {
      const int x = module.spectrumData[ch][30 * band];
      const int y = module.spectrumData[ch][30 * band + 2];
      double& energy = analysis.bandEnergy[band][ch];
      // Fifty additions of a single-precision step, as the original arithmetic did.
      const double step = double(0.000078125f) * (x + y);
      for (int i = 0; i < 50; ++i) energy += step;
      analysis.bandPhase[band][ch] += 0.05 * energy;
      energy *= 0.95;
      analysis.totalEnergy += energy;
    }
  }
  if (channels == 1) {
    analysis.totalEnergy *= 0.5;
    analysis.bandPhase[0][1] = analysis.bandPhase[0][0];
    analysis.bandPhase[1][1] = analysis.bandPhase[1][0];
  } else {
    analysis.totalEnergy *= 0.25;
  }
  return 1;
}
