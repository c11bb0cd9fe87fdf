#include "frame_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "vis_audio.h"

#ifdef HAVE_QUORBEL_CORE
#include "beat_detector.h"
#include "frame_reader.h"
#endif

namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void rampSpectrum(uint8_t spectrum[2][visEntries]) {
  for (int c = 0; c < 2; ++c)
    for (int e = 0; e < visEntries; ++e) spectrum[c][e] = uint8_t((e * 7 + c * 100) % 256);
}

}  // namespace

TEST(FrameFile, HoldsEveryOtherEntryOfEachChannelAsText) {
  uint8_t spectrum[2][visEntries];
  rampSpectrum(spectrum);
  std::istringstream in(formatFrameFile(spectrum));
  std::vector<int> values;
  for (int v; in >> v;) values.push_back(v);
  ASSERT_EQ(values.size(), 576u);
  for (int c = 0; c < 2; ++c)
    for (int k = 0; k < frameFileValues; ++k) ASSERT_EQ(values[size_t(c * 288 + k)], spectrum[c][2 * k]);
}

TEST(FrameFile, ReplacesTheFileWholeAndLeavesNoTemporary) {
  const std::string path = ::testing::TempDir() + "vishost-frame.txt";
  std::string error;
  ASSERT_TRUE(replaceFileAtomically(path, "old frame, longer than the new one\n", error)) << error;
  ASSERT_TRUE(replaceFileAtomically(path, "1 2 3\n", error)) << error;
  EXPECT_EQ(slurp(path), "1 2 3\n");
  EXPECT_EQ(std::fopen((path + ".tmp").c_str(), "rb"), nullptr);
  EXPECT_FALSE(replaceFileAtomically("/nonexistent-folder/data.txt", "1\n", error));
  EXPECT_EQ(error, "/nonexistent-folder/data.txt.tmp: cannot create the file");
  std::remove(path.c_str());
}

#ifdef HAVE_QUORBEL_CORE
TEST(FrameFile, TheViewersReaderGetsTheBandLevelsOfTheSpectrum) {
  PcmAudio song{44100, 1, std::vector<int16_t>(4096), "", {}, 0, ""};
  for (size_t i = 0; i < song.samples.size(); ++i)
    song.samples[i] = int16_t(12000 * std::sin(i * 0.3) + 9000 * std::sin(i * 1.9) + (i * 7919 % 4000));
  VisAudio audio;
  takeVisAudio(song, 700, 2, 2, audio);
  const std::string path = ::testing::TempDir() + "vishost-quorbel.txt";
  std::string error;
  ASSERT_TRUE(replaceFileAtomically(path, formatFrameFile(audio.spectrum), error)) << error;
  ASSERT_TRUE(readSpectrumFile(path.c_str()));
  computeBandLevels();
  for (int b = 0; b < 8; ++b) {
    int sum = 0;
    for (int k = 36 * b; k < 36 * b + 36; ++k) sum += audio.spectrum[0][2 * k];
    EXPECT_EQ(beat.bandLevel[b], sum / 36) << "band " << b;
  }
  EXPECT_GT(beat.bandLevel[0] + beat.bandLevel[1] + beat.bandLevel[2], 0);
  std::remove(path.c_str());
}
#endif
