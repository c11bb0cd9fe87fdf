// Reading WAV files into 16-bit PCM: PCM 8/16/24/32-bit and 32-bit float, mono or stereo. A file
// is read from disk as it plays (RIFF up to 4 GiB, RF64 beyond); an image in memory is
// converted whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct WavFile;  // an open file whose samples are read as they play

struct PcmAudio {
  int sampleRate = 0;
  int channels = 0;                // 1 or 2
  std::vector<int16_t> samples;    // interleaved, when in memory (images, MP3, the demo song)
  std::string title;               // from the file's tags, empty when it has none
  std::shared_ptr<WavFile> file;   // else the file the samples are read from
  size_t fileFrames = 0;
  std::string notice;              // one line worth saying about a file that plays (damage skipped ...)

  size_t frameCount() const {
    if (file) return fileFrames;
    return channels ? samples.size() / size_t(channels) : 0;
  }
};

// Copies `count` frames from `first` on into `out` (interleaved, `channels` per frame); frames
// outside the track, or that cannot be read, are silence.
void readPcmFrames(const PcmAudio& audio, int64_t first, size_t count, int16_t* out);

// Parses a whole WAV file image. On failure returns false and a one-line reason in `error`.
bool parseWav(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error);

// Reads the whole file (at most 1 GiB); on failure a one-line reason without the path.
bool readFileImage(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason);

// Opens `path` as a WAV file to be read as it plays; on failure a one-line reason without the path.
bool openWavFile(const std::string& path, PcmAudio& audio, std::string& reason);

// Opens `path` as WAV; the error names the file.
bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error);

// The title a playlist shows for `path`: the file name without folder and extension.
std::string titleFromPath(const std::string& path);
