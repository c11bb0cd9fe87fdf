// Band levels, the 1200-frame beat detector and the frame-rate counter.
#pragma once

#include <cstdint>
#include <ctime>

constexpr int kBandCount = 8;
constexpr int kGroupCount = 4;
constexpr int kHistoryLength = 1200;
constexpr int kBandWidth = 36;  // spectrum rows per band

// Levels and sums are 64-bit: a group adds up eight band levels and a running sum 1200
// slots of them, which 32 bits cannot hold for loud (or hostile) input.
struct BeatDetector {
    int32_t bandLevel[kBandCount];
    int64_t levelHistory[kBandCount + kGroupCount][kHistoryLength];
    int32_t historyIndex;
    uint8_t historyWarmingUp = 1;
    int64_t bandRunningSum[kBandCount];
    int64_t groupLevel[kGroupCount];
    int64_t groupRunningSum[kGroupCount];
    uint8_t bandBeat[kBandCount];
    uint8_t groupActive[kGroupCount];
    uint8_t groupOnset[kGroupCount];
    int32_t framesSinceActive[kGroupCount];
    int32_t framesSinceOnset;
    int32_t lastOnsetInterval;
};

struct FrameRateCounter {
    int32_t framesPerSecond = 25;
    int32_t fpsFrameCount = 0;
    time_t fpsLastSecond = 0;
};

extern BeatDetector beat;
extern FrameRateCounter frameRate;

// Puts the detector and the counter back to their start values.
void resetBeatDetector();

// Counts this frame; when the calendar second has moved on, publishes the count.
void countFrameRate();
void countFrameRateAt(time_t now);

// bandLevel[b] = mean of spectrum channel 0 over rows 36b .. 36b+35 (truncating).
void computeBandLevels();

// Advances the ring, updates the running sums and sets beats, activity and onsets.
void detectBeats();

// The integer average over the ring that the beat rule and the scene use.
inline int64_t ringAverage(int64_t runningSum) { return runningSum / kHistoryLength; }
