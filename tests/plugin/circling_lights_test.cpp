#include "render/circling_lights.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CirclingLights, FastLightsCrossChannelsAndTheFixedValuesStay) {
  EffectRecord record{};
  fixCirclingLights(record);
  AudioAnalysis a{};
  a.waveActivity[0] = 0.2;
  a.waveActivity[1] = 0.6;
  a.bandPhase[1][0] = 1.0;
  a.bandEnergy[0][0] = 5.8;  // low mix (5.8 + 0.2) / 12 = 0.5
  a.bandEnergy[1][0] = 30;  // mid mix capped at 1
  applyCirclingLighting(record, a);

  // Light 2 moves with channel 0's band-1 phase but takes channel 1's activity as its colour.
  EXPECT_DOUBLE_EQ(record.lights[2].position[0], -8 * std::cos(1.6));
  EXPECT_DOUBLE_EQ(record.lights[2].position[2], -8 * std::sin(1.6));
  EXPECT_DOUBLE_EQ(record.lights[2].colour[0], 0.6);
  EXPECT_DOUBLE_EQ(record.lights[2].colour[2], 0.8);
  EXPECT_DOUBLE_EQ(record.lights[0].colour[1], 0.6);  // 0.2 x 0.5 + 0.5
  EXPECT_EQ(record.lights[0].colour[0], 1.0);
  EXPECT_EQ(record.lights[3].position[1], 4.0);
  EXPECT_DOUBLE_EQ(record.ambientColour[0], 1.0);
  EXPECT_NEAR(record.ambientColour[1], 0.8, 1e-12);
  EXPECT_NEAR(record.ambientColour[2], 0.6, 1e-12);
}

}  // namespace
