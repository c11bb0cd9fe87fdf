#include "yuv_frame.h"

namespace {

// BT.601 in studio range, as fixed point: Y = 16 + (65.481 R + 128.553 G + 24.966 B) / 255, and
// U, V = 128 + (-37.797 R - 74.203 G + 112 B) / 255, (112 R - 93.786 G - 18.214 B) / 255, each
// factor times 2^16. U and V take the sum of four pixels, and shift two bits further.
constexpr int yR = 16829, yG = 33039, yB = 6416;
constexpr int uR = -9714, uG = -19070, uB = 28784;
constexpr int vR = 28784, vG = -24103, vB = -4681;

inline uint8_t luma(const uint8_t* p) { return uint8_t((yR * p[2] + yG * p[1] + yB * p[0] + (16 << 16) + (1 << 15)) >> 16); }

inline uint8_t chroma(int r, int g, int b, int kr, int kg, int kb) {
  return uint8_t((kr * r + kg * g + kb * b + (128 << 18) + (1 << 17)) >> 18);
}

void lumaRow(const uint8_t* row, int width, uint8_t* out) {
  for (int x = 0; x < width; ++x) out[x] = luma(row + 4 * x);
}

void chromaRow(const uint8_t* top, const uint8_t* bottom, int width, uint8_t* u, uint8_t* v) {
  for (int x = 0; x < width / 2; ++x) {
    const uint8_t *a = top + 8 * x, *c = bottom + 8 * x;
    const int b = a[0] + a[4] + c[0] + c[4], g = a[1] + a[5] + c[1] + c[5], r = a[2] + a[6] + c[2] + c[6];
    u[x] = chroma(r, g, b, uR, uG, uB);
    v[x] = chroma(r, g, b, vR, vG, vB);
  }
}

}  // namespace

size_t i420Bytes(int width, int height) { return size_t(width) * size_t(height) * 3 / 2; }

void bgrxToI420(const uint8_t* pixels, size_t stride, int width, int height, uint8_t* out) {
  const size_t lumaBytes = size_t(width) * size_t(height), chromaWidth = size_t(width / 2);
  uint8_t* u = out + lumaBytes;
  uint8_t* v = u + lumaBytes / 4;
  for (int y = 0; y + 1 < height; y += 2) {
    const uint8_t* top = pixels + size_t(y) * stride;
    const uint8_t* bottom = top + stride;
    lumaRow(top, width, out + size_t(y) * size_t(width));
    lumaRow(bottom, width, out + size_t(y + 1) * size_t(width));
    chromaRow(top, bottom, width, u + size_t(y / 2) * chromaWidth, v + size_t(y / 2) * chromaWidth);
  }
}
