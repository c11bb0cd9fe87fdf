// Nested translucent shells turning in a lagging cascade: the innermost is spun by the two
// band energies, every further shell follows the one inside it on a damped spring. Super
// Shells and Spherical Shells are two instances with their own meshes and spin state.
#pragma once

#include "../effect.h"
#include "../render/audio_analysis.h"
#include "../render/shell_mesh.h"

constexpr int maxChainShells = 5;

struct ShellChainEffect {
  int shellCount;
  double radiusStep;  // shell i (0 = innermost) has radius 1 + radiusStep x i
  ShellMesh shells[maxChainShells];
  double spinRateX[maxChainShells];
  double spinRateY[maxChainShells];
  double spinAngleX[maxChainShells];
  double spinAngleY[maxChainShells];
};

extern ShellChainEffect superShellsChain;      // 4 shells, 1.6 apart
extern ShellChainEffect sphericalShellsChain;  // 5 shells, 1.3 apart

int initShellChain(ShellChainEffect& chain, EffectRecord& record);
// One frame of the cascade from the band-0 (X) and band-1 (Y) energy sums.
void advanceShellChain(ShellChainEffect& chain, double energyX, double energyY);
int updateShellChain(ShellChainEffect& chain, EffectRecord& record, AudioAnalysis& analysis, const VisModule& module);
int drawShellChain(ShellChainEffect& chain, IDirect3DDevice2* device, const MaterialTable& materials,
                   int materialIndex, D3DTEXTUREHANDLE texture);
