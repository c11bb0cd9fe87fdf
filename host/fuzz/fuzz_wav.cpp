// libFuzzer target: arbitrary bytes as a WAV file. Whatever it holds, the reader either gives
// playable audio or one line saying why not.
#include <cstdint>
#include <string>

#include "wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PcmAudio audio;
  std::string error;
  if (parseWav(data, size, audio, error)) {
    const bool playable = (audio.channels == 1 || audio.channels == 2) && audio.sampleRate >= 1000 &&
                          audio.sampleRate <= 384000 && !audio.samples.empty() &&
                          audio.samples.size() % size_t(audio.channels) == 0 &&
                          audio.samples.size() <= size;  // at least one byte of input per sample
    if (!playable || !error.empty()) __builtin_trap();
    if (audio.title.find('\0') != std::string::npos || audio.title.size() > size) __builtin_trap();
  } else if (error.empty() || error.find('\n') != std::string::npos) {
    __builtin_trap();
  }
  return 0;
}
