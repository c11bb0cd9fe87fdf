#include "effects/shell_chain.h"

#include <cmath>

#include "render/world_transform.h"
#include "standin_fixture.h"

namespace {

struct ShellChainTest : PluginTest {
  void SetUp() override {
    PluginTest::SetUp();
    superShellsEffect.init(effectRecords[superShellsIndex]);
    sphericalShellsEffect.init(effectRecords[2]);
    ASSERT_EQ(setupDisplay(nullptr), 1);
    standin::clearTrace();
  }
  // The radius of a shell, read back from its first vertex on the half-height spheroid.
  static double radiusOf(const ShellMesh& mesh) {
    const D3DVERTEX& v = mesh.vertices[0];
    return std::sqrt(v.x * v.x + v.y * v.y + 4.0 * v.z * v.z);
  }
  // Meshes and spin state alike.
  static bool sameState(const ShellChainEffect& a, const ShellChainEffect& b) {
    return std::memcmp(a.shells, b.shells, sizeof a.shells) == 0 &&
           std::memcmp(a.spinRateX, b.spinRateX, sizeof a.spinRateX) == 0 &&
           std::memcmp(a.spinRateY, b.spinRateY, sizeof a.spinRateY) == 0 &&
           std::memcmp(a.spinAngleX, b.spinAngleX, sizeof a.spinAngleX) == 0 &&
           std::memcmp(a.spinAngleY, b.spinAngleY, sizeof a.spinAngleY) == 0;
  }
  static VisModule music(int band0, int band1) {
    VisModule module{};
    module.nCh = 2;
    for (int ch = 0; ch < 2; ++ch) {
      module.spectrumData[ch][0] = module.spectrumData[ch][2] = std::uint8_t(band0);
      module.spectrumData[ch][30] = module.spectrumData[ch][32] = std::uint8_t(band1);
      for (int k = 0; k < 576; ++k) module.waveformData[ch][k] = std::uint8_t(k % 2 ? 160 : 96);
    }
    return module;
  }
};

TEST_F(ShellChainTest, InstancesNestTheirShellsAtTheirOwnSpacing) {
  const double superRadii[] = {1.0, 2.6, 4.2, 5.8};
  const double sphericalRadii[] = {1.0, 2.3, 3.6, 4.9, 6.2};
  ASSERT_EQ(superShellsChain.shellCount, 4);
  ASSERT_EQ(sphericalShellsChain.shellCount, 5);
  for (int s = 0; s < 4; ++s) EXPECT_NEAR(radiusOf(superShellsChain.shells[s]), superRadii[s], 1e-5);
  for (int s = 0; s < 5; ++s) EXPECT_NEAR(radiusOf(sphericalShellsChain.shells[s]), sphericalRadii[s], 1e-5);

  const EffectRecord& record = effectRecords[superShellsIndex];
  EXPECT_EQ(record.viewAngles[0], -1.0995572);
  EXPECT_EQ(record.viewOffset[2], 9.0);
  for (const LightSpec& light : record.lights) {
    EXPECT_EQ(light.position[1], 4.0);
    EXPECT_EQ(light.attenuation, 0.2);
  }
}

TEST_F(ShellChainTest, SteadyMusicSettlesEveryShellAtTheSameRateEachTrailingByTwoAndAHalfRates) {
  for (ShellChainEffect* chain : {&superShellsChain, &sphericalShellsChain}) {
    const double e0 = 3.0, e1 = 1.5;
    for (int frame = 0; frame < 3000; ++frame) advanceShellChain(*chain, e0, e1);
    const double rateX = 0.0038 * e0, rateY = 0.0038 * e1;
    for (int s = 0; s < chain->shellCount; ++s) {
      EXPECT_NEAR(chain->spinRateX[s], rateX, 1e-12);
      EXPECT_NEAR(chain->spinRateY[s], rateY, 1e-12);
      if (s == 0) continue;
      EXPECT_NEAR(chain->spinAngleX[s - 1] - chain->spinAngleX[s], 2.5 * rateX, 1e-9);
      EXPECT_NEAR(chain->spinAngleY[s - 1] - chain->spinAngleY[s], 2.5 * rateY, 1e-9);
    }
  }
  // The outermost Spherical Shells shell trails the innermost by ten times the rate.
  EXPECT_NEAR(sphericalShellsChain.spinAngleX[0] - sphericalShellsChain.spinAngleX[4], 10 * 0.0038 * 3.0, 1e-9);
}

TEST_F(ShellChainTest, FromRestShellSStartsToTurnSFramesLater) {
  for (int frame = 1; frame <= 4; ++frame) {
    advanceShellChain(superShellsChain, 2.0, 0.0);
    for (int s = 0; s < 4; ++s) EXPECT_EQ(superShellsChain.spinAngleX[s] != 0.0, s < frame) << frame << " " << s;
    EXPECT_EQ(superShellsChain.spinAngleY[0], 0.0);
  }
}

TEST_F(ShellChainTest, SilenceSwingsTheCascadeIntoLineWithShrinkingAmplitude) {
  ShellChainEffect& chain = sphericalShellsChain;
  chain.spinAngleX[0] = 1.0;  // the innermost shell at rest, the others out of line
  chain.spinRateY[0] = 0.05;  // the innermost shell still turning
  chain.spinAngleY[2] = -0.7;
  chain.spinRateY[4] = 0.3;
  const VisModule silence = music(0, 0);
  AudioAnalysis analysis{};
  // Shell 1's offset d from the resting innermost shell obeys d[n+2] = 1.65 d[n+1] - 0.75 d[n]:
  // an oscillation whose amplitude shrinks by sqrt(0.75) per frame.
  double offsets[3] = {0, 0, chain.spinAngleX[1] - chain.spinAngleX[0]};
  for (int frame = 0; frame < 600; ++frame) {
    sphericalShellsEffect.update(effectRecords[2], analysis, silence, display.device, 0);
    offsets[0] = offsets[1];
    offsets[1] = offsets[2];
    offsets[2] = chain.spinAngleX[1] - chain.spinAngleX[0];
    if (frame >= 1 && frame < 60) {
      EXPECT_NEAR(offsets[2], 1.65 * offsets[1] - 0.75 * offsets[0], 1e-12);
    }
  }
  for (int s = 1; s < 5; ++s) {
    EXPECT_NEAR(chain.spinAngleX[s], 1.0, 1e-12);
    EXPECT_NEAR(chain.spinAngleY[s], chain.spinAngleY[0], 1e-12);
  }
  EXPECT_NEAR(chain.spinAngleY[0], 0.05 * 0.95 / 0.05, 1e-12);
  const EffectRecord& record = effectRecords[2];
  EXPECT_DOUBLE_EQ(record.ambientColour[0], 0.3333333333333333);
  EXPECT_DOUBLE_EQ(record.ambientColour[1], 0.25);
  EXPECT_DOUBLE_EQ(record.ambientColour[2], 0.16666666666666666);
}

TEST_F(ShellChainTest, BandZeroTurnsAboutXBandOneAboutYAndLoudMusicSaturatesTheColour) {
  AudioAnalysis analysis{};
  const VisModule bass = music(255, 0);
  for (int frame = 0; frame < 5; ++frame)
    superShellsEffect.update(effectRecords[superShellsIndex], analysis, bass, display.device, 0);
  EXPECT_GT(superShellsChain.spinAngleX[0], 0.0);
  EXPECT_EQ(superShellsChain.spinAngleY[0], 0.0);

  const VisModule loud = music(255, 255);
  for (int frame = 0; frame < 100; ++frame)
    superShellsEffect.update(effectRecords[superShellsIndex], analysis, loud, display.device, 0);
  const EffectRecord& record = effectRecords[superShellsIndex];
  EXPECT_EQ(record.ambientColour[0], 1.0);
  EXPECT_EQ(record.ambientColour[1], 1.0);
  EXPECT_EQ(record.ambientColour[2], 1.0);
}

TEST_F(ShellChainTest, MonoLightsCircleInOppositePairsTintedByTheWaveform) {
  VisModule mono = music(200, 120);
  mono.nCh = 1;
  AudioAnalysis analysis{};
  for (int frame = 0; frame < 20; ++frame)
    superShellsEffect.update(effectRecords[superShellsIndex], analysis, mono, display.device, 0);
  const LightSpec* l = effectRecords[superShellsIndex].lights;
  for (int pair = 0; pair < 4; pair += 2) {
    EXPECT_NEAR(l[pair].position[0], -l[pair + 1].position[0], 1e-12);
    EXPECT_NEAR(l[pair].position[2], -l[pair + 1].position[2], 1e-12);
    EXPECT_NEAR(std::hypot(l[pair].position[0], l[pair].position[2]), 8.0, 1e-12);
  }
  EXPECT_NE(l[0].position[0], -8.0);  // the phases have moved the lights
  const double w = analysis.waveActivity[0];
  ASSERT_GT(w, 0.0);
  const double expected[4][3] = {{1, w * 0.5 + 0.5, 0}, {1, w * 0.5 + 0.5, 0}, {w, 0, (w + 1) * 0.5},
                                 {w, 0, (w + 1) * 0.5}};
  for (int i = 0; i < 4; ++i)
    for (int c = 0; c < 3; ++c) EXPECT_EQ(l[i].colour[c], expected[i][c]) << i << " " << c;
}

TEST_F(ShellChainTest, TheTwoInstancesNeverShareStateAndSwitchingResetsNothing) {
  const ShellChainEffect sphericalBefore = sphericalShellsChain;
  AudioAnalysis analysis{};
  const VisModule loud = music(255, 200);
  EffectRecord& record = effectRecords[superShellsIndex];
  superShellsEffect.start(record, display.device);
  for (int frame = 0; frame < 50; ++frame) superShellsEffect.update(record, analysis, loud, display.device, 0);
  superShellsEffect.stop(display.device);
  EXPECT_TRUE(sameState(sphericalBefore, sphericalShellsChain));

  const ShellChainEffect superBefore = superShellsChain;
  sphericalShellsEffect.start(effectRecords[2], display.device);
  for (int frame = 0; frame < 50; ++frame)
    sphericalShellsEffect.update(effectRecords[2], analysis, loud, display.device, 0);
  EXPECT_TRUE(sameState(superBefore, superShellsChain));
  EXPECT_NE(sphericalShellsChain.spinAngleX[0], 0.0);

  superShellsEffect.start(record, display.device);  // returning continues the cascade
  EXPECT_EQ(superShellsChain.spinAngleX[3], superBefore.spinAngleX[3]);
}

TEST_F(ShellChainTest, DrawsInnerShellsFirstEachWithTheFirstListThenTheReversed) {
  for (int s = 0; s < 5; ++s) {
    sphericalShellsChain.spinAngleX[s] = 0.3 * s + 0.1;
    sphericalShellsChain.spinAngleY[s] = -0.2 * s;
  }
  MaterialTable materials{};
  for (int i = 0; i < 16; ++i) materials.handles[i] = D3DMATERIALHANDLE(100 + i);
  standin::clearTrace();
  sphericalShellsEffect.draw(visModule, display.device, materials, 14, 77);

  const auto lines = standin::callsOf({"BeginScene", "SetLightState", "SetRenderState", "EndScene"});
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find("BeginScene"), std::string::npos);
  EXPECT_NE(lines[1].find("SetLightState(" + std::to_string(D3DLIGHTSTATE_MATERIAL) + ",114)"), std::string::npos);
  EXPECT_NE(lines[2].find("SetRenderState(" + std::to_string(D3DRENDERSTATE_TEXTUREHANDLE) + ",77)"),
            std::string::npos);
  EXPECT_NE(lines[3].find("EndScene"), std::string::npos);
  EXPECT_EQ(standin::trace().back(), lines[3]);
  EXPECT_EQ(standin::countOf("SetTransform"), 5);
  EXPECT_EQ(standin::countOf("InvalidDraw"), 0);

  const auto args = standin::calls("DrawIndexedPrimitive");
  ASSERT_EQ(args.size(), 10u);
  for (const auto& a : args) EXPECT_EQ(a, "4,1,128,714,1");
  const auto& draws = standin::indexedDraws();
  ASSERT_EQ(draws.size(), 10u);
  for (int s = 0; s < 5; ++s) {
    const ShellMesh& shell = sphericalShellsChain.shells[s];
    const D3DMATRIX expected =
        worldMatrix(0, 0, 0, sphericalShellsChain.spinAngleX[s], sphericalShellsChain.spinAngleY[s], 0, 1);
    for (int list = 0; list < 2; ++list) {
      const standin::IndexedDraw& d = draws[size_t(2 * s + list)];
      EXPECT_EQ(d.vertices, shell.vertices);
      EXPECT_EQ(d.indices, list == 0 ? shell.firstIndices : shell.reversedIndices);
      EXPECT_EQ(std::memcmp(&d.world, &expected, sizeof expected), 0) << "shell " << s;
    }
  }
}

}  // namespace
