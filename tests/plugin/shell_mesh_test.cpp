#include "render/shell_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

struct ShellParameters {
  double radius, ringOffset, ringStep;
};
// The innermost and outermost shells of each of the three shell effects.
constexpr ShellParameters callers[] = {
    {0.5, 1.5, 0.3141592}, {4.7499984, 1.5, 0.3141592}, {1.0, 1.0, 0.34906577777777775}, {6.2, 1.0, 0.34906577777777775}};

ShellMesh& generated(const ShellParameters& p) {
  static ShellMesh mesh;
  generateShellMesh(mesh, p.radius, p.ringOffset, p.ringStep);
  return mesh;
}

struct Vec {
  double x, y, z;
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec positionOf(const D3DVERTEX& v) { return {v.x, v.y, v.z}; }
Vec normalSlotOf(const D3DVERTEX& v) { return {v.nx, v.ny, v.nz}; }

TEST(ShellMesh, SegmentFifteenMeetsSegmentZeroOnEveryRing) {
  for (const ShellParameters& p : callers) {
    const ShellMesh& mesh = generated(p);
    for (int ring = 0; ring < shellRingCount; ++ring) {
      const D3DVERTEX& first = mesh.vertices[16 * ring];
      const D3DVERTEX& last = mesh.vertices[16 * ring + 15];
      const double tolerance = 4e-6 * p.radius;
      EXPECT_NEAR(first.x, last.x, tolerance);
      EXPECT_NEAR(first.y, last.y, tolerance);
      EXPECT_EQ(first.z, last.z);
      EXPECT_EQ(first.tu, 0.0f);
      EXPECT_EQ(last.tu, 0.9375f);
      EXPECT_EQ(first.tv, ring * 0.125f);
    }
  }
}

TEST(ShellMesh, RingsLieSymmetricallyOnTheHalfHeightSpheroid) {
  const ShellMesh& mesh = generated(callers[0]);  // the first Freaky Movey Thingy shell, radius 0.5
  for (int k = 0; k < shellSegmentCount; ++k) EXPECT_EQ(mesh.vertices[k].z, float(0.25 * std::cos(0.4712388)));
  EXPECT_FLOAT_EQ(mesh.vertices[0].x, float(0.5 * std::sin(0.4712388)));
  EXPECT_NEAR(mesh.vertices[16 * 7].z, -mesh.vertices[0].z, 1e-6);  // open at both poles alike

  for (const ShellParameters& p : callers) {
    const ShellMesh& shell = generated(p);
    for (const D3DVERTEX& v : shell.vertices) {
      const double onSpheroid = std::sqrt(v.x * v.x + v.y * v.y + 4.0 * v.z * v.z);
      EXPECT_NEAR(onSpheroid, p.radius, 1e-5 * p.radius);
    }
  }
}

TEST(ShellMesh, NormalSlotIsThePositionPlusAUnitStepOutwards) {
  for (const ShellParameters& p : callers) {
    const ShellMesh& mesh = generated(p);
    for (const D3DVERTEX& v : mesh.vertices) {
      const Vec step = normalSlotOf(v) - positionOf(v);
      EXPECT_NEAR(std::sqrt(dot(step, step)), 1.0, 1e-5 * (p.radius + 1));
      EXPECT_GT(dot(step, positionOf(v)), 0.0);
    }
  }
}

TEST(ShellMesh, BothListsHoldTheSameTrianglesWoundOppositelyWithAZeroTail) {
  const ShellMesh& mesh = generated(callers[3]);
  int outward = 0, inward = 0;
  for (int t = 0; t < shellFilledIndexCount / 3; ++t) {
    const WORD* a = mesh.firstIndices + 3 * t;
    const WORD* b = mesh.reversedIndices + 3 * t;
    EXPECT_EQ(b[0], a[0]);
    EXPECT_EQ(b[1], a[2]);
    EXPECT_EQ(b[2], a[1]);
    for (int i = 0; i < 3; ++i) ASSERT_LT(a[i], shellVertexCount);
    // Every triangle of the first list faces the same way (apart from the zero-width seam).
    const Vec p0 = positionOf(mesh.vertices[a[0]]), p1 = positionOf(mesh.vertices[a[1]]);
    const Vec p2 = positionOf(mesh.vertices[a[2]]);
    const Vec facing = cross(p1 - p0, p2 - p0);
    if (std::sqrt(dot(facing, facing)) < 1e-4) continue;
    (dot(facing, p0) > 0 ? outward : inward) += 1;
  }
  EXPECT_EQ(outward + inward, 7 * 15 * 2);
  EXPECT_TRUE(outward == 0 || inward == 0);
  for (int i = shellFilledIndexCount; i < shellIndexCount; ++i) {
    EXPECT_EQ(mesh.firstIndices[i], 0);
    EXPECT_EQ(mesh.reversedIndices[i], 0);
  }
}

TEST(ShellMesh, RegeneratingOverUsedStorageLeavesTheTailZero) {
  ShellMesh mesh;
  std::memset(&mesh, 0x5a, sizeof mesh);
  generateShellMesh(mesh, 2.3, 1.0, 0.34906577777777775);
  for (int i = shellFilledIndexCount; i < shellIndexCount; ++i) EXPECT_EQ(mesh.firstIndices[i] | mesh.reversedIndices[i], 0);
}

}  // namespace
