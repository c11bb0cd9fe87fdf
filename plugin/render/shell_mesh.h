// The open, barrel-shaped shell that three effects nest: eight rings of sixteen vertices cut
// from a spheroid flattened to half height along z, with a triangle list for each winding.
#pragma once

#include "../platform/platform.h"

constexpr int shellRingCount = 8;
constexpr int shellSegmentCount = 16;
constexpr int shellVertexCount = shellRingCount * shellSegmentCount;  // 128
constexpr int shellFilledIndexCount = (shellRingCount - 1) * shellSegmentCount * 6;  // 672
// Each list is drawn as 238 triangles; the last 42 entries stay zero (14 degenerate triangles).
constexpr int shellIndexCount = 714;

struct ShellMesh {
  D3DVERTEX vertices[shellVertexCount];
  WORD firstIndices[shellIndexCount];
  WORD reversedIndices[shellIndexCount];
};

// Ring j lies at the polar angle (j + ringOffset) x ringStep. Each vertex's normal slot holds
// its position plus the unit vector towards the same angles on a spheroid one unit larger.
void generateShellMesh(ShellMesh& mesh, double radius, double ringOffset, double ringStep);

// Draws the shell with the current world transform: first list, then the reversed one, so it
// shows from inside and outside whatever the culling mode.
void drawShellMesh(IDirect3DDevice2* device, ShellMesh& mesh);
