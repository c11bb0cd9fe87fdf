#include "frame_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "beat_detector.h"
#include "test_files.h"

namespace {
std::string numbers(int first, int count, int offset = 0) {
    std::string s;
    for (int i = first; i < first + count; ++i) s += std::to_string(i + offset) + ((i % 16 == 15) ? "\n" : " ");
    return s;
}

class FrameFile : public testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("data.txt");
    void SetUp() override {
        for (auto& row : spectrumFrame.value) row[0] = row[1] = -7;
    }
    void read(const std::string& text) {
        writeFile(path, text);
        ASSERT_TRUE(readSpectrumFile(path.c_str()));
    }
};
}  // namespace

TEST(FrameFilePath, DriveCLivesInTheWinePrefixElseTheUsersDefaultOne) {
    EXPECT_EQ(mapDrivePath("C:/data.txt", "/tmp/pfx", "/home/u"), "/tmp/pfx/drive_c/data.txt");
    EXPECT_EQ(mapDrivePath("c:\\dir\\data.txt", "/tmp/pfx", nullptr), "/tmp/pfx/drive_c/dir/data.txt");
    EXPECT_EQ(mapDrivePath("C:/data.txt", "", "/home/u"), "/home/u/.wine/drive_c/data.txt");
    EXPECT_EQ(mapDrivePath("D:/data.txt", "/tmp/pfx", "/home/u"), "D:/data.txt");
}

TEST(FrameFilePath, ReadsWineprefixFromTheEnvironment) {
    setenv("WINEPREFIX", "/tmp/somewhere", 1);
    resetFrameFilePath();
    EXPECT_EQ(frameFilePath(), "/tmp/somewhere/drive_c/data.txt");
    unsetenv("WINEPREFIX");
    resetFrameFilePath();
}

TEST_F(FrameFile, FullFileFillsChannelZeroThenChannelOneRowByRow) {
    read(numbers(0, 288) + numbers(0, 288, 1000));
    for (int k = 0; k < 288; ++k) {
        ASSERT_EQ(spectrumFrame.value[k][0], k);
        ASSERT_EQ(spectrumFrame.value[k][1], 1000 + k);
    }
}

TEST_F(FrameFile, OnlyChannelZeroLeavesChannelOneAndGivesTheSameBandLevels) {
    read(numbers(0, 288) + numbers(0, 288, 1000));
    computeBandLevels();
    int32_t full[8];
    std::copy(std::begin(beat.bandLevel), std::end(beat.bandLevel), full);

    for (auto& row : spectrumFrame.value) row[1] = 55;
    read(numbers(0, 288));
    computeBandLevels();
    for (int k = 0; k < 288; ++k) ASSERT_EQ(spectrumFrame.value[k][1], 55);
    for (int b = 0; b < 8; ++b) EXPECT_EQ(beat.bandLevel[b], full[b]);
}

TEST_F(FrameFile, MissingFileSaysSoAndKeepsThePreviousValues) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(readSpectrumFile(dir.file("absent.txt").c_str()));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "file could not be opened\n");
    EXPECT_EQ(spectrumFrame.value[0][0], -7);
    EXPECT_EQ(spectrumFrame.value[287][1], -7);
}

TEST_F(FrameFile, TextThatIsNotANumberStopsTheFrameThere) {
    read("1 2\nx 4 5");
    EXPECT_EQ(spectrumFrame.value[0][0], 1);
    EXPECT_EQ(spectrumFrame.value[1][0], 2);
    EXPECT_EQ(spectrumFrame.value[2][0], -7);
    EXPECT_EQ(spectrumFrame.value[3][0], -7);

    read("12abc 5");
    EXPECT_EQ(spectrumFrame.value[0][0], 12);
    EXPECT_EQ(spectrumFrame.value[1][0], 2) << "values after the stop keep their contents";

    read("3 - 4");
    EXPECT_EQ(spectrumFrame.value[0][0], 3);
    EXPECT_EQ(spectrumFrame.value[1][0], 2) << "a lone sign is not a number";
}

TEST_F(FrameFile, SignsAndAnyWhiteSpaceAreAccepted) {
    read("\t-5\r\n+7\v\f-0   12-3\n");
    EXPECT_EQ(spectrumFrame.value[0][0], -5);
    EXPECT_EQ(spectrumFrame.value[1][0], 7);
    EXPECT_EQ(spectrumFrame.value[2][0], 0);
    EXPECT_EQ(spectrumFrame.value[3][0], 12);
    EXPECT_EQ(spectrumFrame.value[4][0], -3) << "a sign right after a number starts the next one";
    EXPECT_EQ(spectrumFrame.value[5][0], -7);
}

TEST_F(FrameFile, NumbersBeyond32BitsSaturate) {
    read("99999999999999999999999 -99999999999999999999 2147483647 -2147483648 2147483648 -2147483649 000000000000000000042");
    EXPECT_EQ(spectrumFrame.value[0][0], INT32_MAX);
    EXPECT_EQ(spectrumFrame.value[1][0], INT32_MIN);
    EXPECT_EQ(spectrumFrame.value[2][0], INT32_MAX);
    EXPECT_EQ(spectrumFrame.value[3][0], INT32_MIN);
    EXPECT_EQ(spectrumFrame.value[4][0], INT32_MAX);
    EXPECT_EQ(spectrumFrame.value[5][0], INT32_MIN);
    EXPECT_EQ(spectrumFrame.value[6][0], 42);
}

TEST_F(FrameFile, NumberCutByTheReadBufferOrTheEndOfFileStillCounts) {
    // 4094 spaces put "123456" across the 4096-byte read boundary.
    read(std::string(4094, ' ') + "123456 77");
    EXPECT_EQ(spectrumFrame.value[0][0], 123456);
    EXPECT_EQ(spectrumFrame.value[1][0], 77) << "a number ending at end of file";
}

TEST_F(FrameFile, HugeFileIsReadOnlyAsFarAsTheFrameNeeds) {
    // A 50 MB file of numbers: the frame takes its first 576 values and stops reading.
    std::string text;
    text.reserve(50u << 20);
    for (int i = 0; text.size() < (50u << 20); ++i) text += std::to_string(i % 100000) + ' ';
    writeFile(path, text);
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(readSpectrumStream(f, spectrumFrame), 576);
    EXPECT_LE(std::ftell(f), 16 * 1024) << "read far more of the file than one frame needs";
    std::fclose(f);
    EXPECT_EQ(spectrumFrame.value[287][0], 287);
    EXPECT_EQ(spectrumFrame.value[287][1], 575);
}

TEST(SpectrumScanner, StopsAfterTheLastValueAndIgnoresTheRest) {
    SpectrumFrame frame{};
    SpectrumScanner scanner;
    const std::string text = numbers(0, 600) + "junk";
    EXPECT_TRUE(scanner.feed(text.data(), text.size(), frame));
    EXPECT_EQ(scanner.stored, 576);
    EXPECT_EQ(frame.value[0][1], 288);
}
