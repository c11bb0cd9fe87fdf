#include "tga.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace {
class TgaFile : public testing::Test {
protected:
    TempDir dir;
    TgaImage image;
    int decode(const TgaSpec& shape, const std::vector<uint8_t>& pixels) {
        const std::string path = dir.file("image.tga");
        writeBytes(path, makeTga(shape, pixels));
        return decodeTgaFile(path.c_str(), image);
    }
    int decode(const TgaSpec& shape) { return decode(shape, patternPixels(shape)); }
};
}  // namespace

TEST(PowerOfTwo, OnlyTwoTo512Qualify) {
    for (unsigned v = 0; v <= 2048; ++v) {
        const bool expected = v == 2 || v == 4 || v == 8 || v == 16 || v == 32 || v == 64 || v == 128 || v == 256 || v == 512;
        ASSERT_EQ(isPowerOfTwo(v), expected ? 1 : 0) << v;
    }
}

TEST_F(TgaFile, TrueColourIsStoredBlueGreenRedAndLoadsRedGreenBlue) {
    TgaSpec shape;
    shape.width = 256;
    shape.height = 256;
    const std::vector<uint8_t> file = patternPixels(shape);
    ASSERT_EQ(decode(shape, file), kTgaLoaded);
    EXPECT_EQ(image.width, 256);
    EXPECT_EQ(image.height, 256);
    EXPECT_EQ(image.pixelFormat, static_cast<GLenum>(GL_RGB));
    for (size_t p = 0; p < 256 * 256; ++p) {
        ASSERT_EQ(image.pixels[3 * p + 0], file[3 * p + 2]) << p;
        ASSERT_EQ(image.pixels[3 * p + 1], file[3 * p + 1]) << p;
        ASSERT_EQ(image.pixels[3 * p + 2], file[3 * p + 0]) << p;
    }
}

TEST_F(TgaFile, ThirtyTwoBitKeepsAlphaInPlace) {
    TgaSpec shape;
    shape.depth = 32;
    shape.width = 8;
    shape.height = 2;
    const std::vector<uint8_t> file = patternPixels(shape);
    ASSERT_EQ(decode(shape, file), kTgaLoaded);
    EXPECT_EQ(image.pixelFormat, static_cast<GLenum>(GL_RGBA));
    for (size_t p = 0; p < 16; ++p) {
        EXPECT_EQ(image.pixels[4 * p + 0], file[4 * p + 2]);
        EXPECT_EQ(image.pixels[4 * p + 1], file[4 * p + 1]);
        EXPECT_EQ(image.pixels[4 * p + 2], file[4 * p + 0]);
        EXPECT_EQ(image.pixels[4 * p + 3], file[4 * p + 3]);
    }
}

TEST_F(TgaFile, EightBitIsAnAlphaTextureForEitherImageType) {
    for (uint8_t type : {uint8_t{3}, uint8_t{2}}) {
        TgaSpec shape;
        shape.imageType = type;
        shape.depth = 8;
        const std::vector<uint8_t> file = patternPixels(shape);
        ASSERT_EQ(decode(shape, file), kTgaLoaded) << "type " << int{type};
        EXPECT_EQ(image.pixelFormat, static_cast<GLenum>(GL_ALPHA));
        EXPECT_TRUE(std::equal(file.begin(), file.end(), image.pixels.get())) << "bytes unchanged";
    }
    TgaSpec grey;
    grey.imageType = 3;
    grey.depth = 24;
    EXPECT_EQ(decode(grey), kTgaLoaded) << "type and depth are checked independently";
}

TEST_F(TgaFile, SizesThatAreNotPowersOfTwoUpTo512AreRefused) {
    for (unsigned w : {1u, 3u, 640u, 1024u, 0u}) {
        TgaSpec shape;
        shape.width = w;
        EXPECT_EQ(decode(shape, {}), kTgaBadSize) << "width " << w;
        shape.width = 4;
        shape.height = w;
        EXPECT_EQ(decode(shape, {}), kTgaBadSize) << "height " << w;
    }
    TgaSpec largest;
    largest.width = 512;
    largest.height = 512;
    largest.depth = 32;
    EXPECT_EQ(decode(largest), kTgaLoaded);
}

TEST_F(TgaFile, CompressedOrColourMappedFilesAreRefused) {
    TgaSpec rle;
    rle.imageType = 10;
    EXPECT_EQ(decode(rle), kTgaBadType);
    TgaSpec mapped;
    mapped.colourMapType = 1;
    EXPECT_EQ(decode(mapped), kTgaBadType);
    TgaSpec indexed;
    indexed.imageType = 1;
    EXPECT_EQ(decode(indexed), kTgaBadType);
}

TEST_F(TgaFile, TypeIsCheckedBeforeSizeAndSizeBeforeDepth) {
    TgaSpec shape;
    shape.imageType = 10;
    shape.width = 640;
    shape.depth = 16;
    EXPECT_EQ(decode(shape, {}), kTgaBadType);
    shape.imageType = 2;
    EXPECT_EQ(decode(shape, {}), kTgaBadSize);
    shape.width = 4;
    EXPECT_EQ(decode(shape, {}), kTgaBadDepth) << "no pixels, yet the depth decides";
}

TEST_F(TgaFile, DepthsOtherThan8_24_32AreRefused) {
    for (uint8_t depth : {uint8_t{0}, uint8_t{15}, uint8_t{16}, uint8_t{48}}) {
        TgaSpec shape;
        shape.depth = depth;
        EXPECT_EQ(decode(shape, std::vector<uint8_t>(64, 1)), kTgaBadDepth) << int{depth};
    }
}

TEST_F(TgaFile, PixelDataOneByteShortIsRefused) {
    for (uint8_t depth : {uint8_t{8}, uint8_t{24}, uint8_t{32}}) {
        TgaSpec shape;
        shape.depth = depth;
        std::vector<uint8_t> pixels = patternPixels(shape);
        pixels.pop_back();
        EXPECT_EQ(decode(shape, pixels), kTgaShortData) << int{depth};
        EXPECT_EQ(image.pixels, nullptr);
    }
}

TEST_F(TgaFile, HeaderCutShortIsRefused) {
    const std::string path = dir.file("stub.tga");
    writeBytes(path, {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0});
    EXPECT_EQ(decodeTgaFile(path.c_str(), image), kTgaShortData);
}

TEST_F(TgaFile, MissingFileCannotBeOpened) {
    EXPECT_EQ(decodeTgaFile(dir.file("none.tga").c_str(), image), kTgaCannotOpen);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST_F(TgaFile, ImageIdFieldIsSkippedBeforeThePixels) {
    TgaSpec shape;
    shape.idLength = 5;
    shape.depth = 8;
    shape.width = 2;
    shape.height = 2;
    ASSERT_EQ(decode(shape, {10, 20, 30, 40}), kTgaLoaded);
    EXPECT_EQ(image.pixels[0], 10);
    EXPECT_EQ(image.pixels[3], 40);
}

TEST_F(TgaFile, ReadersSwapOnlyBytesZeroAndTwoOfEachPixel) {
    const std::string path = dir.file("raw.bin");
    writeBytes(path, {1, 2, 3, 4, 5, 6, 7, 8});
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    PixelBuffer p32 = readPixels32(f, 2);
    ASSERT_NE(p32, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p32.get(), p32.get() + 8), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));
    std::rewind(f);
    PixelBuffer p24 = readPixels24(f, 2);
    ASSERT_NE(p24, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p24.get(), p24.get() + 6), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    std::rewind(f);
    GLenum format = 12345;
    EXPECT_EQ(readPixels(f, 3, 24, format), nullptr) << "9 bytes wanted, 8 there";
    EXPECT_EQ(format, 12345u) << "no format reported for a failed read";
    std::fclose(f);
}
