#include "yuv_frame.h"

#include <gtest/gtest.h>

#include <vector>

// Four 2 x 2 blocks: red, blue, a black and white chequer, green, in rows 20 bytes apart. The
// expected values are BT.601 in studio range worked by hand, e.g. red: Y = 16 + 65.481 = 81,
// U = 128 - 37.797 = 90, V = 128 + 112 = 240; the chequer's chroma is that of its mean, grey.
TEST(YuvFrame, ConvertsEachBlockToItsStudioRangeColourInPlanarOrder) {
  const uint32_t red = 0xFF0000, blue = 0xFF, green = 0xFF00, white = 0xFFFFFF, black = 0;
  const uint32_t rows[4][4] = {{red, red, blue, blue}, {red, red, blue, blue},
                               {white, black, green, green}, {black, white, green, green}};
  std::vector<uint8_t> picture(20 * 4, 0x5A);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      for (int c = 0; c < 3; ++c) picture[20 * y + 4 * x + c] = uint8_t(rows[y][x] >> (8 * c));  // blue first
  std::vector<uint8_t> out(i420Bytes(4, 4));
  ASSERT_EQ(out.size(), 24u);
  bgrxToI420(picture.data(), 20, 4, 4, out.data());
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 16),
            (std::vector<uint8_t>{81, 81, 41, 41, 81, 81, 41, 41, 235, 16, 145, 145, 16, 235, 145, 145}));
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 16, out.begin() + 20), (std::vector<uint8_t>{90, 240, 128, 54}));
  EXPECT_EQ(std::vector<uint8_t>(out.begin() + 20, out.end()), (std::vector<uint8_t>{240, 110, 128, 34}));
}
