// Super Shells: four nested shells 1.6 apart; the frame composer zooms the previous frame
// behind them, so they leave trails that stream outwards.
#include "../effect.h"
#include "shell_chain.h"

ShellChainEffect superShellsChain{4, 1.6, {}, {}, {}, {}, {}};

namespace {

int init(EffectRecord& record) { return initShellChain(superShellsChain, record); }

int update(EffectRecord& record, AudioAnalysis& analysis, const VisModule& module, IDirect3DDevice2*, double) {
  return updateShellChain(superShellsChain, record, analysis, module);
}

int draw(const VisModule&, IDirect3DDevice2* device, const MaterialTable& materials, int materialIndex,
         D3DTEXTUREHANDLE texture) {
  return drawShellChain(superShellsChain, device, materials, materialIndex, texture);
}

}  // namespace

extern const EffectOps superShellsEffect = {init, startBlendOn, stopBlendOff, update, draw};
