// Spike Cylinder: a closed tube along X whose 18 x 16 cells are pyramids pushed out by the spectrum.
#pragma once

#include "../effect.h"

constexpr int tubeRings = 19;
constexpr int tubeRingVertices = 17;
constexpr int spikeCount = (tubeRings - 1) * (tubeRingVertices - 1);
constexpr int firstApexVertex = tubeRings * tubeRingVertices;
constexpr int tubeVertexCount = (tubeRings - 1) * (tubeRingVertices - 1) + tubeRingVertices * (tubeRings + 2) + 2;
constexpr int tubeIndexCount = (12 * tubeRingVertices - 12) * (tubeRings - 1) + 6 * tubeRingVertices - 6;

// Carries over from one showing of the effect to the next; zero at load.
struct SpikeCylinderMotion {
  double lowDrive;   // rotation about Y
  double waveDrive;  // rotation about Z
  double lowTurn;    // running sums; together they roll the tube about X
  double waveTurn;
};

extern SpikeCylinderMotion spikeMotion;
extern double apexBaseRadius;
extern D3DVERTEX tubeVertices[tubeVertexCount];
extern WORD tubeIndices[tubeIndexCount];

void buildTube();
// Distance from the axis of apex n (0 .. spikeCount - 1) for this frame's spectrum.
double spikeRadius(const VisModule& module, int n);
void updateSpikes(const VisModule& module);
