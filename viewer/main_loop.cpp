#include "main_loop.h"

#include <cmath>

#include "beat_detector.h"
#include "random.h"

float sinTable[kRingSegments];
float cosTable[kRingSegments];
uint8_t specialKeyDown[kKeyCount];
uint8_t charKeyDown[kKeyCount];

void fillRingTables() {
    for (int i = 0; i < kRingSegments; ++i) {
        const double angle = i * 6.2831853071796 / 60;
        sinTable[i] = static_cast<float>(std::sin(angle));
        cosTable[i] = static_cast<float>(std::cos(angle));
    }
}

void setCharKey(int key, uint8_t down) {
    if (key >= 0 && key < kKeyCount) charKeyDown[key] = down;
}

void setSpecialKey(int key, uint8_t down) {
    if (key >= 0 && key < kKeyCount) specialKeyDown[key] = down;
}

bool escapeHeld() { return charKeyDown[kEscapeKey] != 0; }

EyePoint chooseEye(bool spinMode) {
    if (!spinMode) return kFixedEye;
    EyePoint eye;
    eye.x = randomBelow(360);
    eye.y = randomBelow(360);
    eye.z = randomBelow(360);
    if (eye.x == 0 && eye.z == 0) return kFixedEye;
    return eye;
}

double aspectRatio(int width, int height) {
    return static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
}

bool frameIsShown() { return beat.historyWarmingUp == 0 || beat.historyIndex == 1; }
