#include "effects/freaky_movey_thingy.h"

#include <algorithm>
#include <cmath>

#include "standin_fixture.h"

namespace {

constexpr int freakyIndex = 3;

struct FreakyMoveyThingyTest : PluginTest {
  void SetUp() override {
    PluginTest::SetUp();
    freakyMoveyThingyEffect.init(effectRecords[freakyIndex]);
    ASSERT_EQ(setupDisplay(nullptr, startCurrentEffect), 1);
    standin::clearTrace();
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
  }
  void play(int band0, int frames) {
    for (int ch = 0; ch < 2; ++ch) module.spectrumData[ch][0] = module.spectrumData[ch][2] = std::uint8_t(band0);
    for (int i = 0; i < frames; ++i)
      freakyMoveyThingyEffect.update(effectRecords[freakyIndex], audioAnalysis, module, display.device, 0);
  }
  VisModule module{};
};

TEST_F(FreakyMoveyThingyTest, ABandZeroBurstPassesDownTheYawChainOnly) {
  // The camera: tilted by -0.35 pi, 9 back.
  const EffectRecord& start = effectRecords[freakyIndex];
  EXPECT_EQ(std::vector<double>({start.viewAngles[0], start.viewAngles[1], start.viewAngles[2]}),
            (std::vector<double>{-1.0995572, 0, 0}));
  EXPECT_EQ(start.viewOffset[2], 9.0);
  EXPECT_EQ(start.showLightMarkers, 0);
  play(0, 50);  // silence: nothing turns, the ambient sits at its floor
  for (double c : effectRecords[freakyIndex].ambientColour) EXPECT_DOUBLE_EQ(c, 0.2);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[0], 0.0);

  play(255, 1);
  const double energy = audioAnalysis.bandEnergy[0][0] + audioAnalysis.bandEnergy[0][1];
  ASSERT_GT(energy, 0);
  EXPECT_DOUBLE_EQ(freakyMoveyThingy.yawAngle[0], energy * 0.00012 * 0.95) << "the head's gain, then its damping";
  const AudioAnalysis& a = audioAnalysis;
  const EffectRecord& record = effectRecords[freakyIndex];
  const double low = std::min((a.bandEnergy[0][0] + a.waveActivity[0] + a.bandEnergy[0][1] + a.totalEnergy) / 12, 1.0);
  const double high = std::min((a.bandEnergy[1][1] + a.bandEnergy[1][0] + a.waveActivity[1] + a.totalEnergy) / 3, 1.0);
  EXPECT_NEAR(record.ambientColour[0], high * 0.8 + 0.2, 1e-12);
  EXPECT_NEAR(record.ambientColour[1], (low + high) * 0.4 + 0.2, 1e-12);
  EXPECT_NEAR(record.ambientColour[2], low * 0.8 + 0.2, 1e-12);
  for (int n = 0; n < 4; ++n) EXPECT_EQ(record.lights[n].position[1], n < 2 ? 4.0 : -4.0) << n;
  play(255, 2);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[3], 0.0);  // the middle shell's link has not moved yet
  play(255, 1);
  EXPECT_NE(freakyMoveyThingy.yawAngle[3], 0.0);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[6], 0.0);
  for (double pitch : freakyMoveyThingy.pitchAngle) EXPECT_EQ(pitch, 0.0);
}

TEST_F(FreakyMoveyThingyTest, AMidBandBurstInChannelOneTurnsThePitchChain) {
  module.spectrumData[1][30] = 255;
  freakyMoveyThingyEffect.update(effectRecords[freakyIndex], audioAnalysis, module, display.device, 0);
  // Band energy 50 x 0.000078125 x 255 x 0.95, then the head's gain and damping.
  const double energy = 0.00390625 * 255 * 0.95;
  EXPECT_NEAR(freakyMoveyThingy.pitchAngle[0], energy * 0.00012 * 0.95, 1e-10);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[0], 0.0);
}

// The shells sit on half-height spheroids of radii (1 - cos(i pi / 6)) x 8.5 + 0.5: 0.5, 1.63878, 4.75.
TEST_F(FreakyMoveyThingyTest, ShellsAreBuiltAtTheirRadii) {
  const double radii[freakyShellCount] = {0.5, (1 - std::sqrt(3.0) / 2) * 8.5 + 0.5, 4.75};
  for (int i = 0; i < freakyShellCount; ++i)
    for (const D3DVERTEX& v : freakyMoveyThingy.shells[i].vertices)
      EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + 4 * v.z * v.z), radii[i], 1e-5) << i;
}

TEST_F(FreakyMoveyThingyTest, DrawsOutermostShellFirstThroughTheProjectiveMatrix) {
  for (int k = 0; k < freakyChainLength; ++k) {
    freakyMoveyThingy.pitchAngle[k] = 0.2 + 0.1 * k;
    freakyMoveyThingy.yawAngle[k] = -0.4 + 0.15 * k;
  }
  MaterialTable materials{};
  materials.handles[15] = 915;
  freakyMoveyThingyEffect.draw(visModule, display.device, materials, 15, 42);
  EXPECT_EQ(standin::calls("SetLightState"), std::vector<std::string>{std::to_string(D3DLIGHTSTATE_MATERIAL) + ",915"});
  EXPECT_EQ(standin::countOf("SetTransform"), 3);
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);

  const auto& draws = standin::indexedDraws();
  ASSERT_EQ(draws.size(), 6u);
  const int shellOrder[] = {2, 1, 0}, links[] = {6, 3, 0};
  for (int n = 0; n < 3; ++n) {
    const ShellMesh& shell = freakyMoveyThingy.shells[shellOrder[n]];
    const double ax = freakyMoveyThingy.pitchAngle[links[n]], ay = freakyMoveyThingy.yawAngle[links[n]];
    const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
    const float rows[16] = {float(cy), float(sx * sy), float(-cx * sy), 1.1f, 0, float(cx), float(sx), 1.1f,
                            float(sy), float(-sx * cy), float(cx * cy), 1.1f, 0, 0, 0, 0};
    for (int list = 0; list < 2; ++list) {
      const standin::IndexedDraw& d = draws[size_t(2 * n + list)];
      EXPECT_EQ(d.vertices, shell.vertices);
      EXPECT_EQ(d.indices, list == 0 ? shell.firstIndices : shell.reversedIndices);
      for (int e = 0; e < 16; ++e) EXPECT_NEAR((&d.world._11)[e], rows[e], 1e-7) << shellOrder[n] << " " << e;
    }
  }
}

}  // namespace
