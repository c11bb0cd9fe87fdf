#include "render/audio_analysis.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

VisModule silentModule(int channels) {
  VisModule module{};
  module.nCh = channels;
  std::memset(module.waveformData, 128, sizeof module.waveformData);
  return module;
}

TEST(AudioAnalysis, SilenceDecaysEnergiesAndStillsTheWaveform) {
  AudioAnalysis a{};
  a.bandEnergy[0][0] = 10;
  a.bandEnergy[1][1] = 4;
  a.waveActivity[0] = 0.5;
  const VisModule module = silentModule(2);
  analyseWaveform(module, a);
  analyseSpectrum(module, a);
  EXPECT_EQ(a.waveActivity[0], 0.0);
  EXPECT_DOUBLE_EQ(a.bandEnergy[0][0], 9.5);
  EXPECT_DOUBLE_EQ(a.bandEnergy[1][1], 3.8);
  EXPECT_DOUBLE_EQ(a.bandPhase[0][0], 0.5);  // 0.05 x the energy before decay
  EXPECT_DOUBLE_EQ(a.totalEnergy, (9.5 + 3.8) * 0.25);
}

TEST(AudioAnalysis, AlternatingExtremesGiveFullActivityAndSingleStepsCountOne) {
  VisModule module = silentModule(1);
  for (int k = 0; k < 576; ++k) module.waveformData[0][k] = (k % 2) ? 255 : 0;
  AudioAnalysis a{};
  analyseWaveform(module, a);
  EXPECT_EQ(a.waveActivity[0], 1.0);
  EXPECT_EQ(a.waveActivity[1], 1.0);

  // 127 -> 128 is a step of one unsigned unit: 288 such steps make a quotient of 1.
  for (int k = 0; k < 576; ++k) module.waveformData[0][k] = (k % 2) ? 128 : 127;
  analyseWaveform(module, a);
  EXPECT_EQ(a.waveActivity[0], 1 * 0.0078125);  // 575 / 288 = 1

  // Steps up to the last sample count: 128 + 200 = 328, a quotient of 1 only with the last pair.
  std::memset(module.waveformData[0], 128, 576);
  module.waveformData[0][574] = 0;
  module.waveformData[0][575] = 200;
  analyseWaveform(module, a);
  EXPECT_EQ(a.waveActivity[0], 0.0078125);
}

TEST(AudioAnalysis, MonoAfterStereoFreezesChannelOneEnergiesAndMirrorsPhases) {
  VisModule module = silentModule(2);
  module.spectrumData[1][0] = 200;
  module.spectrumData[1][30] = 100;
  AudioAnalysis a{};
  analyseSpectrum(module, a);
  const double frozen0 = a.bandEnergy[0][1], frozen1 = a.bandEnergy[1][1];
  ASSERT_GT(frozen0, 0);

  module.nCh = 1;
  module.spectrumData[0][0] = 255;
  analyseSpectrum(module, a);
  EXPECT_EQ(a.bandEnergy[0][1], frozen0);
  EXPECT_EQ(a.bandEnergy[1][1], frozen1);
  EXPECT_EQ(a.bandPhase[0][1], a.bandPhase[0][0]);
  EXPECT_EQ(a.bandPhase[1][1], a.bandPhase[1][0]);
  EXPECT_DOUBLE_EQ(a.totalEnergy, (a.bandEnergy[0][0] + a.bandEnergy[1][0]) * 0.5);
}

TEST(AudioAnalysis, ChannelCountsOutsideOneAndTwo) {
  VisModule module = silentModule(0);
  AudioAnalysis a{};
  a.bandEnergy[0][0] = 3;
  a.waveActivity[0] = 0.25;
  analyseWaveform(module, a);
  analyseSpectrum(module, a);
  EXPECT_EQ(a.bandEnergy[0][0], 3);  // untouched
  EXPECT_EQ(a.waveActivity[0], 0.25);
  EXPECT_EQ(a.totalEnergy, 0);

  // Seven channels read as two: the result equals a stereo analysis.
  module = silentModule(7);
  module.spectrumData[1][32] = 255;
  AudioAnalysis seven{}, stereo{};
  analyseSpectrum(module, seven);
  module.nCh = 2;
  analyseSpectrum(module, stereo);
  EXPECT_EQ(std::memcmp(&seven, &stereo, sizeof seven), 0);
}

TEST(AudioAnalysis, StereoChannelsAreMeasuredApartAndExtraChannelsAreIgnored) {
  VisModule module = silentModule(2);
  for (int k = 0; k < 576; ++k) module.waveformData[1][k] = (k % 2) ? 200 : 100;
  AudioAnalysis a{};
  a.waveActivity[0] = 0.5;
  analyseWaveform(module, a);
  EXPECT_EQ(a.waveActivity[0], 0.0);
  EXPECT_EQ(a.waveActivity[1], 1.0);  // quotient 575 x 100 / 288 = 199, clamped to 128

  for (int k = 0; k < 576; ++k) module.waveformData[1][k] = (k % 4 == 1) ? 140 : 128;  // 144 spikes: 288 steps of 12
  module.nCh = 7;
  analyseWaveform(module, a);
  EXPECT_EQ(a.waveActivity[1], 12 * 0.0078125);
  EXPECT_EQ(a.waveActivity[0], 0.0);
}

TEST(AudioAnalysis, OneFrameAddsTheBinPairOverTwoHundredFiftySixThenDecays) {
  VisModule module = silentModule(1);
  module.spectrumData[0][30] = 100;
  module.spectrumData[0][32] = 28;  // band 1: (100 + 28) / 256 = 0.5
  module.spectrumData[0][1] = 255;  // between band 0's bins: ignored
  AudioAnalysis a{};
  analyseSpectrum(module, a);
  // Within single-precision rounding of the step.
  EXPECT_NEAR(a.bandPhase[1][0], 0.05 * 0.5, 1e-7);
  EXPECT_NEAR(a.bandEnergy[1][0], 0.5 * 0.95, 1e-7);
  EXPECT_EQ(a.bandEnergy[0][0], 0.0);
  EXPECT_EQ(a.bandPhase[1][1], a.bandPhase[1][0]);
  EXPECT_NEAR(a.totalEnergy, 0.5 * 0.95 * 0.5, 1e-7);  // mono: the mean of two energies
}

TEST(AudioAnalysis, SteadyToneSettlesAtNineteenTimesTheStep) {
  VisModule module = silentModule(2);
  module.spectrumData[0][0] = module.spectrumData[0][2] = 255;
  AudioAnalysis a{};
  for (int i = 0; i < 1000; ++i) analyseSpectrum(module, a);
  EXPECT_NEAR(a.bandEnergy[0][0], 19.0 * 510 / 256, 1e-3);
}

}  // namespace
