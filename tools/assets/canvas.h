// A floating-point RGBA canvas and the few drawing helpers the generated images share.
// Row 0 is the bottom row, as in an OpenGL texture and a bottom-left-origin TGA file.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct Rgba {
    float r = 0, g = 0, b = 0, a = 1;
};

struct Canvas {
    int width;
    int height;
    std::vector<Rgba> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h) {}
    Rgba& at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    const Rgba& at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float mixf(float a, float b, float t) { return a + (b - a) * t; }
inline Rgba mix(const Rgba& a, const Rgba& b, float t) {
    return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t), mixf(a.a, b.a, t)};
}
inline float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float fract(float v) { return v - std::floor(v); }
constexpr float kPi = 3.14159265358979f;

// Hue 0..1 around the colour wheel.
Rgba hsv(float h, float s, float v);

// Deterministic pseudo-random numbers (xorshift), so every build draws the same images.
struct Dice {
    uint64_t state;
    explicit Dice(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    }
    float unit() { return static_cast<float>(next() >> 40) / static_cast<float>(1 << 24); }
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
};

// Smooth value noise in 0..1, and a few octaves of it; `period` makes it tile.
float valueNoise(float x, float y, uint32_t seed, int period);
float fbm(float x, float y, uint32_t seed, int octaves, int period);

// Writes an uncompressed TGA: depth 8 (type 3, the alpha channel), 24 (type 2, BGR) or
// 32 (type 2, BGRA). Pixel data follows the 18-byte header directly.
bool writeTga(const std::string& path, const Canvas& canvas, int depth);
