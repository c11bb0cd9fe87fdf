// The platform's wave output (waveOut) for one track: queued blocks, pause and the position
// of the sample being heard.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wav_reader.h"

struct WaveOutput {
  HWAVEOUT device = nullptr;
  HANDLE blockDone = nullptr;  // signalled by the device as each block finishes
  std::vector<WAVEHDR> headers;
  std::vector<std::vector<int16_t>> blocks;  // the samples of each header, read from the track
  size_t firstFrame = 0;  // where playing started
  size_t nextFrame = 0;   // first frame not yet queued
};

// Opens the default device for `audio`'s format, to play from `firstFrame` on. Returns false
// with the reason when it cannot.
bool openWaveOutput(const PcmAudio& audio, size_t firstFrame, WaveOutput& output, std::string& error);

// Queues the next blocks of `audio` into every free buffer; returns false once all is queued.
bool feedWaveOutput(const PcmAudio& audio, WaveOutput& output);

// The frame being heard now (counted from the start of the track).
int64_t audibleWaveFrame(WaveOutput& output);

void pauseWaveOutput(WaveOutput& output, bool pause);

// Stops at once, releases the buffers and closes the device.
void closeWaveOutput(WaveOutput& output);
