#include "frequency_bins.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <vector>

#include "vis_audio.h"

namespace {

constexpr double pi = 3.14159265358979323846;

std::vector<int16_t> tone(double cyclesPer512, double amplitude, int count = 576) {
  std::vector<int16_t> s(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) s[size_t(i)] = int16_t(std::lround(amplitude * std::sin(2 * pi * cyclesPer512 * i / 512)));
  return s;
}

// The rules written out directly: high bytes, mean removed, Hann window, a plain DFT.
std::vector<int> referenceLevels(const std::vector<int16_t>& s) {
  double mean = 0;
  for (int i = 0; i < 512; ++i) mean += s[size_t(i)] >> 8;
  mean /= 512;
  std::vector<int> levels(256);
  for (int k = 0; k < 256; ++k) {
    std::complex<double> sum = 0;
    for (int n = 0; n < 512; ++n) {
      const double w = 0.5 - 0.5 * std::cos(2 * pi * n / 512);
      sum += ((s[size_t(n)] >> 8) - mean) * w * std::polar(1.0, -2 * pi * k * n / 512);
    }
    levels[size_t(k)] = int(std::min(255.0, std::abs(sum) / 16));
  }
  return levels;
}

std::vector<uint8_t> spectrumOf(const std::vector<int16_t>& s) {
  std::vector<uint8_t> out(visEntries);
  buildSpectrum(s.data(), 1, out.data());
  return out;
}

}  // namespace

TEST(SpectrumBuilder, PureToneLandsInItsBinPair) {
  const std::vector<uint8_t> out = spectrumOf(tone(40, 8000));  // bin 40: entries 80 and 81
  EXPECT_EQ(std::max_element(out.begin(), out.end()) - out.begin(), 81);
  EXPECT_GT(out[80], 100);
  EXPECT_EQ(out[80], (out[79] + out[81]) / 2);  // the mean with bin 39
  for (int e = 0; e < 512; ++e)
    if (e < 76 || e > 85) {
      EXPECT_LE(out[size_t(e)], 2) << "entry " << e;
    }
}

TEST(SpectrumBuilder, SilenceAndConstantOffsetGiveZeros) {
  for (int16_t level : {0, 12000, -20000}) {
    const std::vector<uint8_t> out = spectrumOf(std::vector<int16_t>(576, level));
    EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t v) { return v == 0; })) << level;
  }
  // A loud sample just before the window is not part of it.
  std::vector<int16_t> shifted(577, 0);
  shifted[0] = 32767;
  uint8_t out[visEntries];
  buildSpectrum(shifted.data() + 1, 1, out);
  EXPECT_TRUE(std::all_of(out, out + visEntries, [](uint8_t v) { return v == 0; }));
}

TEST(SpectrumBuilder, FullScaleNoiseMatchesTheRulesAndClampsAt255) {
  std::srand(7);
  std::vector<int16_t> noise(576);
  for (int16_t& v : noise) v = int16_t(std::rand() % 2 ? 32767 : -32768);
  const std::vector<uint8_t> out = spectrumOf(noise);
  const std::vector<int> levels = referenceLevels(noise);
  int clamped = 0;
  for (int k = 0; k < 256; ++k) {
    ASSERT_NEAR(out[size_t(2 * k + 1)], levels[size_t(k)], 1) << "bin " << k;
    clamped += out[size_t(2 * k + 1)] == 255;
  }
  EXPECT_GT(clamped, 0);
  // A full-scale tone is far above 255 before clamping.
  EXPECT_EQ(spectrumOf(tone(100, 32000))[201], 255);
}

TEST(SpectrumBuilder, TailHalvesAtEachStep) {
  const std::vector<uint8_t> out = spectrumOf(tone(255, 30000));
  ASSERT_GT(out[511], 100);
  for (int e = 512; e < visEntries; ++e) EXPECT_EQ(out[size_t(e)], out[size_t(e - 1)] / 2);
}

TEST(SpectrumBuilder, WaveformHoldsSignedHighBytes) {
  const std::vector<int16_t> s = {0x7F00, -32768, 0x0100, -1, 0x00FF};
  std::vector<int16_t> padded(576, 0);
  std::copy(s.begin(), s.end(), padded.begin());
  uint8_t out[visEntries];
  buildWaveform(padded.data(), 1, out);
  EXPECT_EQ(std::vector<int>(out, out + 5), (std::vector<int>{127, 128, 1, 255, 0}));
}

TEST(VisAudio, MonoFeedsBothChannelsAndUnaskedChannelsStayZero) {
  PcmAudio mono{44100, 1, tone(20, 9000, 2000), "", {}, 0, ""};
  VisAudio both, one;
  takeVisAudio(mono, 100, 2, 2, both);
  EXPECT_TRUE(std::equal(both.spectrum[0], both.spectrum[0] + visEntries, both.spectrum[1]));
  EXPECT_TRUE(std::equal(both.waveform[0], both.waveform[0] + visEntries, both.waveform[1]));
  EXPECT_GT(both.spectrum[0][41], 50);
  takeVisAudio(mono, 100, 1, 0, one);
  EXPECT_GT(one.spectrum[0][41], 50);
  EXPECT_TRUE(std::all_of(one.spectrum[1], one.spectrum[1] + visEntries, [](uint8_t v) { return v == 0; }));
  EXPECT_TRUE(std::all_of(one.waveform[0], one.waveform[0] + visEntries, [](uint8_t v) { return v == 0; }));
}

TEST(VisAudio, StereoKeepsChannelsApartAndThePastTheEndIsSilent) {
  PcmAudio stereo{44100, 2, std::vector<int16_t>(2 * 1000), "", {}, 0, ""};
  for (size_t i = 0; i < 1000; ++i) stereo.samples[2 * i + 1] = int16_t(i % 2 ? 20000 : -20000);
  VisAudio audio;
  takeVisAudio(stereo, 0, 2, 2, audio);
  EXPECT_EQ(audio.waveform[0][3], 0);
  EXPECT_EQ(audio.waveform[1][3], uint8_t(20000 >> 8));
  EXPECT_EQ(audio.spectrum[1][511], 255);  // the Nyquist bin of an alternating signal
  takeVisAudio(stereo, 1000, 2, 2, audio);
  EXPECT_TRUE(std::all_of(audio.spectrum[1], audio.spectrum[1] + visEntries, [](uint8_t v) { return v == 0; }));
}
