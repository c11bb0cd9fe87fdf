#include "mp3_decoder.h"

// clang-format off
#include <windows.h>
#include <mmreg.h>
#include <msacm.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "mp3_stream.h"

namespace {

constexpr size_t largestDecoded = size_t(1) << 30;  // 1 GiB of PCM: about 100 minutes at 44.1 kHz stereo
constexpr DWORD inputChunk = 32768;
constexpr DWORD smallestOutput = 2 << 20;  // room for what a chunk of the lowest bitrate decodes to

std::string acmFailure(const char* what, MMRESULT result) {
  return std::string(what) + " failed (ACM error " + std::to_string(result) + ")";
}

struct AcmStream {
  HACMSTREAM handle = nullptr;
  ~AcmStream() {
    if (handle) acmStreamClose(handle, 0);
  }
};

bool openDecoder(const Mp3FrameHeader& first, AcmStream& stream, std::string& error) {
  MPEGLAYER3WAVEFORMAT source = {};
  source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  source.wfx.nChannels = WORD(first.channels);
  source.wfx.nSamplesPerSec = DWORD(first.sampleRate);
  source.wfx.nAvgBytesPerSec = DWORD(first.bitrateKbps) * 125;
  source.wfx.nBlockAlign = 1;
  source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  source.wID = MPEGLAYER3_ID_MPEG;
  source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  source.nBlockSize = WORD(first.frameBytes);
  source.nFramesPerBlock = 1;
  WAVEFORMATEX pcm = {};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  pcm.nChannels = WORD(first.channels);
  pcm.nSamplesPerSec = DWORD(first.sampleRate);
  pcm.wBitsPerSample = 16;
  const DWORD keep = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                     ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
  MMRESULT result = acmFormatSuggest(nullptr, &source.wfx, &pcm, sizeof pcm, keep);
  if (result != 0) {
    error = "the platform has no MP3 decoder for " + std::to_string(first.sampleRate) + " Hz (ACM error " +
            std::to_string(result) + ")";
    return false;
  }
  if (pcm.wFormatTag != WAVE_FORMAT_PCM || pcm.wBitsPerSample != 16 || pcm.nChannels != first.channels) {
    error = "the platform's MP3 decoder offers no 16-bit output";
    return false;
  }
  result = acmStreamOpen(&stream.handle, nullptr, &source.wfx, &pcm, nullptr, 0, 0, 0);
  if (result != 0) {
    stream.handle = nullptr;
    error = acmFailure("opening the MP3 decoder", result);
    return false;
  }
  return true;
}

// Feeds the frames to the decoder in chunks and collects its output, at most `limit` samples.
bool convert(HACMSTREAM stream, const uint8_t* in, size_t inSize, size_t limit, std::vector<int16_t>& pcm,
             std::string& error) {
  DWORD outCapacity = 0;
  if (acmStreamSize(stream, inputChunk, &outCapacity, ACM_STREAMSIZEF_SOURCE) != 0) outCapacity = 0;
  outCapacity = std::max(outCapacity, smallestOutput);
  std::vector<BYTE> source(inputChunk), output(outCapacity);
  ACMSTREAMHEADER header = {};
  header.cbStruct = sizeof header;
  header.pbSrc = source.data();
  header.cbSrcLength = inputChunk;
  header.pbDst = output.data();
  header.cbDstLength = outCapacity;
  MMRESULT result = acmStreamPrepareHeader(stream, &header, 0);
  if (result != 0) {
    error = acmFailure("preparing the MP3 decoder", result);
    return false;
  }
  size_t fed = 0;
  DWORD pending = 0;
  DWORD flags = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  for (bool done = false; !done && error.empty();) {
    const DWORD take = DWORD(std::min<size_t>(inputChunk - pending, inSize - fed));
    std::memcpy(source.data() + pending, in + fed, take);
    fed += take;
    const bool last = fed == inSize;
    if (last) flags = (flags & ACM_STREAMCONVERTF_START) | ACM_STREAMCONVERTF_END;
    header.cbSrcLength = pending + take;
    result = acmStreamConvert(stream, &header, flags);
    flags = ACM_STREAMCONVERTF_BLOCKALIGN;
    if (result != 0) {
      error = acmFailure("decoding", result);
      break;
    }
    const bool progress = header.cbSrcLengthUsed > 0 || header.cbDstLengthUsed > 0;
    const size_t samples = header.cbDstLengthUsed / 2;
    if (pcm.size() + samples > limit) {
      error = "the decoder gave more audio than the frames hold";
    } else {
      pcm.resize(pcm.size() + samples);
      std::memcpy(pcm.data() + pcm.size() - samples, output.data(), samples * 2);
    }
    pending = header.cbSrcLength - std::min(header.cbSrcLengthUsed, header.cbSrcLength);
    std::memmove(source.data(), source.data() + header.cbSrcLength - pending, pending);
    if (!progress && !last) error = "the decoder stopped taking frames";
    done = last && header.cbDstLengthUsed == 0;  // drained
  }
  header.cbSrcLength = inputChunk;
  header.cbDstLength = outCapacity;
  acmStreamUnprepareHeader(stream, &header, 0);
  return error.empty();
}

}  // namespace

bool decodeMp3(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error) {
  Mp3Stream frames;
  if (!scanMp3Stream(data, size, frames, error)) return false;
  const size_t bytesPerFrame = size_t(frames.first.samplesPerFrame) * size_t(frames.first.channels) * 2;
  if (frames.frames > largestDecoded / bytesPerFrame) {
    error = "too long: " + std::to_string(frames.frames) + " frames decode to more than 1 GiB";
    return false;
  }
  AcmStream stream;
  if (!openDecoder(frames.first, stream, error)) return false;
  std::vector<int16_t>& pcm = audio.samples;
  pcm.clear();
  try {
    // Some room above the frames' own length for decoders that add a frame of lead-in.
    const size_t expected = (frames.frames + 2) * bytesPerFrame / 2;
    pcm.reserve(expected);
    // The runs of frames one after another, without what lay between them.
    std::vector<uint8_t> joined;
    if (frames.runs.size() > 1)
      for (const auto& [begin, end] : frames.runs) joined.insert(joined.end(), data + begin, data + end);
    const uint8_t* in = joined.empty() ? data + frames.begin : joined.data();
    const size_t inSize = joined.empty() ? frames.end - frames.begin : joined.size();
    if (!convert(stream.handle, in, inSize, expected, pcm, error)) return false;
  } catch (const std::bad_alloc&) {
    error = "not enough memory to decode it";
    return false;
  }
  const size_t channels = size_t(frames.first.channels);
  pcm.resize(pcm.size() / channels * channels);
  if (pcm.empty()) {
    error = "the decoder gave no audio";
    return false;
  }
  audio.sampleRate = frames.first.sampleRate;
  audio.channels = frames.first.channels;
  audio.title = mp3Title(data, size);
  audio.notice = mp3StreamNotice(frames);
  return true;
}
