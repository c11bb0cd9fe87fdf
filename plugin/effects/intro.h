// The opening sequence: a stack of ten textured squares, fading from opaque to faint, that the
// view sweeps across, collapses onto one plane and spreads out again.
#pragma once

#include "../effect.h"

constexpr int introSquareCount = 10;
constexpr int introVertexCount = 4 * introSquareCount;
constexpr int introIndexCount = 6 * introSquareCount;

extern D3DLVERTEX introVertices[introVertexCount];
extern WORD introIndices[introIndexCount];

// Alpha of square k: (1 - k/11)^2 x 255, truncated.
int introSquareAlpha(int square);
// Fills the squares at their initial depths (-0.8 k), with texture coordinates and colours.
void buildIntroStack();
