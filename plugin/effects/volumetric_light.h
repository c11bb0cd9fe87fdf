// Volumetric Light: a textured window square with seven horizontal and seven vertical
// translucent slabs reaching back from it.
#pragma once

#include "../effect.h"

constexpr int shaftGridSide = 7;
constexpr int shaftVertexCount = 2 * shaftGridSide * shaftGridSide;
constexpr int frontQuadIndexCount = 12;
constexpr int shaftIndexCount = 12 * shaftGridSide;

// Carries over from one showing of the effect to the next; zero at load.
struct VolumetricLightMotion {
  double waveTilt;   // about X
  double band0Tilt;  // about Y
  double waveTiltSum;
  double band0TiltSum;
};

extern VolumetricLightMotion shaftMotion;
extern D3DVERTEX shaftVertices[shaftVertexCount];
extern WORD frontQuadIndices[frontQuadIndexCount];
extern WORD shaftIndices[shaftIndexCount];
extern WORD shaftIndicesReversed[shaftIndexCount];

void buildLightShafts(double size);
