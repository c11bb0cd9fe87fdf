#include "wav_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

void put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}
void put(std::vector<uint8_t>& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }

// A WAV image with one fmt chunk (16 bytes, or 40 for the extensible form) and `data`.
std::vector<uint8_t> wav(uint16_t tag, int channels, int rate, int bits, const std::vector<uint8_t>& data,
                         bool extensible = false) {
  std::vector<uint8_t> fmt;
  put(fmt, extensible ? 0xFFFE : tag, 2);
  put(fmt, uint32_t(channels), 2);
  put(fmt, uint32_t(rate), 4);
  put(fmt, uint32_t(rate * channels * bits / 8), 4);
  put(fmt, uint32_t(channels * bits / 8), 2);
  put(fmt, uint32_t(bits), 2);
  if (extensible) {
    put(fmt, 22, 2);
    put(fmt, uint32_t(bits), 2);
    put(fmt, 3, 4);
    put(fmt, tag, 2);
    fmt.resize(40, 0);
  }
  std::vector<uint8_t> out;
  put(out, "RIFF");
  put(out, uint32_t(4 + 8 + fmt.size() + 8 + data.size()), 4);
  put(out, "WAVEfmt ");
  put(out, uint32_t(fmt.size()), 4);
  out.insert(out.end(), fmt.begin(), fmt.end());
  put(out, "data");
  put(out, uint32_t(data.size()), 4);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

PcmAudio parsed(const std::vector<uint8_t>& image) {
  PcmAudio audio;
  std::string error;
  EXPECT_TRUE(parseWav(image.data(), image.size(), audio, error)) << error;
  return audio;
}

std::string failure(const std::vector<uint8_t>& image) {
  PcmAudio audio;
  std::string error;
  EXPECT_FALSE(parseWav(image.data(), image.size(), audio, error));
  EXPECT_EQ(error.find('\n'), std::string::npos);
  return error;
}

}  // namespace

TEST(WavReader, ReadsEveryPcmWidthAsSixteenBit) {
  // Each format holds the same two samples: half scale up, quarter scale down.
  EXPECT_EQ(parsed(wav(1, 1, 8000, 8, {192, 96})).samples, (std::vector<int16_t>{16384, -8192}));
  EXPECT_EQ(parsed(wav(1, 1, 8000, 16, {0x00, 0x40, 0x00, 0xE0})).samples, (std::vector<int16_t>{16384, -8192}));
  EXPECT_EQ(parsed(wav(1, 1, 8000, 24, {0x12, 0x00, 0x40, 0x34, 0x00, 0xE0})).samples,
            (std::vector<int16_t>{16384, -8192}));
  EXPECT_EQ(parsed(wav(1, 1, 8000, 32, {0, 0x12, 0x00, 0x40, 0, 0x34, 0x00, 0xE0})).samples,
            (std::vector<int16_t>{16384, -8192}));
}

TEST(WavReader, ReadsFloatWithClampingAndExtensibleHeaders) {
  std::vector<uint8_t> data;
  for (float v : {0.5f, -0.25f, 2.0f, -3.0f}) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    put(data, bits, 4);
  }
  EXPECT_EQ(parsed(wav(3, 2, 48000, 32, data)).samples, (std::vector<int16_t>{16384, -8192, 32767, -32768}));
  const PcmAudio extensible = parsed(wav(1, 2, 22050, 16, {1, 0, 2, 0}, true));
  EXPECT_EQ(extensible.channels, 2);
  EXPECT_EQ(extensible.sampleRate, 22050);
  EXPECT_EQ(extensible.frameCount(), 1u);
}

TEST(WavReader, TakesTheTitleFromInfoTags) {
  std::vector<uint8_t> image = wav(1, 1, 8000, 16, {0, 0});
  std::vector<uint8_t> list;
  put(list, "LIST");
  put(list, 4 + 8 + 6 + 8 + 4, 4);
  put(list, "INFOINAM");
  put(list, 6, 4);
  list.insert(list.end(), {'T', 'i', 'd', 'e', 's', 0});
  put(list, "IART");
  put(list, 4, 4);
  list.insert(list.end(), {'M', 'o', 'o', 0});
  image.insert(image.begin() + 12, list.begin(), list.end());
  EXPECT_EQ(parsed(image).title, "Moo - Tides");
  image[23] = 'X';  // a LIST of type "INFX" holds no INFO tags
  EXPECT_EQ(parsed(image).title, "");
  EXPECT_EQ(titleFromPath("C:\\music\\01 Night.drive.wav"), "01 Night.drive");
  EXPECT_EQ(titleFromPath("/home/x/.hidden"), ".hidden");
}

TEST(WavReader, RejectsBadFilesWithOneLine) {
  const std::vector<uint8_t> good = wav(1, 2, 44100, 16, std::vector<uint8_t>(400, 7));
  EXPECT_EQ(failure({}), "the file is empty");
  EXPECT_EQ(failure({'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "not a RIFF WAVE file");
  EXPECT_EQ(failure(std::vector<uint8_t>(good.begin(), good.begin() + 10)), "not a RIFF WAVE file");
  std::vector<uint8_t> otherForm = good;
  otherForm[3] = 'X';  // "RIFX", the big-endian container
  EXPECT_EQ(failure(otherForm), "not a RIFF WAVE file");
  otherForm[3] = 'F';
  otherForm[11] = 'X';  // RIFF of form "WAVX"
  EXPECT_EQ(failure(otherForm), "not a RIFF WAVE file");
  EXPECT_EQ(failure(std::vector<uint8_t>(good.begin(), good.end() - 100)), "truncated: the data chunk holds 300 of 400 bytes");
  std::vector<uint8_t> hugeHeader = good;
  hugeHeader[16] = hugeHeader[17] = hugeHeader[18] = hugeHeader[19] = 0xFF;  // fmt chunk of 4 GiB
  EXPECT_NE(failure(hugeHeader).find("past the end"), std::string::npos);
  hugeHeader[13] = '\n';  // a chunk id with control bytes still makes one printable line
  hugeHeader[14] = 0;
  EXPECT_EQ(failure(hugeHeader).rfind("chunk 'f?? ' claims ", 0), 0u);
  EXPECT_NE(failure(wav(2, 1, 8000, 4, {0, 0})).find("unsupported"), std::string::npos);  // ADPCM
  // The extensible tag in a 16-byte chunk: no sub-format follows (the bytes after it are audio).
  EXPECT_EQ(failure(wav(0xFFFE, 1, 8000, 16, {1, 0, 2, 0})), "unsupported sample format (tag 65534, 16 bits)");
  EXPECT_NE(failure(wav(1, 6, 8000, 16, std::vector<uint8_t>(12))).find("channels"), std::string::npos);
  EXPECT_EQ(failure(wav(1, 1, 8000, 16, {})), "no audio in the data chunk");
  EXPECT_EQ(failure(std::vector<uint8_t>(good.begin(), good.begin() + 36)), "no data chunk");
  EXPECT_EQ(failure(std::vector<uint8_t>(good.begin(), good.begin() + 12)), "no format chunk") << "a bare header";
}

TEST(WavReader, NamesTheFileThatCannotBeRead) {
  PcmAudio audio;
  std::string error;
  EXPECT_FALSE(readWavFile("/nonexistent/song.wav", audio, error));
  EXPECT_EQ(error, "/nonexistent/song.wav: cannot open the file");
  const std::string path = ::testing::TempDir() + "empty.wav";
  std::fclose(std::fopen(path.c_str(), "wb"));
  EXPECT_FALSE(readWavFile(path, audio, error));
  EXPECT_EQ(error, path + ": the file is empty");
}

// A file is read from disk as it plays, titled by INFO tags after the audio; a damaged chunk
// after the tags leaves the audio playing. Beyond 4 GiB a RIFF file cannot say where its audio
// ends: a clear message (RF64 files say it in their "ds64" chunk).
TEST(WavReader, FileIsReadAsItPlaysTitledByTagsAfterTheAudioUpToWhatRiffCanHold) {
  std::vector<uint8_t> data;
  for (int i = 0; i < 3000; ++i) put(data, uint32_t(uint16_t(i)) | uint32_t(uint16_t(-i)) << 16, 4);
  std::vector<uint8_t> image = wav(1, 2, 44100, 16, data);
  put(image, "LIST");
  put(image, 4 + 8 + 6, 4);
  put(image, "INFOINAM");
  put(image, 6, 4);
  put(image, "After");
  image.push_back(0);
  put(image, "junk");
  put(image, 99999, 4);  // runs past the end
  const std::string path = ::testing::TempDir() + "after.wav";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(image.data(), 1, image.size(), file);
  std::fclose(file);
  PcmAudio audio;
  std::string error;
  ASSERT_TRUE(readWavFile(path, audio, error)) << error;
  EXPECT_EQ(audio.title, "After");
  EXPECT_EQ(audio.frameCount(), 3000u);
  EXPECT_TRUE(audio.samples.empty()) << "not held in memory";
  int16_t frames[8];
  readPcmFrames(audio, 2998, 4, frames);  // two frames of audio, then silence past the end
  EXPECT_EQ(std::vector<int16_t>(frames, frames + 8), (std::vector<int16_t>{2998, -2998, 2999, -2999, 0, 0, 0, 0}));

  ASSERT_EQ(truncate(path.c_str(), (off_t(1) << 32) + 4096), 0);  // sparse: no disk space
  EXPECT_FALSE(readWavFile(path, audio, error));
  EXPECT_EQ(error, path + ": larger than 4 GiB, more than a RIFF WAVE file can describe (an RF64 file can)");
  std::remove(path.c_str());
}
