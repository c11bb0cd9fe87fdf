#include "effects/analyser_2d.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <cstring>

#include "effect_device.h"
#include "standin_fixture.h"

namespace {

class SpectrumAnalyser : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    spectrumField.cameraSwing = 0;
    spectrumAnalyserEffect.init(record);
    module.nCh = 2;
    std::memset(module.waveformData, 128, sizeof module.waveformData);
  }
  void frame() { spectrumAnalyserEffect.update(record, analysis, module, nullptr, 0); }
  static const D3DVERTEX* tile(int row, int band) { return spectrumField.vertices + 64 * row + 4 * band; }
  static void expectNormals(const D3DVERTEX* t, double ux, double uy, double uz) {
    for (int q = 0; q < 4; ++q) {
      EXPECT_FLOAT_EQ(t[q].nx, float(t[q].x + ux)) << "corner " << q;
      EXPECT_FLOAT_EQ(t[q].ny, float(t[q].y + uy)) << "corner " << q;
      EXPECT_FLOAT_EQ(t[q].nz, float(t[q].z + uz)) << "corner " << q;
    }
  }

  EffectRecord record{};
  AudioAnalysis analysis{};
  VisModule module{};
};

TEST_F(SpectrumAnalyser, FieldIsSixteenBySixteenSeparateFlatTiles) {
  for (int n = 0; n < spectrumRows; ++n) {
    for (int j = 0; j < spectrumBands; ++j) {
      const D3DVERTEX* t = tile(n, j);
      EXPECT_EQ(t[0].x, float(j - 8));
      EXPECT_EQ(t[0].z, float(n - 8));
      EXPECT_FLOAT_EQ(t[3].x, j - 8 + 0.8f);
      EXPECT_FLOAT_EQ(t[3].z, n - 8 + 0.8f);
      EXPECT_EQ(t[1].z, t[0].z);  // q = 1 is the front right corner
      EXPECT_EQ(t[2].x, t[0].x);  // q = 2 the back left
      EXPECT_FLOAT_EQ(t[0].tu, j / 16.0f);
      EXPECT_FLOAT_EQ(t[0].tv, 1 - n / 16.0f);
      EXPECT_FLOAT_EQ(t[3].tu, j / 16.0f + 0.05f);
      EXPECT_FLOAT_EQ(t[3].tv, 1 - n / 16.0f - 0.05f);
      for (int q = 0; q < 4; ++q) EXPECT_EQ(t[q].y, 0.0f);
      expectNormals(t, 0, 1, 0);
    }
  }
  // Two triangles per tile over its own four corners, in vertex order.
  for (int i = 0; i < spectrumIndexCount; ++i) ASSERT_EQ(spectrumField.indices[i] / 4, i / 6) << "index " << i;
  const WORD lastTile[6] = {1020, 1023, 1021, 1023, 1020, 1022};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(spectrumField.indices[1530 + i], lastTile[i]);
}

TEST_F(SpectrumAnalyser, EachBandEdgeSumsItsOwnRangeOfChannelZeroBins) {
  // Tile j's left edge reads bins j(j+1) .. j(j+1)+j, its right edge (j+1)^2 .. (j+1)(j+2)-1.
  auto edgeOf = [](int bin) {
    for (int j = 0; j < spectrumBands; ++j) {
      if (bin >= j * (j + 1) && bin <= j * (j + 1) + j) return 2 * j;
      if (bin >= (j + 1) * (j + 1) && bin <= (j + 1) * (j + 2) - 1) return 2 * j + 1;
    }
    return -1;
  };
  for (int bin = 0; bin < 576; ++bin) {
    buildSpectrumField(spectrumField);
    unsigned char spectrum[576] = {};
    spectrum[bin] = 255;
    scrollHeights(spectrumField, spectrum);
    for (int j = 0; j < spectrumBands; ++j) {
      for (int side = 0; side < 2; ++side) {
        const float expected = edgeOf(bin) == 2 * j + side ? 255 / 256.0f : 0.0f;
        ASSERT_EQ(tile(0, j)[side].y, expected) << "bin " << bin << " band " << j << " side " << side;
      }
    }
  }
}

TEST_F(SpectrumAnalyser, FullScaleHeightsGrowWithBandWidth) {
  std::memset(module.spectrumData[0], 255, 576);
  frame();
  for (int j = 0; j < spectrumBands; ++j) {
    const float height = (j + 1) * 255 / 256.0f;
    EXPECT_EQ(tile(0, j)[0].y, height);
    EXPECT_EQ(tile(0, j)[1].y, height);
    EXPECT_EQ(tile(0, j)[2].y, 0.0f);
    EXPECT_EQ(tile(1, j)[0].y, 0.0f);
  }
  EXPECT_EQ(tile(0, 0)[0].y, 0.99609375f);
  EXPECT_EQ(tile(0, 15)[1].y, 15.9375f);
}

TEST_F(SpectrumAnalyser, ChannelOneNeverShapesTheField) {
  std::memset(module.spectrumData[1], 255, 576);
  frame();
  for (int j = 0; j < spectrumBands; ++j) EXPECT_EQ(tile(0, j)[0].y, 0.0f);
}

TEST_F(SpectrumAnalyser, OneLoudFrameTravelsBackForSeventeenFrames) {
  std::memset(module.spectrumData[0], 255, 576);
  frame();
  std::memset(module.spectrumData[0], 0, 576);
  const float loud = tile(0, 3)[0].y;
  ASSERT_GT(loud, 0.0f);
  for (int later = 1; later <= 17; ++later) {
    frame();
    for (int n = 0; n < spectrumRows; ++n) {
      EXPECT_EQ(tile(n, 3)[0].y, n == later ? loud : 0.0f) << "frame " << later << " row " << n;
      EXPECT_EQ(tile(n, 3)[2].y, n == later - 1 ? loud : 0.0f) << "frame " << later << " row " << n;
    }
  }
  // Seventeen frames after the loud one the field is flat again.
  for (int n = 0; n < spectrumRows; ++n)
    for (int j = 0; j < spectrumBands; ++j) expectNormals(tile(n, j), 0, 1, 0);
}

TEST_F(SpectrumAnalyser, TilesTiltTowardsTheirLowerEdges) {
  D3DVERTEX t[4];
  std::memcpy(t, tile(4, 4), sizeof t);
  t[0].y = 1;  // front left up: M = 1 (left - right), N = 1 (front - back)
  setTileNormals(t);
  const double s = 1 / std::sqrt(3.0);
  expectNormals(t, s, s, s);

  // A fresh front edge over an empty back edge leans only along z.
  std::memset(module.spectrumData[0], 255, 576);
  frame();
  const double h = tile(0, 15)[0].y, length = std::sqrt(h * h + 1);
  expectNormals(tile(0, 15), 0, 1 / length, h / length);
  // The same loudness a frame later: the front tile is level, the one behind it leans.
  frame();
  expectNormals(tile(0, 15), 0, 1, 0);
  expectNormals(tile(1, 15), 0, 1 / length, h / length);
}

TEST_F(SpectrumAnalyser, CameraSwingsWithTheMusicAndStopsInSilence) {
  module.spectrumData[0][0] = module.spectrumData[1][32] = 200;
  record.viewAngles[2] = record.viewOffset[0] = record.viewOffset[1] = 5.0;
  frame();
  EXPECT_EQ(record.viewAngles[0], -1.0995572);
  EXPECT_EQ(record.viewAngles[2], 0.0);
  EXPECT_EQ(record.viewOffset[0], 0.0);
  EXPECT_EQ(record.viewOffset[1], 0.0);
  EXPECT_DOUBLE_EQ(record.viewAngles[1], analysis.totalEnergy * 0.0015);
  EXPECT_EQ(record.viewOffset[2], 9.0);
  const double swing = record.viewAngles[1];
  frame();
  EXPECT_GT(record.viewAngles[1], swing);

  std::memset(module.spectrumData, 0, sizeof module.spectrumData);
  for (int i = 0; i < 2000; ++i) frame();
  const double rest = record.viewAngles[1];
  frame();
  EXPECT_NEAR(record.viewAngles[1], rest, 1e-12);
}

TEST_F(SpectrumAnalyser, AmbientColourFollowsTheBandsAndNeverPassesWhite) {
  module.spectrumData[0][30] = 64;  // mid band only, channel 0
  frame();
  const double mid = analysis.bandEnergy[1][0] * 0.25;
  EXPECT_DOUBLE_EQ(record.ambientColour[0], mid);
  EXPECT_DOUBLE_EQ(record.ambientColour[1], mid * 0.5);
  EXPECT_EQ(record.ambientColour[2], 0.0);

  // The low band only, in both channels: one frame from silence gives a band the energy
  // 50 x 0.000078125 x (its two bins) x 0.95, and blue is the two channels' sum over 16.
  analysis = AudioAnalysis{};
  std::memset(module.spectrumData, 0, sizeof module.spectrumData);
  module.spectrumData[0][0] = 128;
  module.spectrumData[1][0] = 64;
  frame();
  const double low = (128 + 64) * 0.00390625 * 0.95 / 16;
  EXPECT_NEAR(record.ambientColour[2], low, 1e-6);
  EXPECT_NEAR(record.ambientColour[1], low * 0.5, 1e-6);
  EXPECT_EQ(record.ambientColour[0], 0.0);

  std::memset(module.spectrumData, 255, sizeof module.spectrumData);
  for (int i = 0; i < 100; ++i) frame();
  for (double channel : record.ambientColour) EXPECT_EQ(channel, 1.0);
}

TEST_F(SpectrumAnalyser, LightsCircleOppositeCornersInTheOtherChannelsColours) {
  IDirect3DDevice2* device = makeEffectDevice();
  spectrumAnalyserEffect.start(record, device);
  for (int k = 0; k < 576; ++k) module.waveformData[1][k] = (k % 2) ? 255 : 0;  // channel 1 fully active
  module.spectrumData[0][0] = 255;
  frame();
  const double a1 = analysis.waveActivity[1];
  ASSERT_EQ(a1, 1.0);
  ASSERT_EQ(analysis.waveActivity[0], 0.0);
  const double phase = 0.6 * analysis.bandPhase[0][0];
  EXPECT_DOUBLE_EQ(record.lights[0].position[0], std::cos(phase) * 2.5 - 4.0);
  EXPECT_DOUBLE_EQ(record.lights[0].position[2], std::sin(phase) * 2.5 - 4.0);
  EXPECT_EQ(record.lights[0].position[1], 4.0);
  // Channel 1 is silent in the spectrum: light 2 rests on its circle around (4, 4).
  EXPECT_DOUBLE_EQ(record.lights[1].position[0], 4.0 - 2.5);
  EXPECT_DOUBLE_EQ(record.lights[1].position[2], 4.0);
  EXPECT_DOUBLE_EQ(record.lights[3].position[0], 4.0 - 3.0);
  // Lights 1 and 3 take channel 1's activity, lights 2 and 4 channel 0's.
  EXPECT_EQ(record.lights[0].colour[0], 1.0);
  EXPECT_DOUBLE_EQ(record.lights[0].colour[1], 1.0);
  EXPECT_EQ(record.lights[0].colour[2], 0.25);
  EXPECT_EQ(record.lights[1].colour[0], 0.5);
  EXPECT_DOUBLE_EQ(record.lights[1].colour[1], 0.2);
  EXPECT_EQ(record.lights[2].colour[2], 1.0);
  EXPECT_EQ(record.lights[3].colour[0], 0.0);
  EXPECT_EQ(record.lights[3].colour[2], 0.5);
  for (const LightSpec& light : record.lights) EXPECT_EQ(light.attenuation, 0.2);
  EXPECT_EQ(record.showLightMarkers, 1);

  // Both channels sounding in both bands: each light turns with its own phase and rate.
  std::memset(module.spectrumData[1], 90, 576);
  std::memset(module.spectrumData[0] + 1, 40, 575);
  module.spectrumData[1][30] = module.spectrumData[1][32] = 20;  // band 1 reads bins 30 and 32
  frame();
  const double(&p)[2][2] = analysis.bandPhase;
  ASSERT_EQ((std::set<double>{p[0][0], p[0][1], p[1][0], p[1][1]}).size(), 4u) << "four different phases";
  const double expected[4][2] = {{2.5 * std::cos(0.6 * p[0][0]) - 4, 2.5 * std::sin(0.6 * p[0][0]) - 4},
                                 {4 - 2.5 * std::cos(0.6 * p[0][1]), 4 - 2.5 * std::sin(0.6 * p[0][1])},
                                 {3 * std::cos(2.3 * p[1][0]) - 4, 3 * std::sin(2.3 * p[1][0]) - 4},
                                 {4 - 3 * std::cos(2.3 * p[1][1]), 4 - 3 * std::sin(2.3 * p[1][1])}};
  for (int n = 0; n < 4; ++n) {
    EXPECT_NEAR(record.lights[n].position[0], expected[n][0], 1e-12) << n;
    EXPECT_NEAR(record.lights[n].position[2], expected[n][1], 1e-12) << n;
  }
}

TEST_F(SpectrumAnalyser, StartRestoresOnlyTheLightsHeightAndFalloff) {
  std::memset(module.spectrumData[0], 255, 576);
  frame();
  record.lights[2].position[1] = 9;
  record.lights[2].attenuation = 1;
  const double swing = spectrumField.cameraSwing;
  standin::clearTrace();
  spectrumAnalyserEffect.start(record, makeEffectDevice());
  EXPECT_EQ(record.lights[2].position[1], 4.0);
  EXPECT_EQ(record.lights[2].attenuation, 0.2);
  EXPECT_EQ(spectrumField.cameraSwing, swing);
  EXPECT_GT(tile(0, 5)[0].y, 0.0f);
  EXPECT_EQ(standin::countOf("SetRenderState"), 0);
}

TEST_F(SpectrumAnalyser, DrawSubmitsTheFieldAndTheFrontTileFan) {
  IDirect3DDevice2* device = makeEffectDevice();
  standin::clearTrace();
  EXPECT_EQ(spectrumAnalyserEffect.draw(module, device, numberedMaterials(), 15, 42), 1);
  const std::vector<std::string> expected = {
      "device1.BeginScene()", "device1.SetLightState(1,115)", "device1.SetRenderState(1,42)",
      "device1.DrawIndexedPrimitive(4,1,1024,1536,1)", "device1.DrawPrimitive(6,1,4,1)", "device1.EndScene()"};
  EXPECT_EQ(standin::trace(), expected);
  EXPECT_EQ(standin::countOf("SetTransform"), 0);
}

}  // namespace
