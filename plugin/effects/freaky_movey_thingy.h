// Freaky Movey Thingy: three nested shells tumbling on two seven-link spring chains, drawn
// through a world matrix whose fourth column (1.1, 1.1, 1.1, 0) bends them projectively.
#pragma once

#include "../effect.h"
#include "../render/shell_mesh.h"

constexpr int freakyShellCount = 3;
constexpr int freakyChainLength = 7;

struct FreakyMoveyThingyState {
  ShellMesh shells[freakyShellCount];
  double pitchAngle[freakyChainLength];  // about X, driven by band 1
  double pitchSpeed[freakyChainLength];
  double yawAngle[freakyChainLength];  // about Y, driven by band 0
  double yawSpeed[freakyChainLength];
};

extern FreakyMoveyThingyState freakyMoveyThingy;

// The rotation part of worldMatrix with the fourth column (1.1, 1.1, 1.1, 0).
D3DMATRIX projectiveWorldMatrix(double tx, double ty, double tz, double ax, double ay, double az, double scale);
int setProjectiveWorldTransform(IDirect3DDevice2* device, double tx, double ty, double tz, double ax, double ay,
                                double az, double scale);
