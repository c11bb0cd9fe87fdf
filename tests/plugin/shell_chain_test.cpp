#include "effects/shell_chain.h"

#include <cmath>

#include "render/world_transform.h"
#include "standin_fixture.h"

namespace {

constexpr int sphericalIndex = 2;

struct ShellChainTest : PluginTest {
  void SetUp() override {
    PluginTest::SetUp();
    superShellsEffect.init(effectRecords[superShellsIndex]);
    sphericalShellsEffect.init(effectRecords[sphericalIndex]);
    ASSERT_EQ(setupDisplay(nullptr, startCurrentEffect), 1);
    standin::clearTrace();
  }
  void play(const EffectOps& ops, int index, int band0, int band1, int frames) {
    VisModule module{};
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
    for (int ch = 0; ch < 2; ++ch) {
      module.spectrumData[ch][0] = module.spectrumData[ch][2] = std::uint8_t(band0);
      module.spectrumData[ch][30] = module.spectrumData[ch][32] = std::uint8_t(band1);
    }
    for (int i = 0; i < frames; ++i) ops.update(effectRecords[index], audioAnalysis, module, display.device, 0);
  }
  static bool sameState(const ShellChainEffect& a, const ShellChainEffect& b) {
    return std::memcmp(a.shells, b.shells, sizeof a.shells) == 0 &&
           std::memcmp(a.spinRateX, b.spinRateX, sizeof a.spinRateX) == 0 &&
           std::memcmp(a.spinRateY, b.spinRateY, sizeof a.spinRateY) == 0 &&
           std::memcmp(a.spinAngleX, b.spinAngleX, sizeof a.spinAngleX) == 0 &&
           std::memcmp(a.spinAngleY, b.spinAngleY, sizeof a.spinAngleY) == 0;
  }
};

TEST_F(ShellChainTest, SteadyMusicSettlesEveryShellAtOneRateEachTrailingByTwoAndAHalfRates) {
  for (ShellChainEffect* chain : {&superShellsChain, &sphericalShellsChain}) {
    for (int frame = 0; frame < 3000; ++frame) advanceShellChain(*chain, 3.0, 1.5);
    const double rateX = 0.0038 * 3.0, rateY = 0.0038 * 1.5;
    for (int s = 1; s < chain->shellCount; ++s) {
      EXPECT_NEAR(chain->spinRateX[s], rateX, 1e-12);
      EXPECT_NEAR(chain->spinRateY[s], rateY, 1e-12);
      EXPECT_NEAR(chain->spinAngleX[s - 1] - chain->spinAngleX[s], 2.5 * rateX, 1e-9);
      EXPECT_NEAR(chain->spinAngleY[s - 1] - chain->spinAngleY[s], 2.5 * rateY, 1e-9);
    }
  }
  // From rest, shell s starts to turn s frames after the music: band 0 turns about X only.
  superShellsEffect.init(effectRecords[superShellsIndex]);
  for (int frame = 1; frame <= 4; ++frame) {
    play(superShellsEffect, superShellsIndex, 200, 0, 1);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(superShellsChain.spinAngleX[s] != 0.0, s < frame) << frame << " " << s;
  }
  EXPECT_EQ(superShellsChain.spinAngleY[0], 0.0);
}

TEST_F(ShellChainTest, SilenceSwingsTheCascadeIntoLineWithShrinkingAmplitude) {
  ShellChainEffect& chain = sphericalShellsChain;
  chain.spinAngleX[0] = 1.0;  // the innermost shell at rest, out of line with the others
  chain.spinRateY[0] = 0.05;  // ... and still turning about Y
  chain.spinRateY[4] = 0.3;
  // Shell 1's offset d from the resting innermost shell obeys d[n+2] = 1.65 d[n+1] - 0.75 d[n]:
  // an oscillation whose amplitude shrinks by sqrt(0.75) per frame.
  double d[3] = {0, 0, -1.0};
  for (int frame = 0; frame < 600; ++frame) {
    play(sphericalShellsEffect, sphericalIndex, 0, 0, 1);
    d[0] = d[1], d[1] = d[2], d[2] = chain.spinAngleX[1] - chain.spinAngleX[0];
    if (frame >= 1 && frame < 60) {
      EXPECT_NEAR(d[2], 1.65 * d[1] - 0.75 * d[0], 1e-12);
    }
  }
  for (int s = 1; s < 5; ++s) {
    EXPECT_NEAR(chain.spinAngleX[s], 1.0, 1e-12);
    EXPECT_NEAR(chain.spinAngleY[s], 0.05 * 0.95 / 0.05, 1e-12);
  }
  const double* ambient = effectRecords[sphericalIndex].ambientColour;
  EXPECT_DOUBLE_EQ(ambient[0], 1.0 / 3);
  EXPECT_DOUBLE_EQ(ambient[1], 0.25);
  EXPECT_DOUBLE_EQ(ambient[2], 1.0 / 6);
  // The low band's two bins at 64 in both channels, one frame: e0 = 2 x 0.00390625 x 128 x 0.95.
  play(sphericalShellsEffect, sphericalIndex, 64, 0, 1);
  EXPECT_NEAR(ambient[2], (0.95 + 2) / 12, 1e-6);
  EXPECT_NEAR(ambient[0], 1.0 / 3, 1e-6);
  play(sphericalShellsEffect, sphericalIndex, 255, 255, 100);
  for (double c : effectRecords[sphericalIndex].ambientColour) EXPECT_EQ(c, 1.0);
}

TEST_F(ShellChainTest, TheTwoInstancesNeverShareStateAndReturningResetsNothing) {
  const ShellChainEffect sphericalBefore = sphericalShellsChain;
  superShellsEffect.start(effectRecords[superShellsIndex], display.device);
  play(superShellsEffect, superShellsIndex, 255, 200, 50);
  superShellsEffect.stop(display.device);
  EXPECT_TRUE(sameState(sphericalBefore, sphericalShellsChain));

  const ShellChainEffect superBefore = superShellsChain;
  sphericalShellsEffect.start(effectRecords[sphericalIndex], display.device);
  play(sphericalShellsEffect, sphericalIndex, 255, 200, 50);
  EXPECT_TRUE(sameState(superBefore, superShellsChain));
  superShellsEffect.start(effectRecords[superShellsIndex], display.device);
  EXPECT_TRUE(sameState(superBefore, superShellsChain));
  EXPECT_NE(superShellsChain.spinAngleX[3], 0.0);
  // Each instance nests its own shells: 1.6 apart for Super Shells, 1.3 for Spherical Shells.
  const auto radiusOf = [](const ShellMesh& m) { return std::hypot(m.vertices[0].x, 2 * m.vertices[0].z); };
  EXPECT_NEAR(radiusOf(superShellsChain.shells[3]), 5.8, 1e-5);
  EXPECT_NEAR(radiusOf(sphericalShellsChain.shells[4]), 6.2, 1e-5);
}

TEST_F(ShellChainTest, DrawsInnerShellsFirstEachWithTheFirstListThenTheReversed) {
  for (int s = 0; s < 5; ++s) {
    sphericalShellsChain.spinAngleX[s] = 0.3 * s + 0.1;
    sphericalShellsChain.spinAngleY[s] = -0.2 * s;
  }
  MaterialTable materials{};
  materials.handles[14] = 114;
  sphericalShellsEffect.draw(visModule, display.device, materials, 14, 77);

  const auto frame = standin::callsOf({"BeginScene", "SetLightState", "SetRenderState", "EndScene"});
  ASSERT_EQ(frame.size(), 4u);
  EXPECT_NE(frame[1].find("SetLightState(" + std::to_string(D3DLIGHTSTATE_MATERIAL) + ",114)"), std::string::npos);
  EXPECT_NE(frame[2].find("SetRenderState(" + std::to_string(D3DRENDERSTATE_TEXTUREHANDLE) + ",77)"),
            std::string::npos);
  EXPECT_EQ(standin::trace().back(), frame[3]);
  EXPECT_EQ(standin::calls("DrawIndexedPrimitive"), std::vector<std::string>(10, "4,1,128,714,1"));
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);
  const auto& draws = standin::indexedDraws();
  ASSERT_EQ(draws.size(), 10u);
  for (int s = 0; s < 5; ++s) {
    const ShellMesh& shell = sphericalShellsChain.shells[s];
    const D3DMATRIX world =
        worldMatrix(0, 0, 0, sphericalShellsChain.spinAngleX[s], sphericalShellsChain.spinAngleY[s], 0, 1);
    for (int list = 0; list < 2; ++list) {
      const standin::IndexedDraw& d = draws[size_t(2 * s + list)];
      EXPECT_EQ(d.vertices, shell.vertices);
      EXPECT_EQ(d.indices, list == 0 ? shell.firstIndices : shell.reversedIndices);
      EXPECT_EQ(std::memcmp(&d.world, &world, sizeof world), 0) << "shell " << s;
    }
  }
}

}  // namespace
