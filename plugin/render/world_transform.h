// Offset, three angles and a uniform scale to a Direct3D world matrix.
#pragma once

#include "../platform/platform.h"

// s x Rz(az) Ry(ay) Rx(ax), then the offset; elements computed in double, stored as float.
D3DMATRIX worldMatrix(double tx, double ty, double tz, double ax, double ay, double az, double scale);

int setWorldTransform(IDirect3DDevice2* device, double tx, double ty, double tz, double ax, double ay, double az,
                      double scale);
int setWorldTransform(IDirect3DDevice2* device, float tx, float ty, float tz, double ax, double ay, double az,
                      float scale);
