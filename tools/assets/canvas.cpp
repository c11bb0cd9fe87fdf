#include "canvas.h"

#include <cstdio>

Rgba hsv(float h, float s, float v) {
    h = fract(h) * 6;
    const int sector = static_cast<int>(h);
    const float f = h - sector;
    const float p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    switch (sector) {
        case 0: return {v, t, p, 1};
        case 1: return {q, v, p, 1};
        case 2: return {p, v, t, 1};
        case 3: return {p, q, v, 1};
        case 4: return {t, p, v, 1};
        default: return {v, p, q, 1};
    }
}

namespace {
float lattice(int x, int y, uint32_t seed, int period) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / static_cast<float>(0xFFFFFF);
}
}  // namespace

float valueNoise(float x, float y, uint32_t seed, int period) {
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const float fx = x - xi, fy = y - yi;
    const float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const float a = lattice(xi, yi, seed, period), b = lattice(xi + 1, yi, seed, period);
    const float c = lattice(xi, yi + 1, seed, period), d = lattice(xi + 1, yi + 1, seed, period);
    return mixf(mixf(a, b, sx), mixf(c, d, sx), sy);
}

float fbm(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amplitude = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(x, y, seed + static_cast<uint32_t>(o) * 101u, period);
        norm += amplitude;
        x *= 2;
        y *= 2;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

bool writeTga(const std::string& path, const Canvas& canvas, int depth) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    unsigned char header[18] = {};
    header[2] = depth == 8 ? 3 : 2;
    header[12] = static_cast<unsigned char>(canvas.width & 0xFF);
    header[13] = static_cast<unsigned char>(canvas.width >> 8);
    header[14] = static_cast<unsigned char>(canvas.height & 0xFF);
    header[15] = static_cast<unsigned char>(canvas.height >> 8);
    header[16] = static_cast<unsigned char>(depth);
    header[17] = depth == 32 ? 8 : 0;  // alpha bits; origin bottom-left
    std::fwrite(header, 1, sizeof header, f);
    const int bytes = depth / 8;
    std::vector<unsigned char> row(static_cast<size_t>(canvas.width) * bytes);
    auto byte = [](float v) { return static_cast<unsigned char>(clamp01(v) * 255.0f + 0.5f); };
    for (int y = 0; y < canvas.height; ++y) {
        for (int x = 0; x < canvas.width; ++x) {
            const Rgba& p = canvas.at(x, y);
            unsigned char* out = &row[static_cast<size_t>(x) * bytes];
            if (depth == 8) {
                out[0] = byte(p.a);
            } else {
                out[0] = byte(p.b);
                out[1] = byte(p.g);
                out[2] = byte(p.r);
                if (depth == 32) out[3] = byte(p.a);
            }
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}
