#include "audio_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mp3_decoder.h"
#include "mp3_stream.h"

namespace {

bool namedMp3(const std::string& path) {
  if (path.size() < 4) return false;
  std::string extension = path.substr(path.size() - 4);
  for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
  return extension == ".mp3";
}

// A RIFF or RF64 file, by its first four bytes.
bool startsAsWav(const std::string& path) {
  char id[4] = {};
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  const bool read = std::fread(id, 1, 4, file) == 4;
  std::fclose(file);
  return read && (std::memcmp(id, "RIFF", 4) == 0 || std::memcmp(id, "RF64", 4) == 0);
}

}  // namespace

bool readAudioFile(const std::string& path, PcmAudio& audio, std::string& error) {
  std::string reason;
  if (startsAsWav(path)) {
    if (openWavFile(path, audio, reason)) return true;
  } else {
    std::vector<uint8_t> bytes;
    if (readFileImage(path, bytes, reason)) {
      const bool mp3 = looksLikeMp3(bytes.data(), bytes.size()) || namedMp3(path);
      if (mp3 ? decodeMp3(bytes.data(), bytes.size(), audio, reason)
              : parseWav(bytes.data(), bytes.size(), audio, reason))
        return true;
    }
  }
  error = path + ": " + reason;
  return false;
}
