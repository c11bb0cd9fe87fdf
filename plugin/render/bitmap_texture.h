// A bitmap file turned into a Direct3D texture and its handle.
#pragma once

#include "../platform/platform.h"

struct BitmapTexture {
  IDirectDrawSurface* sourceSurface;
  IDirectDrawSurface* textureSurface;
  IDirectDrawPalette* palette;
  D3DTEXTUREHANDLE handle;
};

int loadBitmapTexture(BitmapTexture& texture, IDirect3DDevice2* device, const char* name);
int reloadBitmapTexture(BitmapTexture& texture);
void releaseBitmapTexture(BitmapTexture& texture);
