#include "mp3_stream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t frameSearchLimit = 65536;  // junk allowed between the tag and the first frame

const int bitratesMpeg1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int bitratesMpeg2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int ratesMpeg1[3] = {44100, 48000, 32000};

uint32_t bigEndian(const uint8_t* p, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
  return value;
}

// Four bytes of seven bits each; false when a byte has its top bit set.
bool syncsafe(const uint8_t* p, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (p[i] & 0x80) return false;
    value = value << 7 | p[i];
  }
  return true;
}

bool frameAt(const uint8_t* data, size_t size, size_t at, Mp3FrameHeader& header) {
  return at + 4 <= size && parseMp3FrameHeader(data + at, header);
}

bool hasId3v1(const uint8_t* data, size_t size) { return size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0; }

// Where the tags that close a file begin: an APE tag, an ID3v1 tag, both (APE first), or neither.
size_t audioEndOf(const uint8_t* data, size_t size) {
  size_t end = hasId3v1(data, size) ? size - 128 : size;
  if (end >= 32 && std::memcmp(data + end - 32, "APETAGEX", 8) == 0) {
    const uint8_t* footer = data + end - 32;
    const size_t tagBytes = size_t(footer[12] | footer[13] << 8 | footer[14] << 16 | uint32_t(footer[15]) << 24) +
                            ((footer[23] & 0x80) ? 32 : 0);  // the size leaves out the header, when there is one
    if (tagBytes <= end) end -= tagBytes;
  }
  return end;
}

// An ID3 tag starting at `at`: an ID3v2 tag's whole size, or 128 for an ID3v1 tag; 0 for none.
size_t tagAt(const uint8_t* data, size_t size, size_t at) {
  size_t tagSize = 0;
  std::string ignored;
  if (at + 10 <= size && id3v2TagSize(data + at, size - at, tagSize, ignored) && tagSize > 0) return tagSize;
  return at + 128 <= size && std::memcmp(data + at, "TAG", 3) == 0 ? 128 : 0;
}

// A frame at `at` that is followed by another frame or a tag, or that ends the audio exactly.
bool confirmedFrameAt(const uint8_t* data, size_t size, size_t at, Mp3FrameHeader& header) {
  if (!frameAt(data, size, at, header) || header.frameBytes > size - at) return false;
  const size_t next = at + header.frameBytes;
  Mp3FrameHeader following;
  return next == size || next == audioEndOf(data, size) || frameAt(data, size, next, following) ||
         tagAt(data, size, next) > 0;
}

bool sameShape(const Mp3FrameHeader& a, const Mp3FrameHeader& b) {
  return a.sampleRate == b.sampleRate && a.channels == b.channels;
}

// The next confirmed frame from `from` on, within the search window and before `end`; `end` when
// there is none. A tag found first stops the search there.
size_t nextFrame(const uint8_t* data, size_t size, size_t from, size_t end, Mp3FrameHeader& header) {
  const size_t limit = end - from > frameSearchLimit ? from + frameSearchLimit : end;
  for (size_t at = from; at < limit; ++at)
    if (confirmedFrameAt(data, size, at, header) || tagAt(data, size, at) > 0) return at;
  return end;
}

// Text as code points, up to the first terminator.
std::vector<uint32_t> decodeText(int encoding, const uint8_t* p, size_t size) {
  std::vector<uint32_t> out;
  if (encoding == 1 || encoding == 2) {
    bool little = false;
    if (encoding == 1 && size >= 2 && (p[0] == 0xFF || p[0] == 0xFE) && (p[1] == 0xFF || p[1] == 0xFE)) {
      little = p[0] == 0xFF;
      p += 2;
      size -= 2;
    }
    for (size_t i = 0; i + 1 < size; i += 2) {
      const uint32_t unit = little ? uint32_t(p[i] | p[i + 1] << 8) : uint32_t(p[i] << 8 | p[i + 1]);
      if (unit == 0) break;
      if (unit >= 0xDC00 && unit < 0xE000) continue;  // second half of a pair, already counted
      out.push_back(unit);
    }
    return out;
  }
  for (size_t i = 0; i < size && p[i] != 0;) {
    if (encoding != 3 || p[i] < 0x80) {
      out.push_back(p[i++]);
      continue;
    }
    const int length = p[i] >= 0xF0 ? 4 : p[i] >= 0xE0 ? 3 : p[i] >= 0xC0 ? 2 : 1;
    uint32_t code = length == 1 ? 0xFFFD : p[i] & (0x7F >> length);
    size_t j = i + 1;
    for (; j < i + size_t(length) && j < size && (p[j] & 0xC0) == 0x80; ++j) code = code << 6 | (p[j] & 0x3F);
    out.push_back(j == i + size_t(length) ? code : 0xFFFD);
    i = j;
  }
  return out;
}

// Code points as UTF-8, trimmed of spaces; what is no character (a surrogate, a bad sequence)
// becomes '?', and so does a character beyond the first plane, which no ANSI code page has.
std::string utf8(const std::vector<uint32_t>& text) {
  std::string out;
  for (uint32_t c : text) {
    if (c == 0 || c == 0xFFFD || (c >= 0xD800 && c < 0xE000) || c > 0xFFFF) out.push_back('?');
    else if (c < 0x80) out.push_back(char(c));
    else if (c < 0x800) out += {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
    else out += {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
  }
  const size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

std::string joinTitle(const std::string& artist, const std::string& title) {
  if (title.empty()) return {};
  return artist.empty() ? title : artist + " - " + title;
}

// TIT2 / TPE1 (TT2 / TP1) inside an ID3v2 tag of `tagSize` bytes at `p`.
std::string id3v2Title(const uint8_t* p, size_t tagSize) {
  const int major = p[3];
  const bool small = major == 2;
  const size_t headerBytes = small ? 6 : 10;
  size_t at = 10;
  if (!small && (p[5] & 0x40) && tagSize >= 14) {  // an extended header before the frames
    uint32_t extended = 0;
    if (major == 3) extended = bigEndian(p + 10, 4) + 4;  // its size leaves out the size field
    else if (!syncsafe(p + 10, extended)) return {};
    if (extended > tagSize - at) return {};
    at += extended;
  }
  std::string title, artist;
  while (at + headerBytes <= tagSize && p[at] != 0) {
    const std::string id(reinterpret_cast<const char*>(p + at), small ? 3 : 4);
    uint32_t length = bigEndian(p + at + (small ? 3 : 4), small ? 3 : 4);
    if (major == 4 && !syncsafe(p + at + 4, length)) break;
    if (length > tagSize - at - headerBytes) break;
    const uint8_t* body = p + at + headerBytes;
    size_t bodySize = length;
    const uint8_t formatFlags = small ? 0 : p[at + 9];
    const bool packed = major == 3 ? (formatFlags & 0xC0) != 0 : major == 4 && (formatFlags & 0x0C) != 0;
    if (major == 4 && (formatFlags & 0x01) && bodySize >= 4) {  // a data length indicator comes first
      body += 4;
      bodySize -= 4;
    }
    const bool isTitle = id == "TIT2" || id == "TT2";
    const bool isArtist = id == "TPE1" || id == "TP1";
    if ((isTitle || isArtist) && !packed && bodySize >= 1) {
      const std::string text = utf8(decodeText(body[0], body + 1, bodySize - 1));
      (isTitle ? title : artist) = text;
    }
    at += headerBytes + length;
  }
  return joinTitle(artist, title);
}

std::string id3v1Field(const uint8_t* p, size_t length) {
  return utf8(decodeText(0, p, strnlen(reinterpret_cast<const char*>(p), length)));
}

}  // namespace

bool parseMp3FrameHeader(const uint8_t* p, Mp3FrameHeader& header) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int versionBits = (p[1] >> 3) & 3;
  const int layerBits = (p[1] >> 1) & 3;
  const int bitrateIndex = p[2] >> 4;
  const int rateIndex = (p[2] >> 2) & 3;
  if (versionBits == 1 || layerBits != 1 || rateIndex == 3 || (p[3] & 3) == 2) return false;
  const bool mpeg1 = versionBits == 3;
  header.mpegVersion = mpeg1 ? 10 : versionBits == 2 ? 20 : 25;
  header.bitrateKbps = (mpeg1 ? bitratesMpeg1 : bitratesMpeg2)[bitrateIndex];
  if (header.bitrateKbps == 0) return false;
  header.sampleRate = ratesMpeg1[rateIndex] / (mpeg1 ? 1 : versionBits == 2 ? 2 : 4);
  header.channels = (p[3] >> 6) == 3 ? 1 : 2;
  header.samplesPerFrame = mpeg1 ? 1152 : 576;
  const size_t padding = (p[2] >> 1) & 1;
  header.frameBytes = size_t(header.samplesPerFrame / 8) * size_t(header.bitrateKbps) * 1000 /
                          size_t(header.sampleRate) + padding;
  return true;
}

bool id3v2TagSize(const uint8_t* data, size_t size, size_t& tagSize, std::string& error) {
  tagSize = 0;
  if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return true;
  uint32_t body = 0;
  if (data[3] < 2 || data[3] > 4 || !syncsafe(data + 6, body)) {
    error = "damaged ID3v2 tag header";
    return false;
  }
  const size_t total = 10 + size_t(body) + ((data[5] & 0x10) ? 10 : 0);
  if (total > size) {
    error = "the ID3v2 tag claims " + std::to_string(total) + " bytes, the file has " + std::to_string(size);
    return false;
  }
  tagSize = total;
  return true;
}

bool scanMp3Stream(const uint8_t* data, size_t size, Mp3Stream& stream, std::string& error) {
  if (size == 0) {
    error = "the file is empty";
    return false;
  }
  size_t tagSize = 0;
  if (!id3v2TagSize(data, size, tagSize, error)) return false;
  size_t at = tagSize;
  Mp3FrameHeader header;
  const size_t searchEnd = size - at > frameSearchLimit ? at + frameSearchLimit : size;
  while (at < searchEnd && !confirmedFrameAt(data, size, at, header)) ++at;
  if (at >= searchEnd) {
    error = "no MPEG layer III audio frames";
    return false;
  }
  stream = Mp3Stream{};
  stream.begin = at;
  stream.first = header;
  const size_t audioEnd = std::max(audioEndOf(data, size), at);
  size_t runStart = at;
  while (at < audioEnd) {
    if (frameAt(data, size, at, header) && sameShape(header, stream.first) && header.frameBytes <= size - at) {
      at += header.frameBytes;
      ++stream.frames;
      continue;
    }
    if (frameAt(data, size, at, header) && header.frameBytes > size - at && at + header.frameBytes >= audioEnd) {
      error = "truncated: frame " + std::to_string(stream.frames + 1) + " needs " + std::to_string(header.frameBytes) +
              " bytes, " + std::to_string(size - at) + " are left";
      return false;
    }
    if (at > runStart) stream.runs.emplace_back(runStart, at);
    stream.end = at;
    if (confirmedFrameAt(data, size, at, header)) {  // another sample rate or channel count
      stream.changeSeconds = double(stream.frames) * stream.first.samplesPerFrame / stream.first.sampleRate;
      stream.changedTo = header;
      return true;
    }
    if (const size_t tag = tagAt(data, size, at); tag > 0) {
      at = std::min(at + tag, audioEnd);
    } else {
      const size_t next = nextFrame(data, size, at + 1, audioEnd, header);
      stream.skippedBytes += next - at;
      at = next;
    }
    runStart = at;
  }
  if (at > runStart) stream.runs.emplace_back(runStart, std::min(at, size));
  if (stream.runs.empty()) {  // the only frames lie inside the tags that close the file
    error = "no MPEG layer III audio frames";
    return false;
  }
  stream.end = stream.runs.back().second;
  return true;
}

std::string mp3StreamNotice(const Mp3Stream& stream) {
  std::string notice;
  if (stream.skippedBytes > 0)
    notice = "skipped " + std::to_string(stream.skippedBytes) + " bytes that are not audio (damage, or files joined)";
  if (stream.changeSeconds >= 0) {
    char text[160];
    std::snprintf(text, sizeof text, "changes from %d Hz %s to %d Hz %s at %.1f s; it plays up to there",
                  stream.first.sampleRate, stream.first.channels == 1 ? "mono" : "stereo", stream.changedTo.sampleRate,
                  stream.changedTo.channels == 1 ? "mono" : "stereo", stream.changeSeconds);
    notice += (notice.empty() ? "" : "; ") + std::string(text);
  }
  return notice;
}

bool looksLikeMp3(const uint8_t* data, size_t size) {
  if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) return true;
  Mp3FrameHeader header;
  return confirmedFrameAt(data, size, 0, header);
}

std::string mp3Title(const uint8_t* data, size_t size) {
  size_t tagSize = 0;
  std::string ignored;
  if (id3v2TagSize(data, size, tagSize, ignored) && tagSize > 0) {
    const std::string title = id3v2Title(data, tagSize);
    if (!title.empty()) return title;
  }
  if (!hasId3v1(data, size)) return {};
  const uint8_t* tag = data + size - 128;
  return joinTitle(id3v1Field(tag + 33, 30), id3v1Field(tag + 3, 30));
}
