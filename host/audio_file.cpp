#include "audio_file.h"

#include <cctype>
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

}  // namespace

bool readAudioFile(const std::string& path, PcmAudio& audio, std::string& error) {
  std::vector<uint8_t> bytes;
  std::string reason;
  if (readFileImage(path, bytes, reason)) {
    const bool riff = bytes.size() >= 4 && bytes[0] == 'R' && bytes[1] == 'I' && bytes[2] == 'F' && bytes[3] == 'F';
    const bool mp3 = !riff && (looksLikeMp3(bytes.data(), bytes.size()) || namedMp3(path));
    if (mp3 ? decodeMp3(bytes.data(), bytes.size(), audio, reason) : parseWav(bytes.data(), bytes.size(), audio, reason))
      return true;
  }
  error = path + ": " + reason;
  return false;
}
