// Water: a 33 x 33 height field under a damped wave equation, held at two source points by the
// waveform activity of the two channels.
#pragma once

#include "../effect.h"

constexpr int waterSide = 33;
constexpr int waterVertexCount = waterSide * waterSide;

extern float heightField[waterSide][waterSide];  // row i along z, column j along x
extern float heightSpeed[waterSide][waterSide];  // interior only; never reset
extern double cameraSwing;                       // accumulated turn about y; never reset
extern D3DVERTEX waterVertices[waterVertexCount];

// The start-up dent: a circle about -2 deep near the centre, 0 outside it and on the border.
void fillDent();
// Grid points (24, 24) and (8, 8) at 8 x the activity of channel 0 and channel 1.
void setSourcePoints(double activity0, double activity1);
void stepRipples();
// Positions, texture coordinates and normal slots from the height field.
void rebuildWaterVertices();
