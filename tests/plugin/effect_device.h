// A Direct3D device on the stand-in for tests that drive an effect's operations directly.
#pragma once

#include "effect.h"
#include "standin/control.h"

inline IDirect3DDevice2* makeEffectDevice() {
  IDirectDraw* ddraw = nullptr;
  IDirect3D2* d3d = nullptr;
  IDirect3DDevice2* device = nullptr;
  if (FAILED(DirectDrawCreate(nullptr, &ddraw, nullptr))) return nullptr;
  if (FAILED(ddraw->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d)))) return nullptr;
  if (FAILED(d3d->CreateDevice(IID_IDirect3DHALDevice, nullptr, &device))) return nullptr;
  return device;
}

// A material table whose handle k is 100 + k, so traces show which entry was chosen.
inline MaterialTable numberedMaterials() {
  MaterialTable table{};
  for (int k = 0; k < 16; ++k) table.handles[k] = D3DMATERIALHANDLE(100 + k);
  return table;
}
