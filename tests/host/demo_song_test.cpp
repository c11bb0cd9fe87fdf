#include "demo_song.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "vis_audio.h"

namespace {

// Energy of the bass end of channel 0's spectrum at second `t`.
int bassLevel(const PcmAudio& song, double t) {
  VisAudio audio;
  takeVisAudio(song, int64_t(t * song.sampleRate), 2, 2, audio);
  int sum = 0;
  for (int e = 0; e < 8; ++e) sum += audio.spectrum[0][e];
  return sum;
}

}  // namespace

TEST(DemoSong, IsNinetySixSecondsOfStereoWithoutHardClipping) {
  const PcmAudio song = synthesiseDemoSong();
  EXPECT_EQ(song.sampleRate, 44100);
  EXPECT_EQ(song.channels, 2);
  EXPECT_EQ(song.frameCount(), size_t(96 * 44100));
  size_t peaks = 0;
  double energy = 0;
  for (int16_t v : song.samples) {
    peaks += std::abs(v) >= 32000;
    energy += double(v) * v;
  }
  EXPECT_EQ(peaks, 0u);
  EXPECT_GT(std::sqrt(energy / double(song.samples.size())), 3000.0);  // loud enough to drive the pictures
}

TEST(DemoSong, KicksGiveClearBeatsInTheBass) {
  const PcmAudio song = synthesiseDemoSong(12);
  for (double beat : {2.0, 8.0, 9.5, 15.0, 20.5}) {  // a kick on every half second
    EXPECT_GT(bassLevel(song, beat + 0.02), 2 * bassLevel(song, beat + 0.2)) << beat;
  }
}

TEST(DemoSong, SectionsDifferAndTheWavImageReadsBack) {
  const PcmAudio song = synthesiseDemoSong(16);
  // The melody enters at bar 12 (24 s): the band of its notes (about 500 Hz to 1.5 kHz) rises.
  auto melodyBand = [&](double from) {
    double sum = 0;
    for (double t = from; t < from + 4; t += 0.1) {
      VisAudio audio;
      takeVisAudio(song, int64_t(t * 44100), 2, 2, audio);
      for (int e = 12; e < 36; ++e) sum += audio.spectrum[1][e];
    }
    return sum;
  };
  EXPECT_GT(melodyBand(24), 2 * melodyBand(20));
  const std::vector<uint8_t> image = wavImage(song);
  PcmAudio back;
  std::string error;
  ASSERT_TRUE(parseWav(image.data(), image.size(), back, error)) << error;
  EXPECT_EQ(back.samples, song.samples);
}
