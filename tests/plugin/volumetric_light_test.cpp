#include "effects/volumetric_light.h"

#include "effect_fixture.h"
#include "render/world_transform.h"

namespace {

class VolumetricLight : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    shaftMotion = {};
    volumetricLightEffect.init(record);
  }
};

TEST_F(VolumetricLight, LatticeRunsFromTheWindowBackToDepthOffCentre) {
  const D3DVERTEX& first = shaftVertices[0];
  const D3DVERTEX& lastFront = shaftVertices[48];
  const D3DVERTEX& lastBack = shaftVertices[97];
  EXPECT_FLOAT_EQ(first.x, -9.25f);
  EXPECT_FLOAT_EQ(lastFront.y, 6.607142857f);
  EXPECT_EQ(lastFront.z, 9.25f);
  EXPECT_EQ(lastBack.z, -37.0f);
  // Normal slots: the front keeps its position in x and y, the back has none.
  EXPECT_EQ(lastFront.nx, lastFront.x);
  EXPECT_EQ(lastFront.nz, 8.25f);
  EXPECT_EQ(lastBack.nx, 0.0f);
  EXPECT_EQ(lastBack.nz, -38.0f);
  // The texture spans exactly 0 .. 1, upside down against the rows.
  EXPECT_EQ(first.tv, 1.0f);
  EXPECT_EQ(lastBack.tu, 1.0f);
  EXPECT_EQ(lastBack.tv, 0.0f);
}

TEST_F(VolumetricLight, IndexListsPairFrontLinesWithTheirBackPartners) {
  const WORD square[12] = {0, 6, 42, 6, 48, 42, 0, 42, 6, 6, 42, 48};
  EXPECT_TRUE(std::equal(square, square + 12, frontQuadIndices));
  const WORD slabsOfThree[12] = {21, 27, 70, 27, 76, 70, 3, 45, 52, 45, 94, 52};
  EXPECT_TRUE(std::equal(slabsOfThree, slabsOfThree + 12, shaftIndices + 36));
  // The reversed list holds the same triangles with each first pair swapped.
  for (int t = 0; t < shaftIndexCount; t += 3) {
    EXPECT_EQ(shaftIndicesReversed[t], shaftIndices[t + 1]) << t;
    EXPECT_EQ(shaftIndicesReversed[t + 1], shaftIndices[t]) << t;
    EXPECT_EQ(shaftIndicesReversed[t + 2], shaftIndices[t + 2]) << t;
  }
  for (WORD index : shaftIndices) ASSERT_LT(index, shaftVertexCount);
}

TEST_F(VolumetricLight, SilenceSettlesTheTiltAndKeepsTheLatticeTurning) {
  module.spectrumData[0][0] = 200;
  module.spectrumData[1][0] = 100;
  runUpdates(volumetricLightEffect, 1);
  const double e = analysis.bandEnergy[0][0] + analysis.bandEnergy[0][1];
  const double w = analysis.waveActivity[0] + analysis.waveActivity[1] - 0.3;
  ASSERT_GT(e, 0);
  EXPECT_NEAR(shaftMotion.band0Tilt, 0.25 * 0.1552 * e, 1e-12) << "from rest, one frame";
  EXPECT_NEAR(shaftMotion.waveTilt, 0.75 * 0.1552 * w, 1e-12);
  module.spectrumData[0][0] = module.spectrumData[1][0] = 0;
  runUpdates(volumetricLightEffect, 600);
  EXPECT_NEAR(shaftMotion.waveTilt, -0.13968, 1e-9);
  EXPECT_NEAR(shaftMotion.band0Tilt, 0.0, 1e-9);
  const double before = shaftMotion.waveTiltSum + shaftMotion.band0TiltSum;
  runUpdates(volumetricLightEffect, 1);
  EXPECT_NEAR((shaftMotion.waveTiltSum + shaftMotion.band0TiltSum - before) * 0.04, -0.0055872, 1e-9);
  for (double c : record.ambientColour) EXPECT_NEAR(c, 0.2, 1e-9);
  EXPECT_EQ(record.viewOffset[1], -3.0);
}

TEST_F(VolumetricLight, DrawsTheOpaqueWindowThenBothWindingsOfTheSlabsBlended) {
  runUpdates(volumetricLightEffect, 3);
  standin::clearTrace();
  EXPECT_EQ(drawWith(volumetricLightEffect, 12, 9), 1);
  const VolumetricLightMotion& m = shaftMotion;
  const D3DMATRIX expectedWorld =
      worldMatrix(0, 0, 0, m.waveTilt, m.band0Tilt, (m.waveTiltSum + m.band0TiltSum) * 0.04, 1);
  const D3DMATRIX drawnWorld = standin::lastTransform(D3DTRANSFORMSTATE_WORLD);
  EXPECT_EQ(std::memcmp(&expectedWorld, &drawnWorld, sizeof drawnWorld), 0);
  const auto frame = standin::callsOf(
      {"BeginScene", "SetLightState", "SetRenderState", "SetTransform", "DrawIndexedPrimitive", "EndScene", "InvalidDraw"});
  const std::vector<std::string> expected = {
      "device1.BeginScene()",
      "device1.SetLightState(1," + std::to_string(materials.handles[12]) + ")",
      "device1.SetRenderState(1,9)",
      "device1.SetTransform(1)",
      "device1.SetRenderState(27,0)",
      "device1.DrawIndexedPrimitive(4,1,98,12,1)",
      "device1.SetRenderState(27,1)",
      "device1.SetRenderState(20,6)",
      "device1.SetRenderState(19,5)",
      "device1.DrawIndexedPrimitive(4,1,98,84,1)",
      "device1.DrawIndexedPrimitive(4,1,98,84,1)",
      "device1.EndScene()",
  };
  EXPECT_EQ(frame, expected);
}

}  // namespace
