#include "render/world_transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "effect_device.h"
#include "standin_fixture.h"

namespace {

using WorldTransform = PluginTest;

// A row vector (x, y, z, 1) times the matrix.
void transform(const D3DMATRIX& m, const double in[3], double out[3]) {
  out[0] = in[0] * m._11 + in[1] * m._21 + in[2] * m._31 + m._41;
  out[1] = in[0] * m._12 + in[1] * m._22 + in[2] * m._32 + m._42;
  out[2] = in[0] * m._13 + in[1] * m._23 + in[2] * m._33 + m._43;
}

// Turns (a, b) by `angle` the way Direct3D's row-vector rotations do: (a c - b s, a s + b c).
void turn(double& a, double& b, double angle) {
  const double c = std::cos(angle), s = std::sin(angle);
  const double a2 = a * c - b * s, b2 = a * s + b * c;
  a = a2;
  b = b2;
}

TEST_F(WorldTransform, NoTurnAndUnitScaleOnlyMoves) {
  IDirect3DDevice2* device = makeEffectDevice();
  EXPECT_EQ(setWorldTransform(device, 1.5, -2.0, 3.25, 0.0, 0.0, 0.0, 1.0), 1);
  const D3DMATRIX expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1.5f, -2.0f, 3.25f, 1};
  const D3DMATRIX set = standin::lastTransform(1);
  const float* got = &set._11;
  const float* want = &expected._11;
  for (int i = 0; i < 16; ++i) EXPECT_EQ(got[i], want[i]) << "element " << i;  // -0 counts as 0
  EXPECT_EQ(standin::countOf("SetTransform"), 1);
}

TEST_F(WorldTransform, ZeroScaleCollapsesEveryPointOntoTheOffsetAndStillSetsTheMatrix) {
  IDirect3DDevice2* device = makeEffectDevice();
  EXPECT_EQ(setWorldTransform(device, 2.0, 3.0, 4.0, 0.3, 1.1, -2.0, 0.0), 1);
  const D3DMATRIX m = standin::lastTransform(1);
  const double corner[3] = {5, -7, 11};
  double moved[3];
  transform(m, corner, moved);
  EXPECT_EQ(moved[0], 2.0);
  EXPECT_EQ(moved[1], 3.0);
  EXPECT_EQ(moved[2], 4.0);
  EXPECT_EQ(m._44, 1.0f);
}

TEST_F(WorldTransform, TurnsAboutZThenYThenXThenScalesAndMoves) {
  const double ax = 0.7, ay = -1.3, az = 2.1, s = 1.75;
  const D3DMATRIX m = worldMatrix(-1, 2, 0.5, ax, ay, az, s);
  const double point[3] = {0.4, -1.2, 2.5};
  double expected[3] = {point[0], point[1], point[2]};
  turn(expected[0], expected[1], az);  // about Z: x, y
  turn(expected[2], expected[0], ay);  // about Y: z, x
  turn(expected[1], expected[2], ax);  // about X: y, z
  double moved[3];
  transform(m, point, moved);
  EXPECT_NEAR(moved[0], expected[0] * s - 1, 1e-5);
  EXPECT_NEAR(moved[1], expected[1] * s + 2, 1e-5);
  EXPECT_NEAR(moved[2], expected[2] * s + 0.5, 1e-5);
}

TEST_F(WorldTransform, FloatAndDoubleFormsSetBitIdenticalMatrices) {
  IDirect3DDevice2* device = makeEffectDevice();
  const float offsets[][4] = {{0.5f, -3.25f, 12.0f, 1.0f}, {0.1f, 1e-3f, -7.7f, 0.3f}, {0, 0, 0, 0}};
  for (const auto& o : offsets) {
    setWorldTransform(device, o[0], o[1], o[2], 0.1, 2.5, -0.75, o[3]);
    const D3DMATRIX fromFloat = standin::lastTransform(1);
    setWorldTransform(device, double(o[0]), double(o[1]), double(o[2]), 0.1, 2.5, -0.75, double(o[3]));
    const D3DMATRIX fromDouble = standin::lastTransform(1);
    EXPECT_EQ(std::memcmp(&fromFloat, &fromDouble, sizeof fromFloat), 0) << "offset " << o[0];
  }
}

}  // namespace
