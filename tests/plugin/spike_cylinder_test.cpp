#include "effects/spike_cylinder.h"

#include <cmath>

#include "effect_fixture.h"
#include "render/world_transform.h"

namespace {

class SpikeCylinder : public EffectTest {
 protected:
  void SetUp() override {
    EffectTest::SetUp();
    spikeMotion = {};
    spikeCylinderEffect.init(record);
  }
  static double apexDistance(int n) {
    const D3DVERTEX& v = tubeVertices[firstApexVertex + n];
    return std::hypot(double(v.y), double(v.z));
  }
};

TEST_F(SpikeCylinder, MeshIsInTheTabledOrderWithClosedRingSeams) {
  EXPECT_EQ(tubeVertexCount, 647);
  EXPECT_EQ(tubeIndexCount, 3552);
  EXPECT_DOUBLE_EQ(apexBaseRadius, 4.914865533742096);
  for (WORD index : tubeIndices) ASSERT_LT(index, tubeVertexCount);
  // First cell: p q m, q r m, r s m, s p m around apex 323; then the caps, wound opposite ways.
  const WORD firstCell[12] = {0, 1, 323, 1, 18, 323, 18, 17, 323, 17, 0, 323};
  EXPECT_TRUE(std::equal(firstCell, firstCell + 12, tubeIndices));
  const WORD firstCaps[6] = {628, 612, 611, 646, 629, 630}, lastCaps[6] = {628, 627, 626, 646, 644, 645};
  EXPECT_TRUE(std::equal(firstCaps, firstCaps + 6, tubeIndices + 3456));
  EXPECT_TRUE(std::equal(lastCaps, lastCaps + 6, tubeIndices + 3546));
  EXPECT_FLOAT_EQ(tubeVertices[628].x, -16.0f);  // not centred: -16 .. 14.3158
  EXPECT_FLOAT_EQ(tubeVertices[646].x, 14.31578947368421f);
  for (int centre : {628, 646}) {  // on the axis, facing out of the tube's ends
    const D3DVERTEX& c = tubeVertices[centre];
    EXPECT_EQ(std::vector<float>({c.y, c.z, c.ny, c.nz, c.tu}), std::vector<float>({0, 0, 0, 0, 1})) << centre;
    EXPECT_FLOAT_EQ(c.nx - c.x, centre == 628 ? -1.0f : 1.0f);
    EXPECT_EQ(c.tv, centre == 628 ? 0.0f : 0.99f);
    for (int k = centre - tubeRingVertices; k < centre; ++k) {  // the cap's ring faces along the axis too
      const D3DVERTEX& v = tubeVertices[k];
      EXPECT_EQ(std::vector<float>({v.nx - v.x, v.ny - v.y, v.nz - v.z, v.tu}),
                std::vector<float>({centre == 628 ? -1.0f : 1.0f, 0, 0, 0})) << k;
    }
  }
  // Cell (1, 2) of the 18 x 16: its corners on rings 1 and 2, its apex 323 + 16 + 2; the apex is
  // textured at the cell's middle.
  const WORD cell18[12] = {19, 20, 341, 20, 37, 341, 37, 36, 341, 36, 19, 341};
  EXPECT_TRUE(std::equal(cell18, cell18 + 12, tubeIndices + 12 * 18));
  EXPECT_FLOAT_EQ(tubeVertices[341].tu, 2.5f / 16);
  EXPECT_FLOAT_EQ(tubeVertices[341].tv, 1.5f / 18);
  // Apex j points half a cell past ring corner j: at (j + 0.5) x 2 pi / 16.
  for (int j : {0, 5, 15}) {
    const D3DVERTEX& apex = tubeVertices[firstApexVertex + j];
    const double expected = (j + 0.5) * 6.283184 / 16;
    EXPECT_NEAR(std::atan2(apex.z, apex.y), expected > 3.141592653589793 ? expected - 6.283185307179586 : expected,
                1e-5) << j;
  }
  for (int ring = 0; ring < tubeRings; ++ring) {
    const D3DVERTEX& first = tubeVertices[tubeRingVertices * ring];
    const D3DVERTEX& last = tubeVertices[tubeRingVertices * ring + tubeRingVertices - 1];
    EXPECT_NEAR(first.z, last.z, 1e-5) << ring;
    EXPECT_EQ(last.tu - first.tu, 1.0f);
    EXPECT_NEAR(std::hypot(first.ny, first.nz), 6.0, 1e-5);  // position + unit outward
  }
}

TEST_F(SpikeCylinder, SpectrumPushesEachApexFromBothChannelsInOppositeDirections) {
  module.spectrumData[0][0] = 100;   // channel 0, bins 0 and 1: apex 0
  module.spectrumData[1][575] = 50;  // channel 1, bins 575 and 574: also apex 0
  module.spectrumData[1][1] = 10;    // channel 1's lowest bins: the last apex
  updateSpikes(module);
  EXPECT_NEAR(apexDistance(0), apexBaseRadius + 150 * 0.18, 1e-5);
  EXPECT_NEAR(apexDistance(spikeCount - 1), apexBaseRadius + 10 * 0.18, 1e-5);
  EXPECT_NEAR(apexDistance(1), apexBaseRadius, 1e-5);

  std::memset(module.spectrumData, 255, sizeof module.spectrumData);
  updateSpikes(module);
  for (int n = 0; n < spikeCount; ++n) ASSERT_DOUBLE_EQ(spikeRadius(module, n), 188.5148655337421);
  const D3DVERTEX& apex = tubeVertices[firstApexVertex + 200];
  EXPECT_NEAR(std::hypot(apex.ny, apex.nz), 189.5148655337421, 1e-4);
}

TEST_F(SpikeCylinder, FirstFrameAfterLoadIsTiltedAndRolledByTheRestingWaveform) {
  runUpdates(spikeCylinderEffect, 1);
  EXPECT_EQ(spikeMotion.lowDrive, 0.0);
  EXPECT_NEAR(spikeMotion.waveDrive, -0.01917, 1e-12);
  EXPECT_NEAR(spikeMotion.waveTurn, -0.01917, 1e-12);
  drawWith(spikeCylinderEffect, 12);
  const D3DMATRIX expected = worldMatrix(0, 0, 0, -0.0007668, 0, -0.01917, 1);
  const D3DMATRIX drawn = standin::lastTransform(D3DTRANSFORMSTATE_WORLD);
  for (int k = 0; k < 16; ++k) EXPECT_NEAR((&drawn._11)[k], (&expected._11)[k], 1e-7) << k;
}

TEST_F(SpikeCylinder, SilenceSettlesTheTiltKeepsTheRollAndAnotherShowingContinuesIt) {
  module.spectrumData[0][0] = 255;  // a loud start, then silence
  runUpdates(spikeCylinderEffect, 1);
  EXPECT_GT(spikeMotion.lowDrive, 0.0);
  EXPECT_EQ(spikeMotion.lowTurn, spikeMotion.lowDrive) << "the turn takes the new drive";
  module.spectrumData[0][0] = 0;
  runUpdates(spikeCylinderEffect, 600);
  EXPECT_NEAR(spikeMotion.waveDrive, -0.07668, 1e-9);
  EXPECT_NEAR(spikeMotion.lowDrive, 0.0, 1e-9);
  for (double c : record.ambientColour) EXPECT_NEAR(c, 0.2, 1e-9);
  const double before = spikeMotion.waveTurn + spikeMotion.lowTurn;
  spikeCylinderEffect.stop(device);
  spikeCylinderEffect.start(record, device);
  runUpdates(spikeCylinderEffect, 1);
  EXPECT_NEAR((spikeMotion.waveTurn + spikeMotion.lowTurn - before) * 0.04, -0.0030672, 1e-9);
}

TEST_F(SpikeCylinder, DrawsTheWholeTubeInOneTriangleList) {
  EXPECT_EQ(drawWith(spikeCylinderEffect, 12, 5), 1);
  const std::vector<std::string> expected = {
      "device1.BeginScene()",       "device1.SetLightState(1," + std::to_string(materials.handles[12]) + ")",
      "device1.SetRenderState(1,5)", "device1.SetTransform(1)",
      "device1.DrawIndexedPrimitive(4,1,647,3552,1)", "device1.EndScene()"};
  EXPECT_EQ(standin::callsOf({"BeginScene", "SetLightState", "SetRenderState", "SetTransform", "DrawIndexedPrimitive",
                              "EndScene", "InvalidDraw"}),
            expected);
}

}  // namespace
