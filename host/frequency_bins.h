// The spectrum and waveform arrays handed to a visualisation plug-in, built the way the player
// builds them from the audio just ahead of what is audible.
#pragma once

#include <cstdint>

constexpr int spectrumSamples = 512;  // samples per channel that feed one spectrum
constexpr int visEntries = 576;       // entries per channel in the plug-in's arrays

// From 512 samples (every `stride`-th 16-bit value from `samples`): the high byte of each,
// DC-filtered, Hann-windowed, 512-point real FFT; magnitude / 16 clamped to 255. Bin k gives
// entries 2k (mean with bin k - 1) and 2k + 1 (the bin); entries 512..575 halve at each step.
void buildSpectrum(const int16_t* samples, int stride, uint8_t out[visEntries]);

// 576 samples as signed 8-bit values (the high byte) stored in the unsigned bytes.
void buildWaveform(const int16_t* samples, int stride, uint8_t out[visEntries]);
