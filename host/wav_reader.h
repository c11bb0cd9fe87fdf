// Reading WAV files into 16-bit PCM: PCM 8/16/24/32-bit and 32-bit float, mono or stereo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PcmAudio {
  int sampleRate = 0;
  int channels = 0;              // 1 or 2
  std::vector<int16_t> samples;  // interleaved
  std::string title;             // from the file's INFO tags, empty when it has none

  size_t frameCount() const { return channels ? samples.size() / size_t(channels) : 0; }
};

// Parses a whole WAV file image. On failure returns false and a one-line reason in `error`.
bool parseWav(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error);

// Reads the whole file (at most 1 GiB); on failure a one-line reason without the path.
bool readFileImage(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);

// Reads and parses `path`; the error names the file.
bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error);

// The title a playlist shows for `path`: the file name without folder and extension.
std::string titleFromPath(const std::string& path);
