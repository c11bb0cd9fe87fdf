#include "shell_mesh.h"

#include <cmath>

namespace {

// 2 x 3.141592 / 15: segment 15 stops just short of a full turn and meets segment 0.
constexpr double segmentStep = 0.41887893333333337;

void fillRing(ShellMesh& mesh, int ring, double radius, double theta) {
  const double z = 0.5 * radius * std::cos(theta);
  const double outerZ = (0.5 * radius + 1) * std::cos(theta);
  for (int k = 0; k < shellSegmentCount; ++k) {
    const double phi = k * segmentStep;
    const double x = radius * std::sin(theta) * std::cos(phi);
    const double y = radius * std::sin(theta) * std::sin(phi);
    const double outerX = (radius + 1) * std::sin(theta) * std::cos(phi);
    const double outerY = (radius + 1) * std::sin(theta) * std::sin(phi);
    const double length = std::sqrt(outerX * outerX + outerY * outerY + outerZ * outerZ);
    D3DVERTEX& v = mesh.vertices[ring * shellSegmentCount + k];
    v.x = float(x);
    v.y = float(y);
    v.z = float(z);
    v.nx = float(x + outerX / length);
    v.ny = float(y + outerY / length);
    v.nz = float(z + outerZ / length);
    v.tu = float(k * 0.0625);
    v.tv = float(ring * 0.125);
  }
}

void fillBand(ShellMesh& mesh, int band) {
  for (int k = 0; k < shellSegmentCount; ++k) {
    const int next = k + 1 == shellSegmentCount ? 0 : k + 1;
    const WORD q00 = WORD(band * shellSegmentCount + k), q01 = WORD(band * shellSegmentCount + next);
    const WORD q10 = WORD(q00 + shellSegmentCount), q11 = WORD(q01 + shellSegmentCount);
    const int at = 6 * (band * shellSegmentCount + k);
    const WORD first[6] = {q00, q01, q10, q10, q01, q11};
    const WORD reversed[6] = {q00, q10, q01, q10, q11, q01};
    for (int i = 0; i < 6; ++i) {
      mesh.firstIndices[at + i] = first[i];
      mesh.reversedIndices[at + i] = reversed[i];
    }
  }
}

}  // namespace

void generateShellMesh(ShellMesh& mesh, double radius, double ringOffset, double ringStep) {
  for (int ring = 0; ring < shellRingCount; ++ring) fillRing(mesh, ring, radius, (ring + ringOffset) * ringStep);
  for (int band = 0; band + 1 < shellRingCount; ++band) fillBand(mesh, band);
  // The tail is written rather than trusted to be zero, so a mesh can be generated again.
  for (int i = shellFilledIndexCount; i < shellIndexCount; ++i) mesh.firstIndices[i] = mesh.reversedIndices[i] = 0;
}

void drawShellMesh(IDirect3DDevice2* device, ShellMesh& mesh) {
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_VERTEX, mesh.vertices, shellVertexCount, mesh.firstIndices,
                               shellIndexCount, D3DDP_WAIT);
  device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, D3DVT_VERTEX, mesh.vertices, shellVertexCount,
                               mesh.reversedIndices, shellIndexCount, D3DDP_WAIT);
}
