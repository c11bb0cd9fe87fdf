#include "wave_output.h"

#include <mmsystem.h>

#include <algorithm>

namespace {
constexpr int blockCount = 4;
constexpr size_t blockFrames = 4096;  // about 93 ms at 44.1 kHz: four of them keep the device fed
}  // namespace

bool openWaveOutput(const PcmAudio& audio, size_t firstFrame, WaveOutput& output, std::string& error) {
  WAVEFORMATEX format = {};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = WORD(audio.channels);
  format.nSamplesPerSec = DWORD(audio.sampleRate);
  format.wBitsPerSample = 16;
  format.nBlockAlign = WORD(audio.channels * 2);
  format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
  output.blockDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const MMRESULT result = waveOutOpen(&output.device, WAVE_MAPPER, &format, DWORD_PTR(output.blockDone), 0,
                                      CALLBACK_EVENT);
  if (result != MMSYSERR_NOERROR) {
    char text[MAXERRORLENGTH] = "";
    waveOutGetErrorTextA(result, text, sizeof text);
    error = text[0] ? text : "error " + std::to_string(result);
    CloseHandle(output.blockDone);
    output = WaveOutput{};
    return false;
  }
  output.headers.assign(blockCount, WAVEHDR{});
  for (WAVEHDR& header : output.headers) header.dwFlags = WHDR_DONE;
  output.blocks.assign(blockCount, std::vector<int16_t>(blockFrames * size_t(audio.channels)));
  output.firstFrame = output.nextFrame = firstFrame;
  return true;
}

bool feedWaveOutput(const PcmAudio& audio, WaveOutput& output) {
  for (size_t block = 0; block < output.headers.size(); ++block) {
    WAVEHDR& header = output.headers[block];
    if (output.nextFrame >= audio.frameCount()) break;
    if (!(header.dwFlags & WHDR_DONE)) continue;
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output.device, &header, sizeof header);
    const size_t frames = std::min(blockFrames, audio.frameCount() - output.nextFrame);
    header = WAVEHDR{};
    readPcmFrames(audio, int64_t(output.nextFrame), frames, output.blocks[block].data());
    header.lpData = reinterpret_cast<LPSTR>(output.blocks[block].data());
    header.dwBufferLength = DWORD(frames * size_t(audio.channels) * 2);
    waveOutPrepareHeader(output.device, &header, sizeof header);
    waveOutWrite(output.device, &header, sizeof header);
    output.nextFrame += frames;
  }
  return output.nextFrame < audio.frameCount();
}

int64_t audibleWaveFrame(WaveOutput& output) {
  MMTIME time = {};
  time.wType = TIME_SAMPLES;
  if (waveOutGetPosition(output.device, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES)
    return 0;
  return int64_t(output.firstFrame) + int64_t(time.u.sample);
}

void pauseWaveOutput(WaveOutput& output, bool pause) {
  if (pause) waveOutPause(output.device);
  else waveOutRestart(output.device);
}

void closeWaveOutput(WaveOutput& output) {
  if (!output.device) return;
  waveOutReset(output.device);
  for (WAVEHDR& header : output.headers)
    if (header.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output.device, &header, sizeof header);
  waveOutClose(output.device);
  CloseHandle(output.blockDone);
  output = WaveOutput{};
}
