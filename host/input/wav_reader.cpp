#include "wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

constexpr size_t largestFile = size_t(1) << 30;  // 1 GiB: the most read whole into memory
constexpr uint64_t largestRiff = 0xFFFFFFFFull + 8;  // beyond this only RF64 can say where the audio is
constexpr uint32_t sizeInDs64 = 0xFFFFFFFF;         // an RF64 chunk size that is given in "ds64"
constexpr size_t largestTagChunk = 65536;            // of a LIST chunk, only this much is read for the title
constexpr uint16_t formatPcm = 1;
constexpr uint16_t formatFloat = 3;
constexpr uint16_t formatExtensible = 0xFFFE;

uint16_t read16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint64_t read64(const uint8_t* p) { return uint64_t(read32(p)) | uint64_t(read32(p + 4)) << 32; }

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


bool seekTo(std::FILE* file, uint64_t at) {
#ifdef _WIN32
  return _fseeki64(file, int64_t(at), SEEK_SET) == 0;
#else
  return fseeko(file, off_t(at), SEEK_SET) == 0;
#endif
}

uint64_t fileSize(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return 0;
  return uint64_t(_ftelli64(file));
#else
  if (fseeko(file, 0, SEEK_END) != 0) return 0;
  return uint64_t(ftello(file));
#endif
}

// Where the bytes of a WAV come from: an image in memory or an open file.
struct ByteSource {
  const uint8_t* image = nullptr;
  std::FILE* file = nullptr;
  uint64_t size = 0;

  bool read(uint64_t at, void* out, size_t n) const {
    if (at > size || n > size - at) return false;
    if (n == 0) return true;  // an empty chunk: `out` may be the null data of an empty buffer
    if (image) {
      std::memcpy(out, image + at, n);
      return true;
    }
    return seekTo(file, at) && std::fread(out, 1, n, file) == n;
  }
};

struct WavLayout {
  Format format;
  uint64_t dataOffset = 0;
  uint64_t frames = 0;
  std::string title;
};

// Walks the chunks: the format, the audio, and the INFO tags before or after the audio. A chunk
// after the audio that runs past the end of the file ends the walk; before it, it is an error.
bool walkChunks(const ByteSource& in, WavLayout& layout, std::string& error) {
  if (in.size == 0) {
    error = "the file is empty";
    return false;
  }
  uint8_t header[12];
  const bool read = in.read(0, header, sizeof header);
  const bool rf64 = read && std::memcmp(header, "RF64", 4) == 0;
  if (!read || (std::memcmp(header, "RIFF", 4) != 0 && !rf64) || std::memcmp(header + 8, "WAVE", 4) != 0) {
    error = "not a RIFF WAVE file";
    return false;
  }
  if (!rf64 && in.size > largestRiff) {
    error = "larger than 4 GiB, more than a RIFF WAVE file can describe (an RF64 file can)";
    return false;
  }
  bool haveFormat = false, haveData = false;
  uint64_t ds64DataBytes = 0;
  for (uint64_t at = 12; at + 8 <= in.size;) {
    uint8_t chunk[8];
    if (!in.read(at, chunk, sizeof chunk)) break;
    const uint32_t length = read32(chunk + 4);
    const uint64_t available = in.size - at - 8;
    const std::string id(reinterpret_cast<const char*>(chunk), 4);
    if (id == "data" && !haveData) {
      if (!haveFormat) {
        error = "the data chunk comes before the format chunk";
        return false;
      }
      const uint64_t bytes = rf64 && length == sizeInDs64 ? ds64DataBytes : length;
      if (bytes > available) {
        error = "truncated: the data chunk holds " + std::to_string(available) + " of " + std::to_string(bytes) +
                " bytes";
        return false;
      }
      layout.frames = bytes / uint64_t(layout.format.blockAlign);
      if (layout.frames == 0) {
        error = "no audio in the data chunk";
        return false;
      }
      layout.dataOffset = at + 8;
      haveData = true;
      at += 8 + bytes + (bytes & 1);
      continue;
    }
    if (length > available) {
      if (haveData) break;  // damaged tags after the audio: the audio stands
      error = "chunk '" + printableId(chunk) + "' claims " + std::to_string(length) + " bytes, past the end of the file";
      return false;
    }
    std::vector<uint8_t> body;
    if (id == "fmt " || id == "ds64" || (id == "LIST" && layout.title.empty())) {
      body.resize(std::min<size_t>(length, largestTagChunk));
      if (!in.read(at + 8, body.data(), body.size())) break;
    }
    if (id == "ds64" && body.size() >= 16) ds64DataBytes = read64(body.data() + 8);
    if (id == "fmt " && !haveData) {
      haveFormat = parseFormat(body.data(), length, layout.format, error);
      if (!haveFormat) return false;
    }
    if (id == "LIST" && layout.title.empty()) layout.title = titleFromInfo(body.data(), uint32_t(body.size()));
    at += 8 + uint64_t(length) + (length & 1);
  }
  if (haveData) return true;
  error = haveFormat ? "no data chunk" : "no format chunk";
  return false;
}

}  // namespace

struct WavFile {
  std::FILE* file = nullptr;
  Format format;
  uint64_t dataOffset = 0;
  std::mutex lock;  // the player's thread and the visualisation thread both read
  std::vector<uint8_t> bytes;

  ~WavFile() {
    if (file) std::fclose(file);
  }
};

void readPcmFrames(const PcmAudio& audio, int64_t first, size_t count, int16_t* out) {
  const size_t channels = size_t(audio.channels);
  std::fill(out, out + count * channels, int16_t(0));
  const int64_t frames = int64_t(audio.frameCount());
  const int64_t begin = std::clamp<int64_t>(first, 0, frames), end = std::clamp<int64_t>(first + int64_t(count), 0, frames);
  if (begin >= end) return;
  int16_t* to = out + size_t(begin - first) * channels;
  const size_t samples = size_t(end - begin) * channels;
  if (!audio.file) {
    std::copy_n(audio.samples.data() + size_t(begin) * channels, samples, to);
    return;
  }
  WavFile& wav = *audio.file;
  const std::lock_guard<std::mutex> hold(wav.lock);
  const size_t width = size_t(wav.format.bits / 8);
  wav.bytes.resize(samples * width);
  if (!seekTo(wav.file, wav.dataOffset + uint64_t(begin) * uint64_t(wav.format.blockAlign))) return;
  const size_t got = std::fread(wav.bytes.data(), 1, wav.bytes.size(), wav.file) / width;
  for (size_t i = 0; i < got; ++i) to[i] = toSample16(wav.bytes.data() + i * width, wav.format);
}

bool parseWav(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error) {
  WavLayout layout;
  if (!walkChunks(ByteSource{data, nullptr, size}, layout, error)) return false;
  const Format& format = layout.format;
  audio.sampleRate = format.sampleRate;
  audio.channels = format.channels;
  audio.title = layout.title;
  audio.samples.resize(size_t(layout.frames) * size_t(format.channels));
  const int bytes = format.bits / 8;
  const uint8_t* samples = data + layout.dataOffset;
  for (size_t i = 0; i < audio.samples.size(); ++i) audio.samples[i] = toSample16(samples + i * bytes, format);
  return true;
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

bool openWavFile(const std::string& path, PcmAudio& audio, std::string& reason) {
  auto wav = std::make_shared<WavFile>();
  wav->file = std::fopen(path.c_str(), "rb");
  if (!wav->file) {
    reason = "cannot open the file";
    return false;
  }
  WavLayout layout;
  if (!walkChunks(ByteSource{nullptr, wav->file, fileSize(wav->file)}, layout, reason)) return false;
  if (layout.frames > SIZE_MAX) {
    reason = "too long for a 32-bit program: " + std::to_string(layout.frames) + " frames";
    return false;
  }
  wav->format = layout.format;
  wav->dataOffset = layout.dataOffset;
  audio.sampleRate = layout.format.sampleRate;
  audio.channels = layout.format.channels;
  audio.title = layout.title;
  audio.samples.clear();
  audio.fileFrames = size_t(layout.frames);
  audio.file = std::move(wav);
  return true;
}

bool readWavFile(const std::string& path, PcmAudio& audio, std::string& error) {
  std::string reason;
  if (openWavFile(path, audio, reason)) return true;
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
