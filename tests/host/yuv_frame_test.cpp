#include "yuv_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Bgr {
  uint8_t b, g, r;
};

// A picture of 4 bytes a pixel with rows `stride` bytes apart (more than the row needs).
std::vector<uint8_t> pictureOf(const std::vector<std::vector<Bgr>>& rows, size_t stride) {
  std::vector<uint8_t> pixels(stride * rows.size(), 0x5A);
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) {
      uint8_t* p = &pixels[y * stride + 4 * x];
      p[0] = rows[y][x].b, p[1] = rows[y][x].g, p[2] = rows[y][x].r;
    }
  return pixels;
}

}  // namespace

// Four 2 x 2 blocks: red, blue, a black and white chequer, green. The expected values are BT.601
// in studio range worked by hand, e.g. red: Y = 16 + 65.481 = 81, U = 128 - 37.797 = 90,
// V = 128 + 112 = 240; the chequer's chroma is that of its mean, grey: 128, 128.
TEST(YuvFrame, ConvertsEachBlockToItsStudioRangeColourInPlanarOrder) {
  const Bgr red{0, 0, 255}, blue{255, 0, 0}, green{0, 255, 0}, white{255, 255, 255}, black{0, 0, 0};
  const std::vector<uint8_t> picture = pictureOf({{red, red, blue, blue},
                                                  {red, red, blue, blue},
                                                  {white, black, green, green},
                                                  {black, white, green, green}},
                                                 20);
  std::vector<uint8_t> out(i420Bytes(4, 4), 0);
  ASSERT_EQ(out.size(), 24u);
  bgrxToI420(picture.data(), 20, 4, 4, out.data());
  const std::vector<uint8_t> luma(out.begin(), out.begin() + 16), u(out.begin() + 16, out.begin() + 20),
      v(out.begin() + 20, out.end());
  EXPECT_EQ(luma, (std::vector<uint8_t>{81, 81, 41, 41, 81, 81, 41, 41, 235, 16, 145, 145, 16, 235, 145, 145}));
  EXPECT_EQ(u, (std::vector<uint8_t>{90, 240, 128, 54}));
  EXPECT_EQ(v, (std::vector<uint8_t>{240, 110, 128, 34}));
}
