#include "frame_probe.h"

#include <gtest/gtest.h>

TEST(FrameList, NumbersAndSteppedRangesInOrder) {
    EXPECT_EQ(parseFrameList("1300,1,10-40:10"), (std::vector<long>{1, 10, 20, 30, 40, 1300}));
    EXPECT_EQ(parseFrameList("7-9"), (std::vector<long>{7, 8, 9}));
    EXPECT_EQ(parseFrameList("x,,5"), (std::vector<long>{5}));
    EXPECT_TRUE(parseFrameList("").empty());
}
