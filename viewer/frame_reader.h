// Spectrum frame file: the text file an outside producer keeps rewriting with the current
// audio spectrum, and the parser that turns it into a SpectrumFrame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

constexpr int kSpectrumRows = 288;
constexpr int kSpectrumChannels = 2;
constexpr int kSpectrumValues = kSpectrumRows * kSpectrumChannels;  // 576 per frame

// 288 rows x 2 channels, row by row: value k of channel c sits at value[k][c].
struct SpectrumFrame {
    int32_t value[kSpectrumRows][kSpectrumChannels];
};

extern SpectrumFrame spectrumFrame;

// The producer writes "C:/data.txt". On Linux drive C lives inside the Wine prefix:
// $WINEPREFIX/drive_c/..., else $HOME/.wine/drive_c/...; a path without a drive letter is
// used as it stands. Either variable may be null.
std::string mapDrivePath(const char* windowsPath, const char* winePrefix, const char* home);

// The frame file's path on this machine, worked out from the environment on first use.
const std::string& frameFilePath();
// Forgets the cached path so the next call reads the environment again (tests).
void resetFrameFilePath();

// Reads numbers the way a chain of fscanf("%d") calls does: white space is skipped, an
// optional sign and decimal digits make a value, and the first text that is not a number
// stops the frame (it and every later value keep their previous contents). Numbers beyond
// the 32-bit range saturate to INT32_MIN / INT32_MAX instead of overflowing.
struct SpectrumScanner {
    enum class State : uint8_t { Space, Sign, Digits, Stopped };
    State state = State::Space;
    bool negative = false;
    uint64_t magnitude = 0;
    int stored = 0;  // values written so far, 0..576

    // Consumes bytes; returns true once no more input is wanted (576 values or a stop).
    bool feed(const char* data, size_t size, SpectrumFrame& frame);
    // End of input: a number running up to the end of the file still counts.
    void finish(SpectrumFrame& frame);
    bool done() const { return state == State::Stopped || stored == kSpectrumValues; }

private:
    void store(SpectrumFrame& frame);
};

// Reads one frame from an open stream into `frame`; returns the number of values stored.
int readSpectrumStream(FILE* file, SpectrumFrame& frame);

// Opens `path` ("rb"), reads it into spectrumFrame and closes it. If the file cannot be
// opened, prints "file could not be opened\n" on standard output and returns false.
bool readSpectrumFile(const char* path);

// Once per frame: re-reads the frame file into spectrumFrame.
void readSpectrumFrame();
