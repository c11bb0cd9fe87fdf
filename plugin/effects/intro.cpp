// Placeholder until the effect is built: every operation does nothing and succeeds.
#include "../effect.h"

namespace {

int init(EffectRecord&) { return 1; }
int start(EffectRecord&, IDirect3DDevice2*) { return 1; }
int stop(IDirect3DDevice2*) { return 1; }
int update(EffectRecord&, AudioAnalysis&, const VisModule&, IDirect3DDevice2*, double) { return 1; }
int draw(const VisModule&, IDirect3DDevice2*, const MaterialTable&, int, D3DTEXTUREHANDLE) { return 1; }

}  // namespace

extern const EffectOps introEffect = {init, start, stop, update, draw};
