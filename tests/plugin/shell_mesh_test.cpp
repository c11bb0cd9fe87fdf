#include "render/shell_mesh.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The first Freaky Movey Thingy shell and the outermost Spherical Shells shell.
struct Shells {
  ShellMesh freakyInner, sphericalOuter;
  Shells() {
    generateShellMesh(freakyInner, 0.5, 1.5, 0.3141592);
    generateShellMesh(sphericalOuter, 6.2, 1.0, 0.34906577777777775);
  }
};
const Shells shells;
const ShellMesh &freakyInner = shells.freakyInner, &sphericalOuter = shells.sphericalOuter;

TEST(ShellMesh, RingsCloseAtTheSeamAndSitOnTheHalfHeightSpheroid) {
  for (const ShellMesh* mesh : {&freakyInner, &sphericalOuter})
    for (int ring = 0; ring < shellRingCount; ++ring) {
      const D3DVERTEX &first = mesh->vertices[16 * ring], &last = mesh->vertices[16 * ring + 15];
      EXPECT_NEAR(first.x, last.x, 3e-5);
      EXPECT_NEAR(first.y, last.y, 3e-5);
      EXPECT_EQ(first.z, last.z);
      EXPECT_EQ(first.tu, 0.0f);
      EXPECT_EQ(last.tu, 0.9375f);
      EXPECT_EQ(first.tv, ring / 8.0f);
    }
  EXPECT_EQ(freakyInner.vertices[0].z, float(0.25 * std::cos(0.4712388)));
  for (int i = 0; i < shellRingCount * shellSegmentCount; ++i) {
    const D3DVERTEX& v = sphericalOuter.vertices[i];
    EXPECT_NEAR(std::sqrt(v.x * v.x + v.y * v.y + 4 * v.z * v.z), 6.2, 1e-5);
    // The normal slot is the position plus the unit vector towards the same angles on the
    // spheroid with radii 7.2, 7.2 and 4.1.
    const double theta = (i / 16 + 1.0) * 0.34906577777777775, phi = (i % 16) * 2 * 3.141592 / 15;
    const double q[3] = {7.2 * std::sin(theta) * std::cos(phi), 7.2 * std::sin(theta) * std::sin(phi),
                         4.1 * std::cos(theta)};
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2]);
    EXPECT_NEAR(v.nx - v.x, q[0] / length, 1e-5) << i;
    EXPECT_NEAR(v.ny - v.y, q[1] / length, 1e-5) << i;
    EXPECT_NEAR(v.nz - v.z, q[2] / length, 1e-5) << i;
  }
}

TEST(ShellMesh, BothListsHoldTheSameTrianglesWoundOppositelyWithAZeroTail) {
  int outward = 0, inward = 0;
  for (int t = 0; t < shellFilledIndexCount / 3; ++t) {
    const WORD *a = sphericalOuter.firstIndices + 3 * t, *b = sphericalOuter.reversedIndices + 3 * t;
    EXPECT_TRUE(b[0] == a[0] && b[1] == a[2] && b[2] == a[1]) << "triangle " << t;
    // Every triangle of the first list faces the same way, apart from the zero-width seam.
    const D3DVERTEX &p = sphericalOuter.vertices[a[0]], &q = sphericalOuter.vertices[a[1]],
                    &r = sphericalOuter.vertices[a[2]];
    const double u[3] = {q.x - p.x, q.y - p.y, q.z - p.z}, v[3] = {r.x - p.x, r.y - p.y, r.z - p.z};
    const double face[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    if (std::hypot(face[0], face[1], face[2]) < 1e-4) continue;
    (face[0] * p.x + face[1] * p.y + face[2] * p.z > 0 ? outward : inward) += 1;
  }
  EXPECT_EQ(outward + inward, 7 * 15 * 2);
  EXPECT_TRUE(outward == 0 || inward == 0);
  for (int i = shellFilledIndexCount; i < shellIndexCount; ++i)
    EXPECT_EQ(sphericalOuter.firstIndices[i] | sphericalOuter.reversedIndices[i], 0);
}

}  // namespace
