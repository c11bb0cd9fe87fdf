#include "render/circling_lights.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CirclingLights, FastLightsCrossChannelsAndSlowLightsKeepTheirOwn) {
  EffectRecord record{};
  fixCirclingLights(record);
  AudioAnalysis a{};
  a.waveActivity[0] = 0.2;
  a.waveActivity[1] = 0.6;
  a.bandPhase[0][0] = 1.0;
  a.bandPhase[1][0] = 1.0;
  circleLights(record, a);

  // Light 0 follows channel 0 in both place and colour; light 2 moves with channel 0's phase
  // but takes channel 1's activity as its colour.
  EXPECT_DOUBLE_EQ(record.lights[0].position[0], -8 * std::cos(0.4));
  EXPECT_DOUBLE_EQ(record.lights[0].position[2], 8 * std::sin(0.4));
  EXPECT_DOUBLE_EQ(record.lights[0].colour[1], 0.6);
  EXPECT_DOUBLE_EQ(record.lights[2].position[0], -8 * std::cos(1.6));
  EXPECT_DOUBLE_EQ(record.lights[2].position[2], -8 * std::sin(1.6));
  EXPECT_DOUBLE_EQ(record.lights[2].colour[0], 0.6);
  EXPECT_DOUBLE_EQ(record.lights[2].colour[2], 0.8);
  EXPECT_DOUBLE_EQ(record.lights[3].colour[0], 0.2);
  // Phase 0 puts light 1 and 3 on the +x side, lights 0 and 2 (phase 1) elsewhere.
  EXPECT_DOUBLE_EQ(record.lights[1].position[0], 8.0);
  EXPECT_DOUBLE_EQ(record.lights[3].position[0], 8.0);
  for (const LightSpec& light : record.lights) {
    EXPECT_EQ(light.position[1], 4.0);
    EXPECT_EQ(light.attenuation, 0.2);
  }
  EXPECT_EQ(record.lights[0].colour[0], 1.0);
  EXPECT_EQ(record.lights[1].colour[2], 0.0);
  EXPECT_EQ(record.lights[3].colour[1], 0.0);
}

TEST(CirclingLights, MixesAreCappedAboveButNotBelow) {
  AudioAnalysis a{};
  a.bandEnergy[0][0] = 6;
  a.bandEnergy[1][0] = 30;
  ColourMixes mixes = colourMixes(a);
  EXPECT_DOUBLE_EQ(mixes.low, 0.5);
  EXPECT_EQ(mixes.mid, 1.0);

  EffectRecord record{};
  setLiftedAmbient(record, mixes);
  EXPECT_DOUBLE_EQ(record.ambientColour[0], 1.0);
  EXPECT_DOUBLE_EQ(record.ambientColour[1], 0.8);
  EXPECT_DOUBLE_EQ(record.ambientColour[2], 0.6);
}

}  // namespace
