// The plug-in's three bitmaps, 256 x 256 each, written as Windows BMP files into DIR/Plugins/:
//   zev.bmp        24-bit: a tiling nebula, domain-warped noise in violet, rose and gold, with stars
//   trees.bmp      8-bit with a 256-colour table: tree silhouettes in two layers against a dusk sky
//   generated.bmp  24-bit: a tiling field of living cells with glowing membranes
#include "plugin_bitmaps.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "canvas.h"

namespace {

constexpr int kSize = 256;

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
void put32(std::vector<unsigned char>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// File and info headers of a bottom-up BI_RGB bitmap; rows are whole multiples of 4 bytes here.
std::vector<unsigned char> bmpHeader(int width, int height, int bits, int colours) {
    const unsigned offset = 14 + 40 + 4u * static_cast<unsigned>(colours);
    const unsigned imageBytes = static_cast<unsigned>(width * bits / 8 * height);
    std::vector<unsigned char> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + imageBytes);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, static_cast<unsigned>(width));
    put32(out, static_cast<unsigned>(height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, static_cast<unsigned>(colours));
    put32(out, 0);
    return out;
}

unsigned char byteOf(float v) { return static_cast<unsigned char>(clamp01(v) * 255.0f + 0.5f); }

bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeBmp24(const std::string& path, const Canvas& canvas) {
    std::vector<unsigned char> out = bmpHeader(canvas.width, canvas.height, 24, 0);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const Rgba& p = canvas.at(x, y);
            out.push_back(byteOf(p.b));
            out.push_back(byteOf(p.g));
            out.push_back(byteOf(p.r));
        }
    return writeFile(path, out);
}

bool writeBmp8(const std::string& path, const std::vector<Rgba>& palette, const std::vector<unsigned char>& indices) {
    std::vector<unsigned char> out = bmpHeader(kSize, kSize, 8, 256);
    for (const Rgba& c : palette) {
        out.push_back(byteOf(c.b));
        out.push_back(byteOf(c.g));
        out.push_back(byteOf(c.r));
        out.push_back(0);
    }
    out.insert(out.end(), indices.begin(), indices.end());
    return writeFile(path, out);
}

// A colour ramp through evenly spaced stops.
Rgba ramp(const std::vector<Rgba>& stops, float t) {
    t = clamp01(t) * static_cast<float>(stops.size() - 1);
    const int i = std::min(static_cast<int>(t), static_cast<int>(stops.size()) - 2);
    return mix(stops[static_cast<size_t>(i)], stops[static_cast<size_t>(i) + 1], t - static_cast<float>(i));
}

// Nebula: noise warped by noise warped by noise, all on a period of the image so it tiles.
Canvas drawNebula() {
    Canvas canvas(kSize, kSize);
    const std::vector<Rgba> gas = {{0.01f, 0.01f, 0.06f}, {0.10f, 0.04f, 0.28f}, {0.45f, 0.08f, 0.45f},
                                   {0.92f, 0.32f, 0.42f}, {1.00f, 0.72f, 0.36f}, {1.00f, 0.96f, 0.85f}};
    const float scale = 4.0f / kSize;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const float px = x * scale, py = y * scale;
            const float qx = fbm(px, py, 11, 5, 4), qy = fbm(px + 1.7f, py + 9.2f, 12, 5, 4);
            const float rx = fbm(px + 4 * qx + 8.3f, py + 4 * qy + 2.8f, 13, 5, 4);
            const float ry = fbm(px + 4 * qx + 1.2f, py + 4 * qy + 5.1f, 14, 5, 4);
            const float f = fbm(px + 4 * rx, py + 4 * ry, 15, 6, 4);
            const float density = smoothstep(0.3f, 0.8f, f);
            Rgba c = ramp(gas, density * 0.85f + 0.15f * rx);
            const Rgba dust = {0.05f, 0.25f, 0.45f};  // cold blue where the warp folds
            c = mix(c, dust, 0.35f * smoothstep(0.55f, 0.75f, qy) * (1 - density));
            canvas.at(x, y) = c;
        }
    Dice dice(2024);
    for (int s = 0; s < 260; ++s) {
        const float sx = dice.range(0, kSize), sy = dice.range(0, kSize);
        const float bright = dice.unit(), radius = 0.6f + 1.8f * bright * bright;
        const Rgba tint = mix({0.75f, 0.85f, 1.0f}, {1.0f, 0.85f, 0.7f}, dice.unit());
        for (int dy = -4; dy <= 4; ++dy)
            for (int dx = -4; dx <= 4; ++dx) {
                const int x = (static_cast<int>(sx) + dx + kSize) % kSize, y = (static_cast<int>(sy) + dy + kSize) % kSize;
                const float d2 = (dx + 0.5f - (sx - std::floor(sx))) * (dx + 0.5f - (sx - std::floor(sx))) +
                                 (dy + 0.5f - (sy - std::floor(sy))) * (dy + 0.5f - (sy - std::floor(sy)));
                const float glow = std::exp(-d2 / (radius * radius)) * (0.35f + 0.65f * bright);
                Rgba& p = canvas.at(x, y);
                p = {p.r + tint.r * glow, p.g + tint.g * glow, p.b + tint.b * glow, 1};
            }
    }
    return canvas;
}

// A branch of a tree into a coverage mask: a tapering limb that forks until it is a twig, with
// leaf clusters at the ends.
void drawBranch(std::vector<float>& mask, Dice& dice, float x, float y, float angle, float length, float width,
                int depth) {
    const float ex = x + std::cos(angle) * length, ey = y + std::sin(angle) * length;
    const int x0 = static_cast<int>(std::min(x, ex) - width - 2), x1 = static_cast<int>(std::max(x, ex) + width + 2);
    const int y0 = static_cast<int>(std::min(y, ey) - width - 2), y1 = static_cast<int>(std::max(y, ey) + width + 2);
    const float vx = ex - x, vy = ey - y, len2 = vx * vx + vy * vy + 1e-6f;
    for (int py = std::max(y0, 0); py <= std::min(y1, kSize - 1); ++py)
        for (int px = x0; px <= x1; ++px) {
            const float t = clamp01(((px - x) * vx + (py - y) * vy) / len2);
            const float dx = px - (x + t * vx), dy = py - (y + t * vy);
            const float r = width * (1 - 0.35f * t);
            const float cover = clamp01(r + 0.5f - std::sqrt(dx * dx + dy * dy));
            float& m = mask[static_cast<size_t>(py) * kSize + static_cast<size_t>((px % kSize + kSize) % kSize)];
            m = std::max(m, cover);
        }
    if (depth == 0 || length < 2.5f) {
        for (int leaf = 0; leaf < 7; ++leaf) {  // a ragged clump of foliage
            const float lx = ex + dice.range(-5, 5), ly = ey + dice.range(-4, 5), lr = dice.range(1.5f, 3.8f);
            for (int py = static_cast<int>(ly - lr - 1); py <= static_cast<int>(ly + lr + 1); ++py)
                for (int px = static_cast<int>(lx - lr - 1); px <= static_cast<int>(lx + lr + 1); ++px) {
                    if (py < 0 || py >= kSize) continue;
                    const float d = std::sqrt((px - lx) * (px - lx) + (py - ly) * (py - ly));
                    float& m = mask[static_cast<size_t>(py) * kSize + static_cast<size_t>((px % kSize + kSize) % kSize)];
                    m = std::max(m, clamp01(lr + 0.5f - d));
                }
        }
        return;
    }
    const int forks = dice.unit() < 0.3f ? 3 : 2;
    for (int k = 0; k < forks; ++k) {
        const float spread = dice.range(0.25f, 0.65f) * (k == 0 ? -1.0f : (k == 1 ? 1.0f : 0.1f));
        drawBranch(mask, dice, ex, ey, angle + spread + dice.range(-0.12f, 0.12f), length * dice.range(0.66f, 0.8f),
                   width * 0.68f, depth - 1);
    }
}

// One layer of trees standing on a rolling ground line; the mask wraps left to right.
std::vector<float> drawForest(uint64_t seed, int trees, float ground, float height, float trunk) {
    std::vector<float> mask(static_cast<size_t>(kSize) * kSize, 0.0f);
    Dice dice(seed);
    for (int x = 0; x < kSize; ++x) {
        const float top = ground + 6 * fbm(x / 32.0f, 0.5f, static_cast<uint32_t>(seed), 3, kSize / 32);
        for (int y = 0; y < static_cast<int>(top) && y < kSize; ++y) mask[static_cast<size_t>(y) * kSize + x] = 1;
    }
    for (int t = 0; t < trees; ++t) {
        const float x = (t + dice.range(0.1f, 0.9f)) * kSize / trees;
        drawBranch(mask, dice, x, ground, kPi / 2 + dice.range(-0.08f, 0.08f), height * dice.range(0.8f, 1.2f),
                   trunk, 7);
    }
    return mask;
}

// Dusk behind two layers of trees, as indices into a 256-colour table:
// 0-175 sky from zenith to horizon glow, 176-215 the far hazy layer, 216-255 the near layer.
bool writeTrees(const std::string& path) {
    std::vector<Rgba> palette(256);
    const std::vector<Rgba> sky = {{0.05f, 0.03f, 0.16f}, {0.22f, 0.08f, 0.34f}, {0.62f, 0.20f, 0.40f},
                                   {0.96f, 0.46f, 0.30f}, {1.00f, 0.80f, 0.42f}, {1.00f, 0.96f, 0.78f}};
    for (int i = 0; i < 176; ++i) palette[static_cast<size_t>(i)] = ramp(sky, i / 175.0f);
    for (int i = 0; i < 40; ++i) {
        palette[176 + static_cast<size_t>(i)] = mix({0.16f, 0.08f, 0.22f}, {0.42f, 0.20f, 0.36f}, i / 39.0f);
        palette[216 + static_cast<size_t>(i)] = mix({0.01f, 0.02f, 0.02f}, {0.10f, 0.13f, 0.07f}, i / 39.0f);
    }
    const std::vector<float> far = drawForest(7, 5, 62, 30, 3.2f);
    const std::vector<float> near = drawForest(19, 3, 26, 44, 5.5f);
    std::vector<unsigned char> indices(static_cast<size_t>(kSize) * kSize);
    const float sunX = 150, sunY = 78;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            const size_t at = static_cast<size_t>(y) * kSize + static_cast<size_t>(x);
            const float clouds = fbm(x / 64.0f, y / 22.0f, 31, 5, 4) - 0.5f;
            const float sun = std::exp(-((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY)) / 900.0f);
            const float skyLevel = clamp01(1.0f - y / 255.0f * 0.95f + 0.35f * clouds + 0.45f * sun);
            const float shade = clamp01(fbm(x / 16.0f, y / 16.0f, 41, 3, kSize / 16) * 1.2f - 0.1f);
            unsigned char index = static_cast<unsigned char>(skyLevel * 175.0f);
            // Dither the silhouette edges with a fixed pattern so the 8-bit edges stay soft.
            const float threshold = ((x * 7 + y * 13) % 16) / 16.0f;
            if (far[at] > threshold) index = static_cast<unsigned char>(176 + shade * 39.0f * (0.4f + 0.6f * sun + 0.3f));
            if (near[at] > threshold) index = static_cast<unsigned char>(216 + shade * 39.0f * 0.6f);
            indices[at] = index;
        }
    return writeBmp8(path, palette, indices);
}

// Cells: a tiling Voronoi field; each cell a tinted, grainy body, each border a glowing membrane.
Canvas drawCells() {
    Canvas canvas(kSize, kSize);
    Dice dice(77);
    struct Seed {
        float x, y, hue;
    };
    std::vector<Seed> seeds;
    for (int i = 0; i < 30; ++i) seeds.push_back({dice.range(0, kSize), dice.range(0, kSize), dice.range(0.38f, 0.62f)});
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            float d1 = 1e9f, d2 = 1e9f;
            const Seed* nearest = &seeds[0];
            for (const Seed& s : seeds)
                for (int oy = -1; oy <= 1; ++oy)
                    for (int ox = -1; ox <= 1; ++ox) {
                        const float dx = x - (s.x + ox * kSize), dy = y - (s.y + oy * kSize);
                        const float d = std::sqrt(dx * dx + dy * dy);
                        if (d < d1) {
                            d2 = d1;
                            d1 = d;
                            nearest = &s;
                        } else if (d < d2) {
                            d2 = d;
                        }
                    }
            const float grain = fbm(x / 32.0f, y / 32.0f, 51, 5, kSize / 32);
            const float edge = d2 - d1;
            const float membrane = std::exp(-edge * edge / 6.0f);
            const float nucleus = std::exp(-d1 * d1 / 40.0f);
            Rgba body = hsv(nearest->hue + 0.08f * (grain - 0.5f), 0.75f, 0.18f + 0.35f * grain * smoothstep(0, 30, d1));
            const Rgba glow = hsv(nearest->hue - 0.12f, 0.55f, 1.0f);
            const Rgba core = {1.0f, 0.78f, 0.42f};
            body = mix(body, glow, 0.9f * membrane);
            body = mix(body, core, 0.8f * nucleus);
            canvas.at(x, y) = body;
        }
    return canvas;
}

}  // namespace

bool writePluginBitmaps(const std::string& dir) {
    const std::filesystem::path folder = std::filesystem::path(dir) / "Plugins";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    return writeBmp24((folder / "zev.bmp").string(), drawNebula()) && writeTrees((folder / "trees.bmp").string()) &&
           writeBmp24((folder / "generated.bmp").string(), drawCells());
}
