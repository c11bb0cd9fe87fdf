#include "render/circling_lights.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CirclingLights, FourLightsCircleAtTheirOwnRatesInTheirChannelsColours) {
  EffectRecord record{};
  fixCirclingLights(record);
  AudioAnalysis a{};
  a.waveActivity[0] = 0.2;
  a.waveActivity[1] = 0.6;
  a.bandPhase[0][0] = 1.0;
  a.bandPhase[0][1] = 2.0;
  a.bandPhase[1][0] = 0.3;
  a.bandPhase[1][1] = 0.7;
  a.bandEnergy[0][0] = 1.0;
  a.bandEnergy[0][1] = 0.5;
  a.bandEnergy[1][0] = 0.1;
  a.bandEnergy[1][1] = 0.2;
  a.totalEnergy = 0.3;  // low mix (1 + 0.2 + 0.5 + 0.3) / 12 = 1/6, mid mix (0.2 + 0.1 + 0.6 + 0.3) / 3 = 0.4
  applyCirclingLighting(record, a);

  const double expected[4][6] = {// x, y, z, red, green, blue
                                 {-8 * std::cos(0.4), 4, 8 * std::sin(0.4), 1, 0.6, 0},
                                 {8 * std::cos(0.8), 4, -8 * std::sin(0.8), 1, 0.8, 0},
                                 {-8 * std::cos(0.48), 4, -8 * std::sin(0.48), 0.6, 0, 0.8},
                                 {8 * std::cos(1.12), 4, 8 * std::sin(1.12), 0.2, 0, 0.6}};
  for (int n = 0; n < 4; ++n) {
    const LightSpec& light = record.lights[n];
    const double got[6] = {light.position[0], light.position[1], light.position[2],
                           light.colour[0],   light.colour[1],   light.colour[2]};
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(got[k], expected[n][k], 1e-12) << "light " << n << " value " << k;
    EXPECT_EQ(light.attenuation, 0.2);
  }
  EXPECT_NEAR(record.ambientColour[0], 0.52, 1e-12);
  EXPECT_NEAR(record.ambientColour[1], (0.4 + 1.0 / 6) * 0.4 + 0.2, 1e-12);
  EXPECT_NEAR(record.ambientColour[2], 1.0 / 6 * 0.8 + 0.2, 1e-12);

  a.bandEnergy[1][0] = 30;  // mid mix capped at 1
  a.bandEnergy[0][0] = 20;  // low mix capped at 1
  applyCirclingLighting(record, a);
  EXPECT_DOUBLE_EQ(record.ambientColour[0], 1.0);
  EXPECT_DOUBLE_EQ(record.ambientColour[1], 1.0);
  EXPECT_DOUBLE_EQ(record.ambientColour[2], 1.0);
}

}  // namespace
