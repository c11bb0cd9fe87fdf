// libFuzzer target: arbitrary bytes as an MP3 file: the ID3 tags, the frame scan and the title.
#include <cstdint>
#include <string>

#include "mp3_stream.h"

namespace {

bool saneHeader(const Mp3FrameHeader& h) {
  // The smallest layer III frame is 24 bytes (MPEG-2, 8 kbit/s, 24 kHz), the largest 1441.
  return (h.channels == 1 || h.channels == 2) && h.frameBytes >= 24 && h.frameBytes <= 1441 &&
         h.sampleRate >= 8000 && h.sampleRate <= 48000 && (h.samplesPerFrame == 576 || h.samplesPerFrame == 1152);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Mp3Stream stream;
  std::string error;
  if (scanMp3Stream(data, size, stream, error)) {
    if (stream.frames == 0 || stream.begin >= stream.end || stream.end > size || !saneHeader(stream.first))
      __builtin_trap();
    if (stream.end - stream.begin < stream.frames * 24) __builtin_trap();
  } else if (error.empty() || error.find('\n') != std::string::npos) {
    __builtin_trap();
  }
  for (size_t at = 0; at + 4 <= size && at < 64; ++at) {
    Mp3FrameHeader header;
    if (parseMp3FrameHeader(data + at, header) && !saneHeader(header)) __builtin_trap();
  }
  (void)looksLikeMp3(data, size);
  // The title is UTF-8: a Latin-1 character of the tag takes up to two bytes there.
  const std::string title = mp3Title(data, size);
  if (title.find('\0') != std::string::npos || title.size() > 2 * size) __builtin_trap();
  return 0;
}
