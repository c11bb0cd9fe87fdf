#include "effects/intro.h"

#include <gtest/gtest.h>

#include <cmath>

#include "effect_device.h"
#include "standin_fixture.h"

namespace {

class Intro : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    introEffect.init(record);
  }
  void step(double progress) { introEffect.update(record, analysis, module, nullptr, progress); }
  float depth(int square) const { return introVertices[4 * square].z; }

  EffectRecord record{};
  AudioAnalysis analysis{};
  VisModule module{};
};

TEST_F(Intro, SquaresFadeFromOpaqueToFaintAndStartSpacedAlongDepth) {
  const int alphas[introSquareCount] = {255, 210, 170, 134, 103, 75, 52, 33, 18, 8};
  for (int k = 0; k < introSquareCount; ++k) {
    EXPECT_EQ(introSquareAlpha(k), alphas[k]) << "square " << k;
    for (int q = 0; q < 4; ++q) {
      const D3DLVERTEX& v = introVertices[4 * k + q];
      EXPECT_EQ(v.color, (D3DCOLOR(alphas[k]) << 24) | 0xFFFFFFu);
      EXPECT_EQ(v.z, float(-0.8 * k));
      // Round the square from its lower left corner; the bitmap stands upright.
      const float corner[4][4] = {{-2, -2, 0, 1}, {-2, 2, 0, 0}, {2, 2, 1, 0}, {2, -2, 1, 1}};
      EXPECT_EQ(std::vector<float>({v.x, v.y, v.tu, v.tv}), std::vector<float>(corner[q], corner[q] + 4)) << q;
    }
  }
  // Two triangles per square, only over that square's own corners.
  for (int i = 0; i < introIndexCount; ++i) EXPECT_EQ(introIndices[i] / 4, i / 6) << "index " << i;
  const WORD firstSquare[6] = {0, 1, 2, 2, 3, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(introIndices[54 + i], 36 + firstSquare[i]);
}

TEST_F(Intro, InitPlacesTheCameraBesideTheStackWithoutMarkers) {
  EXPECT_EQ(record.viewOffset[0], 3.0);
  EXPECT_EQ(record.viewOffset[2], 9.0);
  EXPECT_EQ(record.viewAngles[1], 0.0);
  EXPECT_EQ(record.showLightMarkers, 0);
  for (const LightSpec& light : record.lights) {
    EXPECT_EQ(light.position[1], 4.0);
    EXPECT_EQ(light.attenuation, 0.2);
  }
  EXPECT_EQ(record.lights[1].colour[0], 1.0);
}

TEST_F(Intro, StartBlendsAndRestoresHeightButKeepsTheMotionWhereItIs) {
  IDirect3DDevice2* device = makeEffectDevice();
  step(0.5);  // mid-collapse
  record.viewOffset[1] = 7;
  const float collapsing = depth(9);
  const double x = record.viewOffset[0];
  standin::clearTrace();
  introEffect.start(record, device);
  EXPECT_EQ(standin::calls("SetRenderState"),
            (std::vector<std::string>{"27,1", "20,6", "19,5", "14,0"}));
  EXPECT_EQ(record.viewOffset[1], 0.0);
  EXPECT_EQ(record.viewOffset[2], 9.0);
  EXPECT_EQ(record.ambientColour[1], 1.0);
  EXPECT_EQ(record.viewOffset[0], x);
  EXPECT_EQ(depth(9), collapsing);

  standin::clearTrace();
  introEffect.stop(device);
  EXPECT_EQ(standin::calls("SetRenderState"), (std::vector<std::string>{"27,0", "14,1"}));
}

TEST_F(Intro, SweepRunsTheViewAcrossTheStack) {
  step(0.0);
  EXPECT_DOUBLE_EQ(record.viewOffset[0], -3.0);
  EXPECT_EQ(depth(5), float(-4.0));
  step(0.4);
  EXPECT_NEAR(record.viewOffset[0], 3.0, 1e-9);
  // A negative progress sweeps as well.
  step(-0.1);
  EXPECT_DOUBLE_EQ(record.viewOffset[0], std::cos(-0.1 * 7.85398) * -3.0);
  EXPECT_EQ(record.viewAngles[2], 0.0);
}

TEST_F(Intro, CollapseBringsEverySquareToOnePlaneAndTheViewToTheMiddle) {
  step(0.5);
  EXPECT_NEAR(depth(0), -2.0, 1e-5);  // half-way: square 0 from 0 towards -4
  EXPECT_NEAR(depth(9), -5.6, 1e-5);  // square 9 from -7.2: 9 x 0.8 x -0.5 - 2
  EXPECT_NEAR(record.viewOffset[0], 1.5, 1e-5);
  step(0.6);
  for (int k = 0; k < introSquareCount; ++k) EXPECT_NEAR(depth(k), -4.0, 1e-5) << "square " << k;
  EXPECT_NEAR(record.viewOffset[0], 0.0, 1e-5);
}

TEST_F(Intro, HoldLeavesThePictureStill) {
  step(0.6);
  const EffectRecord before = record;
  D3DLVERTEX squares[introVertexCount];
  std::memcpy(squares, introVertices, sizeof squares);
  step(0.7);
  step(0.8);
  EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
  EXPECT_EQ(std::memcmp(squares, introVertices, sizeof squares), 0);
  step(1.2);  // past the end: nothing moves either
  EXPECT_EQ(std::memcmp(&before, &record, sizeof record), 0);
}

TEST_F(Intro, SpreadPartsTheSquaresWhileTheViewRollsRisesAndClosesIn) {
  step(0.6);
  record.viewAngles[1] = 0.25;
  step(1.0);
  for (int k = 0; k < introSquareCount; ++k) EXPECT_NEAR(depth(k), -0.8 * k, 1e-5) << "square " << k;
  EXPECT_NEAR(record.viewAngles[0], 0.8, 1e-6);
  EXPECT_NEAR(record.viewAngles[2], 4.0, 1e-5);
  EXPECT_EQ(record.viewAngles[1], 0.25);
  EXPECT_NEAR(record.viewOffset[0], 0.0, 1e-5);  // left where the collapse put it
  EXPECT_NEAR(record.viewOffset[1], 4.0, 1e-5);
  EXPECT_NEAR(record.viewOffset[2], 1.0, 1e-5);
}

TEST_F(Intro, UpdateKeepsTheSharedAnalysisRunning) {
  module.nCh = 2;
  module.spectrumData[0][0] = 255;
  step(0.3);
  EXPECT_GT(analysis.bandEnergy[0][0], 0.0);
  EXPECT_GT(analysis.bandPhase[0][0], 0.0);
}

TEST_F(Intro, DrawSubmitsTheStackOnceWithTheGivenMaterialAndTexture) {
  IDirect3DDevice2* device = makeEffectDevice();
  const MaterialTable materials = numberedMaterials();
  standin::clearTrace();
  EXPECT_EQ(introEffect.draw(module, device, materials, 14, 77), 1);
  const std::vector<std::string> expected = {"device1.BeginScene()", "device1.SetLightState(1,114)",
                                             "device1.SetRenderState(1,77)",
                                             "device1.DrawIndexedPrimitive(4,2,40,60,1)", "device1.EndScene()"};
  EXPECT_EQ(standin::trace(), expected);
}

TEST_F(Intro, DrawIgnoresDeviceFailures) {
  IDirect3DDevice2* device = makeEffectDevice();
  standin::failAlways("DrawIndexedPrimitive");
  standin::failNext("BeginScene");
  EXPECT_EQ(introEffect.draw(module, device, numberedMaterials(), 14, 1), 1);
  EXPECT_EQ(standin::countOf("EndScene"), 1);
}

}  // namespace
