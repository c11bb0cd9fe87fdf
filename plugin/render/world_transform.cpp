#include "world_transform.h"

#include <cmath>

D3DMATRIX worldMatrix(double tx, double ty, double tz, double ax, double ay, double az, double s) {
  const double cx = std::cos(ax), sx = std::sin(ax);
  const double cy = std::cos(ay), sy = std::sin(ay);
  const double cz = std::cos(az), sz = std::sin(az);
  D3DMATRIX m;
  m._11 = float(s * cy * cz);
  m._12 = float(s * (sx * sy * cz + cx * sz));
  m._13 = float(s * (sx * sz - cx * sy * cz));
  m._14 = 0;
  m._21 = float(-s * cy * sz);
  m._22 = float(s * (cx * cz - sx * sy * sz));
  m._23 = float(s * (cx * sy * sz + sx * cz));
  m._24 = 0;
  m._31 = float(s * sy);
  m._32 = float(-s * sx * cy);
  m._33 = float(s * cx * cy);
  m._34 = 0;
  m._41 = float(tx);
  m._42 = float(ty);
  m._43 = float(tz);
  m._44 = 1;
  return m;
}

int setWorldTransform(IDirect3DDevice2* device, double tx, double ty, double tz, double ax, double ay, double az,
                      double scale) {
  D3DMATRIX m = worldMatrix(tx, ty, tz, ax, ay, az, scale);
  device->SetTransform(D3DTRANSFORMSTATE_WORLD, &m);
  return 1;
}

int setWorldTransform(IDirect3DDevice2* device, float tx, float ty, float tz, double ax, double ay, double az,
                      float scale) {
  return setWorldTransform(device, double(tx), double(ty), double(tz), ax, ay, az, double(scale));
}
