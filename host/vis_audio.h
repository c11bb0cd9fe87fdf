// Taking the plug-in's spectrum and waveform from a track at a given sample frame.
#pragma once

#include <cstdint>

#include "frequency_bins.h"
#include "wav_reader.h"

struct VisAudio {
  uint8_t spectrum[2][visEntries];
  uint8_t waveform[2][visEntries];
};

// Fills `out` from the frames of `audio` starting at `startFrame` (frames outside the track are
// silence). `spectrumChannels` and `waveformChannels` are what the plug-in asked for (above 2
// counts as 2); a mono track feeds both channels; channels not asked for are zero.
void takeVisAudio(const PcmAudio& audio, int64_t startFrame, int spectrumChannels, int waveformChannels,
                  VisAudio& out);

// The same from 576 frames already split into two channels.
void visAudioFromWindow(const int16_t window[2][visEntries], int spectrumChannels, int waveformChannels,
                        VisAudio& out);
