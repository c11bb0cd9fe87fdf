// The 2d Spectrum Analyser: a scrolling spectrogram of 16 x 16 sloped tiles on the ground plane.
// Columns are frequency bands of channel 0 (widening to the right), rows the last 16 frames
// (newest at the front).
#pragma once

#include "../effect.h"

constexpr int spectrumBands = 16;
constexpr int spectrumRows = 16;
constexpr int spectrumVertexCount = 4 * spectrumBands * spectrumRows;
constexpr int spectrumIndexCount = 6 * spectrumBands * spectrumRows;

struct SpectrumField {
  // Tile (row n, band j) owns vertices 64 n + 4 j + q: q = 0 front left, 1 front right,
  // 2 back left, 3 back right. The front edge holds this frame's heights, the back edge the last.
  D3DVERTEX vertices[spectrumVertexCount];
  WORD indices[spectrumIndexCount];
  double cameraSwing;  // accumulated turn about the vertical axis, never reset
};

extern SpectrumField spectrumField;

// The flat field with its fixed positions, texture coordinates and triangle list.
void buildSpectrumField(SpectrumField& field);
// Moves every row one frame back and fills the front row from channel 0's spectrum.
void scrollHeights(SpectrumField& field, const unsigned char* spectrum);
// Recomputes the tilt of the tile whose first vertex is `tile` from its front and back heights.
void setTileNormals(D3DVERTEX* tile);
