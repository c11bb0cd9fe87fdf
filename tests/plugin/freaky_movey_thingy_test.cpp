#include "effects/freaky_movey_thingy.h"

#include <cmath>

#include "standin_fixture.h"

namespace {

constexpr int freakyIndex = 3;

struct FreakyMoveyThingyTest : PluginTest {
  void SetUp() override {
    PluginTest::SetUp();
    freakyMoveyThingyEffect.init(effectRecords[freakyIndex]);
    ASSERT_EQ(setupDisplay(nullptr), 1);
    standin::clearTrace();
  }
  void update(const VisModule& module, int frames = 1) {
    for (int i = 0; i < frames; ++i)
      freakyMoveyThingyEffect.update(effectRecords[freakyIndex], analysis, module, display.device, 0);
  }
  static VisModule bandZeroBurst() {
    VisModule module{};
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
    for (int ch = 0; ch < 2; ++ch) module.spectrumData[ch][0] = module.spectrumData[ch][2] = 255;
    return module;
  }
  static VisModule silence() {
    VisModule module{};
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
    return module;
  }
  AudioAnalysis analysis{};
};

TEST_F(FreakyMoveyThingyTest, InitNestsThreeShellsAndHangsTwoLightsBelow) {
  const double radii[] = {0.5, 1.6387836, 4.7499984};
  for (int i = 0; i < 3; ++i) {
    const D3DVERTEX& v = freakyMoveyThingy.shells[i].vertices[0];
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + 4 * v.z * v.z), radii[i], 1e-6);
    EXPECT_EQ(v.z, float(0.5 * radii[i] * std::cos(0.4712388))) << i;
  }
  const EffectRecord& record = effectRecords[freakyIndex];
  const double heights[] = {4.0, 4.0, -4.0, -4.0};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(record.lights[i].position[1], heights[i]);
  EXPECT_EQ(record.viewAngles[0], -1.0995572);
  EXPECT_EQ(record.viewOffset[2], 9.0);
}

TEST_F(FreakyMoveyThingyTest, SilenceKeepsTheShellsStillAndSettlesTheAmbientAtTwoTenths) {
  analysis.bandEnergy[1][0] = 6.0;  // a fading note
  update(silence());
  EXPECT_GT(effectRecords[freakyIndex].ambientColour[0], 0.2);
  analysis = AudioAnalysis{};
  freakyMoveyThingyEffect.init(effectRecords[freakyIndex]);
  update(silence(), 50);
  for (int i = 0; i < freakyChainLength; ++i) {
    EXPECT_EQ(freakyMoveyThingy.yawAngle[i], 0.0);
    EXPECT_EQ(freakyMoveyThingy.pitchAngle[i], 0.0);
  }
  for (double c : effectRecords[freakyIndex].ambientColour) EXPECT_DOUBLE_EQ(c, 0.2);
}

TEST_F(FreakyMoveyThingyTest, ABandZeroBurstPassesDownTheYawChainAndTheOuterLinksOvershoot) {
  update(bandZeroBurst(), 3);
  EXPECT_NE(freakyMoveyThingy.yawAngle[0], 0.0);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[3], 0.0);  // the middle shell has not moved yet
  update(bandZeroBurst());
  EXPECT_NE(freakyMoveyThingy.yawAngle[3], 0.0);
  EXPECT_EQ(freakyMoveyThingy.yawAngle[6], 0.0);
  for (double pitch : freakyMoveyThingy.pitchAngle) EXPECT_EQ(pitch, 0.0);

}

TEST_F(FreakyMoveyThingyTest, AfterAJoltTheLinksOvershootAndSwingBackIntoLine) {
  freakyMoveyThingy.yawAngle[0] = 1.0;  // the inner shell jolted round, then held
  double furthest = 0;
  for (int frame = 0; frame < 600; ++frame) {
    update(silence());
    furthest = std::max(furthest, freakyMoveyThingy.yawAngle[1]);
  }
  EXPECT_GT(furthest, 1.1);
  for (int k = 1; k < freakyChainLength; ++k) EXPECT_NEAR(freakyMoveyThingy.yawAngle[k], 1.0, 1e-9);
}

TEST_F(FreakyMoveyThingyTest, LoudMusicSaturatesTheAmbientColour) {
  VisModule loud = bandZeroBurst();
  for (int ch = 0; ch < 2; ++ch) loud.spectrumData[ch][30] = loud.spectrumData[ch][32] = 255;
  update(loud, 100);
  for (double c : effectRecords[freakyIndex].ambientColour) EXPECT_DOUBLE_EQ(c, 1.0);
}

TEST_F(FreakyMoveyThingyTest, DrawsOutermostShellFirstThroughTheProjectiveMatrix) {
  for (int k = 0; k < freakyChainLength; ++k) {
    freakyMoveyThingy.pitchAngle[k] = 0.2 + 0.1 * k;
    freakyMoveyThingy.yawAngle[k] = -0.4 + 0.15 * k;
  }
  MaterialTable materials{};
  materials.handles[15] = 915;
  freakyMoveyThingyEffect.draw(visModule, display.device, materials, 15, 42);

  EXPECT_EQ(standin::callsOf({"BeginScene", "SetLightState", "SetRenderState", "SetTransform",
                              "DrawIndexedPrimitive", "EndScene"})
                .size(),
            1u + 1 + 1 + 3 * 3 + 1);
  EXPECT_EQ(standin::calls("SetLightState"), std::vector<std::string>{std::to_string(D3DLIGHTSTATE_MATERIAL) + ",915"});
  EXPECT_EQ(standin::calls("SetRenderState"),
            std::vector<std::string>{std::to_string(D3DRENDERSTATE_TEXTUREHANDLE) + ",42"});
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);
  const auto& draws = standin::indexedDraws();
  ASSERT_EQ(draws.size(), 6u);
  const int shellOrder[] = {2, 1, 0}, links[] = {6, 3, 0};
  for (int n = 0; n < 3; ++n) {
    const ShellMesh& shell = freakyMoveyThingy.shells[shellOrder[n]];
    const double ax = freakyMoveyThingy.pitchAngle[links[n]], ay = freakyMoveyThingy.yawAngle[links[n]];
    const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
    const float rows[4][4] = {{float(cy), float(sx * sy), float(-cx * sy), 1.1f},
                              {0, float(cx), float(sx), 1.1f},
                              {float(sy), float(-sx * cy), float(cx * cy), 1.1f},
                              {0, 0, 0, 0}};
    for (int list = 0; list < 2; ++list) {
      const standin::IndexedDraw& d = draws[size_t(2 * n + list)];
      EXPECT_EQ(d.vertices, shell.vertices);
      EXPECT_EQ(d.indices, list == 0 ? shell.firstIndices : shell.reversedIndices);
      const float* m = &d.world._11;
      for (int e = 0; e < 16; ++e) EXPECT_NEAR(m[e], rows[e / 4][e % 4], 1e-7) << "shell " << shellOrder[n] << " " << e;
    }
  }
}

}  // namespace
