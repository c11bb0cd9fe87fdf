#include "vis_audio.h"

#include <algorithm>
#include <cstring>

void takeVisAudio(const PcmAudio& audio, int64_t startFrame, int spectrumChannels, int waveformChannels,
                  VisAudio& out) {
  int16_t frames[visEntries * 2];
  readPcmFrames(audio, startFrame, visEntries, frames);
  int16_t window[2][visEntries];
  const int channels = std::max(audio.channels, 1);
  for (int i = 0; i < visEntries; ++i)
    for (int c = 0; c < 2; ++c) window[c][i] = frames[i * channels + std::min(c, channels - 1)];
  visAudioFromWindow(window, spectrumChannels, waveformChannels, out);
}

void visAudioFromWindow(const int16_t window[2][visEntries], int spectrumChannels, int waveformChannels,
                        VisAudio& out) {
  std::memset(&out, 0, sizeof out);
  for (int c = 0; c < std::min(spectrumChannels, 2); ++c) buildSpectrum(window[c], 1, out.spectrum[c]);
  for (int c = 0; c < std::min(waveformChannels, 2); ++c) buildWaveform(window[c], 1, out.waveform[c]);
}
