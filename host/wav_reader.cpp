#include "wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t largestFile = size_t(1) << 30;  // 1 GiB: about 100 minutes of CD audio
constexpr uint16_t formatPcm = 1;
constexpr uint16_t formatFloat = 3;
constexpr uint16_t formatExtensible = 0xFFFE;

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

struct Format {
  uint16_t tag = 0;
  int channels = 0;
  int sampleRate = 0;
  int bits = 0;
  int blockAlign = 0;
};

bool parseFormat(const uint8_t* p, uint32_t size, Format& f, std::string& error) {
  if (size < 16) {
    error = "format chunk is too short";
    return false;
  }
  f.tag = read16(p);
  f.channels = read16(p + 2);
  f.sampleRate = int(read32(p + 4));
  f.blockAlign = read16(p + 12);
  f.bits = read16(p + 14);
  if (f.tag == formatExtensible && size >= 26) f.tag = read16(p + 24);  // first bytes of the sub-format GUID
  const bool pcm = f.tag == formatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
  const bool flt = f.tag == formatFloat && f.bits == 32;
  if (!pcm && !flt) {
    error = "unsupported sample format (tag " + std::to_string(f.tag) + ", " + std::to_string(f.bits) + " bits)";
    return false;
  }
  if (f.channels < 1 || f.channels > 2) {
    error = std::to_string(f.channels) + " channels (only mono and stereo are played)";
    return false;
  }
  if (f.sampleRate < 1000 || f.sampleRate > 384000) {
    error = "sample rate " + std::to_string(f.sampleRate) + " is out of range";
    return false;
  }
  if (f.blockAlign != f.channels * f.bits / 8) {
    error = "block size " + std::to_string(f.blockAlign) + " does not match the format";
    return false;
  }
  return true;
}

int16_t toSample16(const uint8_t* p, const Format& f) {
  switch (f.bits) {
    case 8: return int16_t((int(p[0]) - 128) * 256);
    case 16: return int16_t(read16(p));
    case 24: return int16_t(read16(p + 1));
    default: break;
  }
  if (f.tag == formatPcm) return int16_t(read32(p) >> 16);
  float v;
  const uint32_t bits = read32(p);
  std::memcpy(&v, &bits, sizeof v);
  if (!std::isfinite(v)) return 0;
  return int16_t(std::lround(std::clamp(double(v), -1.0, 32767.0 / 32768.0) * 32768.0));
}

// A chunk id as it may be shown in a one-line message: bytes outside printable ASCII become '?'.
std::string printableId(const uint8_t* p) {
  std::string id(reinterpret_cast<const char*>(p), 4);
  for (char& c : id)
    if (c < 0x20 || c > 0x7E) c = '?';
  return id;
}

// INFO tags: "INAM" (title) and "IART" (artist) inside a LIST chunk.
std::string titleFromInfo(const uint8_t* p, uint32_t size) {
  if (size < 4 || std::memcmp(p, "INFO", 4) != 0) return {};
  std::string name, artist;
  for (uint32_t at = 4; at + 8 <= size;) {
    const uint32_t length = read32(p + at + 4);
    if (length > size - at - 8) break;
    const char* text = reinterpret_cast<const char*>(p + at + 8);
    const std::string value(text, strnlen(text, length));
    if (std::memcmp(p + at, "INAM", 4) == 0) name = value;
    if (std::memcmp(p + at, "IART", 4) == 0) artist = value;
    at += 8 + length + (length & 1);
  }
  if (name.empty()) return {};
  return artist.empty() ? name : artist + " - " + name;
}

}  // namespace

bool parseWav(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error) {
  if (size == 0) {
    error = "the file is empty";
    return false;
  }
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  Format format;
  bool haveFormat = false;
  for (size_t at = 12; at + 8 <= size;) {
    const uint8_t* chunk = data + at;
    const uint32_t length = read32(chunk + 4);
    const size_t available = size - at - 8;
    const std::string id(reinterpret_cast<const char*>(chunk), 4);
    if (id == "data") {
      if (!haveFormat) {
        error = "the data chunk comes before the format chunk";
        return false;
      }
      if (length > available) {
        error = "truncated: the data chunk holds " + std::to_string(available) + " of " + std::to_string(length) +
                " bytes";
        return false;
      }
      const size_t frames = length / size_t(format.blockAlign);
      if (frames == 0) {
        error = "no audio in the data chunk";
        return false;
      }
      audio.sampleRate = format.sampleRate;
      audio.channels = format.channels;
      audio.samples.resize(frames * size_t(format.channels));
      const int bytes = format.bits / 8;
      for (size_t i = 0; i < audio.samples.size(); ++i) audio.samples[i] = toSample16(chunk + 8 + i * bytes, format);
      return true;
    }
    if (length > available) {
      error = "chunk '" + printableId(chunk) + "' claims " + std::to_string(length) + " bytes, past the end of the file";
      return false;
    }
    if (id == "fmt ") haveFormat = parseFormat(chunk + 8, length, format, error);
    if (id == "fmt " && !haveFormat) return false;
    if (id == "LIST") audio.title = titleFromInfo(chunk + 8, length);
    at += 8 + size_t(length) + (length & 1);
  }
  error = haveFormat ? "no data chunk" : "no format chunk";
  return false;
}

bool readFileImage(const std::string& path, std::vector<uint8_t>& bytes, std::string& reason) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    reason = "cannot open the file";
    return false;
  }
  bytes.clear();
  bool tooLarge = false;
  uint8_t block[65536];
  for (size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) {
    if (bytes.size() + n > largestFile) {
      tooLarge = true;
      break;
    }
    bytes.insert(bytes.end(), block, block + n);
  }
  std::fclose(file);
  if (tooLarge) reason = "larger than 1 GiB";
  return !tooLarge;
}

bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error) {
  std::vector<uint8_t> bytes;
  std::string reason;
  if (readFileImage(path, bytes, reason) && parseWav(bytes.data(), bytes.size(), audio, reason)) return true;
  error = path + ": " + reason;
  return false;
}

std::string titleFromPath(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name;
}
