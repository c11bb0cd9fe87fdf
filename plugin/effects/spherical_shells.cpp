// Spherical Shells: five nested shells 1.3 apart turning in a lagging cascade.
#include "../effect.h"
#include "shell_chain.h"

ShellChainEffect sphericalShellsChain{5, 1.3, {}, {}, {}, {}, {}};

namespace {

int init(EffectRecord& record) { return initShellChain(sphericalShellsChain, record); }

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  return updateShellChain(sphericalShellsChain, record, analysis, module);
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  return drawShellChain(sphericalShellsChain, device, materials, materialIndex, texture);
}

}  // namespace

extern const EffectOps sphericalShellsEffect = {init, startBlendOn, stopBlendOff, update, draw};
