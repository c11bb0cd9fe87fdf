// The window-independent half of the main loop: the ring direction tables, the key flags,
// the camera's eye point, the projection's aspect ratio and the swap rule.
#pragma once

#include <cstdint>

constexpr int kRingSegments = 60;
extern float sinTable[kRingSegments];
extern float cosTable[kRingSegments];
// Fills both tables: entry i is the sine / cosine of i * 6.2831853071796 / 60.
void fillRingTables();

constexpr int kKeyCount = 128;
constexpr int kEscapeKey = 27;
extern uint8_t specialKeyDown[kKeyCount];
extern uint8_t charKeyDown[kKeyCount];
// Record a key going down (1) or up (0). Codes outside 0..127 are ignored.
void setCharKey(int key, uint8_t down);
void setSpecialKey(int key, uint8_t down);
bool escapeHeld();

struct EyePoint {
    double x, y, z;
};
constexpr EyePoint kFixedEye{0, 0, 250};
// The camera's eye: fixed at (0, 0, 250), or in spin mode three random values 0..359 drawn
// anew each frame. A random eye on the Y axis (the origin included) cannot look at the
// origin with +Y up, so that frame uses the fixed eye.
EyePoint chooseEye(bool spinMode);

// Width / height for the projection; a zero (or negative) height counts as 1.
double aspectRatio(int width, int height);

// During the warm-up only the very first frame is shown.
bool frameIsShown();
