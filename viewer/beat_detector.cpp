#include "beat_detector.h"

#include "frame_reader.h"

#include <limits>

BeatDetector beat{};
FrameRateCounter frameRate{};

void resetBeatDetector() {
    beat = BeatDetector{};
    frameRate = FrameRateCounter{};
}

void countFrameRateAt(time_t now) {
    ++frameRate.fpsFrameCount;
    if (now > frameRate.fpsLastSecond) {
        frameRate.framesPerSecond = frameRate.fpsFrameCount;
        frameRate.fpsLastSecond = now;
        frameRate.fpsFrameCount = 0;
    }
}

void countFrameRate() { countFrameRateAt(std::time(nullptr)); }

void computeBandLevels() {
    for (int b = 0; b < kBandCount; ++b) {
        int64_t sum = 0;
        for (int k = 0; k < kBandWidth; ++k) sum += spectrumFrame.value[kBandWidth * b + k][0];
        beat.bandLevel[b] = static_cast<int32_t>(sum / kBandWidth);
    }
}

namespace {
// Level above 2.5 times the ring average (the average always divides by the full ring).
bool aboveAverage(int64_t runningSum, int64_t level) {
    return static_cast<double>(ringAverage(runningSum)) < static_cast<double>(level) / 2.5;
}

// Frame counters stop at their maximum instead of wrapping after years of silence.
void countUp(int32_t& counter) {
    if (counter < std::numeric_limits<int32_t>::max()) ++counter;
}

void pushHistory(int row, int64_t level, int64_t& runningSum) {
    int64_t& slot = beat.levelHistory[row][beat.historyIndex];
    runningSum -= slot;
    slot = level;
    runningSum += level;
}
}  // namespace

void detectBeats() {
    if (++beat.historyIndex >= kHistoryLength) {
        beat.historyIndex = 0;
        beat.historyWarmingUp = 0;
    }

    for (int64_t& g : beat.groupLevel) g = 0;
    for (int b = 0; b < kBandCount; ++b) {
        beat.bandBeat[b] = 0;
        const int64_t level = beat.bandLevel[b];
        pushHistory(b, level, beat.bandRunningSum[b]);
        beat.groupLevel[0] += level;
        if (b <= 2) {
            beat.groupLevel[1] += level;
        } else if (b <= 5) {
            beat.groupLevel[2] += level;
        } else {
            beat.groupLevel[3] += level;
        }
        if (aboveAverage(beat.bandRunningSum[b], level)) beat.bandBeat[b] = 1;
    }

    countUp(beat.framesSinceOnset);
    for (int g = 0; g < kGroupCount; ++g) {
        beat.groupOnset[g] = 0;
        pushHistory(kBandCount + g, beat.groupLevel[g], beat.groupRunningSum[g]);
        countUp(beat.framesSinceActive[g]);
        beat.groupActive[g] = 0;
        if (aboveAverage(beat.groupRunningSum[g], beat.groupLevel[g])) {
            beat.groupActive[g] = 1;
            if (beat.framesSinceActive[g] > frameRate.framesPerSecond / 8) {
                beat.groupOnset[g] = 1;
                beat.lastOnsetInterval = beat.framesSinceOnset;
                beat.framesSinceOnset = 0;
            }
            beat.framesSinceActive[g] = 0;
        }
    }
}
