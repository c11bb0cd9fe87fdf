#include "effects/water.h"

#include <cmath>
#include <set>

#include "effect_fixture.h"

namespace {

class Water : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    std::memset(heightSpeed, 0, sizeof heightSpeed);
    cameraSwing = 0;
    ASSERT_EQ(waterEffect.init(record), 1);
    ASSERT_EQ(waterEffect.start(record, device), 1);
  }
  void loudChannel0() {
    for (int k = 0; k < 576; ++k) module.waveformData[0][k] = (k % 2) ? 255 : 0;
  }
  static float largestHeight() {
    float largest = 0;
    for (const auto& row : heightField)
      for (float h : row) largest = std::max(largest, std::fabs(h));
    return largest;
  }
};

TEST_F(Water, StartsWithADentInsideTheCircleAndAFlatBorder) {
  EXPECT_NEAR(heightField[16][16], -2.0, 0.005);
  EXPECT_NEAR(heightField[2][16], 8 * std::pow(std::sin(std::sqrt(14.5 * 14.5 + 0.25) / 32), 2) - 2, 1e-6);
  EXPECT_EQ(heightField[1][16], 0.0f);  // d + 0.5 just beyond 16
  for (int k = 0; k < waterSide; ++k)
    EXPECT_EQ(heightField[0][k] + heightField[32][k] + heightField[k][0] + heightField[k][32], 0.0f) << k;
}

TEST_F(Water, RippleStepMovesSpeedsFromTheOldHeightsThenTheHeights) {
  std::memset(heightField, 0, sizeof heightField);
  heightField[10][10] = 1.0f;
  stepRipples();
  EXPECT_FLOAT_EQ(heightSpeed[10][10], -4 * 0.1176f);
  EXPECT_FLOAT_EQ(heightSpeed[9][10], 0.1176f);  // not seeing [10][10] already moved
  EXPECT_EQ(heightSpeed[12][10], 0.0f);
  EXPECT_FLOAT_EQ(heightField[10][10], 1 - 4 * 0.1176f);
}

TEST_F(Water, UpdateTurnsTheViewLightsThePoolAndStepsTheRipplesTwice) {
  EXPECT_EQ(record.showLightMarkers, 1);
  for (const LightSpec& light : record.lights) {
    EXPECT_EQ(light.position[1], 4.0);
    EXPECT_EQ(light.attenuation, 0.2);
  }
  std::memset(heightField, 0, sizeof heightField);
  heightField[12][12] = 1.0f;
  loudChannel0();
  for (int k = 0; k < 576; ++k) module.waveformData[1][k] = (k % 4) ? 128 : 200;
  for (int k = 0; k < 576; ++k) {  // band 0 reads bins 0 and 2, band 1 bins 30 and 32
    module.spectrumData[0][k] = (k < 20) ? 30 : 3;
    module.spectrumData[1][k] = (k < 20) ? 10 : 20;
  }
  runUpdates(waterEffect, 1);
  const AudioAnalysis& a = analysis;
  const double(&p)[2][2] = a.bandPhase;
  ASSERT_EQ((std::set<double>{p[0][0], p[0][1], p[1][0], p[1][1]}).size(), 4u) << "four different phases";
  const double w0 = a.waveActivity[0], w1 = a.waveActivity[1];
  ASSERT_GT(a.totalEnergy, 0);
  ASSERT_NE(w0, w1);
  EXPECT_EQ(record.viewAngles[0], -1.0995572);
  EXPECT_DOUBLE_EQ(record.viewAngles[1], a.totalEnergy * 0.0015);
  EXPECT_EQ(record.viewAngles[2], 0.0);
  EXPECT_EQ(record.viewOffset[0] + record.viewOffset[1], 0.0);
  EXPECT_EQ(record.viewOffset[2], 9.0);
  const double low = std::min((a.bandEnergy[0][1] + a.bandEnergy[0][0]) / 16, 1.0);
  const double high = std::min((a.bandEnergy[1][1] + a.bandEnergy[1][0]) / 4, 1.0);
  ASSERT_LT(low, 1.0);
  EXPECT_DOUBLE_EQ(record.ambientColour[0], high);
  EXPECT_DOUBLE_EQ(record.ambientColour[1], (high + low) / 2);
  EXPECT_DOUBLE_EQ(record.ambientColour[2], low);
  // Lights 0 and 2 circle (-4, -4) in channel 1's colours, 1 and 3 circle (4, 4) in channel 0's.
  const double expected[4][5] = {
      {2.5 * std::cos(0.6 * a.bandPhase[0][0]) - 4, 2.5 * std::sin(0.6 * a.bandPhase[0][0]) - 4, (w1 + 1) / 2,
       0.8 * w1 + 0.2, w1 / 4},
      {4 - 2.5 * std::cos(0.6 * a.bandPhase[0][1]), 4 - 2.5 * std::sin(0.6 * a.bandPhase[0][1]), (w0 + 1) / 2,
       0.8 * w0 + 0.2, w0 / 4},
      {3 * std::cos(2.3 * a.bandPhase[1][0]) - 4, 3 * std::sin(2.3 * a.bandPhase[1][0]) - 4, w1, w1 / 2, (w1 + 1) / 2},
      {4 - 3 * std::cos(2.3 * a.bandPhase[1][1]), 4 - 3 * std::sin(2.3 * a.bandPhase[1][1]), w0, w0 / 2, (w0 + 1) / 2}};
  for (int n = 0; n < 4; ++n) {
    const LightSpec& light = record.lights[n];
    const double got[5] = {light.position[0], light.position[2], light.colour[0], light.colour[1], light.colour[2]};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(got[k], expected[n][k], 1e-12) << "light " << n << " value " << k;
  }
  // Two damped steps from a single raised point: 1 - 0.4704 = 0.5296, then
  // 0.5296 + (-0.4704 x 0.98 + (4 x 0.1176 - 4 x 0.5296) x 0.1176).
  EXPECT_NEAR(heightField[12][12], -0.1251968, 1e-5);
  EXPECT_NEAR(heightField[24][24], 8 * w0, 1e-6);
  EXPECT_NEAR(heightField[8][8], 8 * w1, 1e-6);

  std::memset(module.spectrumData, 255, sizeof module.spectrumData);
  runUpdates(waterEffect, 100);
  for (double c : record.ambientColour) EXPECT_EQ(c, 1.0);
}

TEST_F(Water, ConstantActivityHoldsItsSourceAtEightAndSilenceSettlesFlat) {
  loudChannel0();
  runUpdates(waterEffect, 200);
  EXPECT_EQ(heightField[24][24], 8.0f);
  EXPECT_EQ(heightField[8][8], 0.0f);
  EXPECT_GT(heightField[23][24], heightField[20][24]);  // a hill around the source
  EXPECT_GT(heightField[20][24], 0.5f);

  std::memset(module.waveformData, 128, sizeof module.waveformData);
  runUpdates(waterEffect, 1500);
  EXPECT_LT(largestHeight(), 1e-3f);
}

TEST_F(Water, BorderNormalsPointStraightUpWhileInteriorOnesTilt) {
  loudChannel0();
  runUpdates(waterEffect, 30);
  EXPECT_EQ(drawWith(waterEffect, 15), 1);
  for (int k = 0; k < waterSide; ++k)
    for (int index : {k, 32 * waterSide + k, k * waterSide, k * waterSide + 32}) {
      const D3DVERTEX& v = waterVertices[index];
      ASSERT_TRUE(v.nx == v.x && v.ny == v.y + 1.0f && v.nz == v.z) << index;
    }
  // Beside the source (on its -x side) the surface rises towards it, so the normal leans to -x.
  const D3DVERTEX& beside = waterVertices[24 * waterSide + 23];
  EXPECT_FLOAT_EQ(beside.x, 3.5f);
  EXPECT_LT(beside.nx - beside.x, -0.1f);
  EXPECT_NEAR(std::hypot(beside.nx - beside.x, beside.ny - beside.y, beside.nz - beside.z), 1.0, 1e-5);

  // Central differences over one unit: heights 1 at +x and 2 at +z of point (10, 10) give the
  // normal (-1, 1, -2) / sqrt 6.
  std::memset(heightField, 0, sizeof heightField);
  heightField[10][11] = 1.0f;
  heightField[11][10] = 2.0f;
  EXPECT_EQ(drawWith(waterEffect, 15), 1);
  const D3DVERTEX& v = waterVertices[10 * waterSide + 10];
  const double n[3] = {-1 / std::sqrt(6.0), 1 / std::sqrt(6.0), -2 / std::sqrt(6.0)};
  EXPECT_NEAR(v.nx - v.x, n[0], 1e-6);
  EXPECT_NEAR(v.ny - v.y, n[1], 1e-6);
  EXPECT_NEAR(v.nz - v.z, n[2], 1e-6);
}

TEST_F(Water, DrawsThirtyTwoStripsAndARefusedSceneOrStripEndsTheStepWithZero) {
  EXPECT_EQ(drawWith(waterEffect, 15), 1);
  EXPECT_EQ(standin::calls("DrawIndexedPrimitive"), std::vector<std::string>(32, "5,1,1089,66,1"));
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);

  standin::clearTrace();
  standin::failNext("BeginScene");
  EXPECT_EQ(drawWith(waterEffect, 15), 0);
  EXPECT_EQ(standin::countOf("DrawIndexedPrimitive") + standin::countOf("EndScene"), 0);
  EXPECT_EQ(standin::countOf("SetLightState") + standin::countOf("SetRenderState"), 0);  // returned at once

  standin::clearTrace();
  standin::failNext("DrawIndexedPrimitive", 5);
  EXPECT_EQ(drawWith(waterEffect, 15), 0);
  EXPECT_EQ(standin::countOf("DrawIndexedPrimitive"), 5);
  EXPECT_EQ(standin::countOf("EndScene"), 1);  // the scene is closed all the same

  standin::failNext("EndScene");
  EXPECT_EQ(drawWith(waterEffect, 15), 0);
}

}  // namespace
