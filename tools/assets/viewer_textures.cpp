// quorbel's textures. Backgrounds are 512 x 512 RGB (the scene tints them, so they are
// kept light and colourful); sprites are 128 x 128 RGBA or alpha-only; the bar is 64 x 256.
#include "viewer_textures.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "canvas.h"

namespace {
using Shader = std::function<Rgba(float u, float v)>;

// Fills the canvas from a shader of texture coordinates (0..1, v = 0 at the bottom),
// averaging n x n samples per pixel for smooth edges.
Canvas paint(int w, int h, int n, const Shader& shade) {
    Canvas c(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < n; ++sy) {
                for (int sx = 0; sx < n; ++sx) {
                    const Rgba s = shade((x + (sx + 0.5f) / n) / w, (y + (sy + 0.5f) / n) / h);
                    sum.r += s.r;
                    sum.g += s.g;
                    sum.b += s.b;
                    sum.a += s.a;
                }
            }
            const float k = 1.0f / static_cast<float>(n * n);
            c.at(x, y) = {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
        }
    }
    return c;
}

Rgba rgb(float r, float g, float b) { return {r, g, b, 1}; }
Rgba scale(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }
Rgba add(Rgba a, Rgba b) { return {a.r + b.r, a.g + b.g, a.b + b.b, a.a}; }

// Colour ramp through evenly spaced stops, t in 0..1.
Rgba ramp(std::initializer_list<Rgba> stops, float t) {
    const std::vector<Rgba> s(stops);
    t = clamp01(t) * static_cast<float>(s.size() - 1);
    const size_t i = std::min(static_cast<size_t>(t), s.size() - 2);
    return mix(s[i], s[i + 1], t - static_cast<float>(i));
}

float polarAngle(float x, float y) { return std::atan2(y, x); }

// --- sprites -------------------------------------------------------------------------

// A soft soap bubble: alpha only (the scene colours it).
Canvas bubble() {
    return paint(128, 128, 3, [](float u, float v) {
        const float r = std::hypot(u - 0.5f, v - 0.5f) * 2;
        const float body = 1 - smoothstep(0.86f, 0.96f, r);
        const float rim = std::exp(-std::pow((r - 0.84f) / 0.07f, 2.0f));
        const float glint = std::exp(-(std::pow((u - 0.36f) / 0.08f, 2.0f) + std::pow((v - 0.66f) / 0.06f, 2.0f)));
        return Rgba{1, 1, 1, clamp01(body * (0.35f + 0.4f * r * r) + rim * 0.6f + glint)};
    });
}

// An explosion: a hot white core, ragged spikes, yellow to orange to red, fading out.
Canvas boom() {
    Dice dice(7);
    float spike[16];
    for (float& s : spike) s = dice.range(0.55f, 1.0f);
    return paint(128, 128, 3, [&](float u, float v) {
        const float x = (u - 0.5f) * 2, y = (v - 0.5f) * 2;
        const float r = std::hypot(x, y);
        const float a = polarAngle(x, y) / (2 * kPi) + 0.5f;
        const float pos = a * 16;
        const int i = static_cast<int>(pos) % 16;
        const float f = pos - std::floor(pos);
        const float sharp = std::pow(std::fabs(std::cos(f * kPi)), 6.0f);
        const float reach = 0.35f + (mixf(spike[i], spike[(i + 1) % 16], smoothstep(0, 1, f)) - 0.3f) * sharp +
                            0.08f * valueNoise(a * 40, 0.5f, 3, 40);
        const float heat = clamp01(1 - r / reach);
        const Rgba c = ramp({rgb(0.6f, 0.05f, 0.0f), rgb(1.0f, 0.35f, 0.0f), rgb(1.0f, 0.8f, 0.1f), rgb(1, 1, 0.85f)},
                            std::pow(heat, 0.7f));
        const float glow = 0.35f * std::exp(-r * r * 6);
        Rgba out = add(c, rgb(glow, glow * 0.6f, glow * 0.2f));
        out.a = clamp01(smoothstep(0.0f, 0.25f, heat) + glow * 1.5f);
        return out;
    });
}

// A six-petal flower: pale pink petals deepening to magenta at their tips, a golden centre.
Canvas flower() {
    return paint(128, 128, 3, [](float u, float v) {
        const float x = (u - 0.5f) * 2, y = (v - 0.5f) * 2;
        const float r = std::hypot(x, y);
        const float a = polarAngle(x, y);
        const float petal = std::fabs(std::cos(a * 3));
        const float edge = 0.45f + 0.5f * std::pow(petal, 0.6f);
        const float inside = 1 - smoothstep(edge - 0.03f, edge + 0.01f, r);
        const float along = clamp01(r / edge);
        Rgba c = ramp({rgb(1, 0.92f, 0.96f), rgb(1, 0.6f, 0.82f), rgb(0.85f, 0.15f, 0.55f)}, along);
        const float vein = 1 - 0.25f * std::exp(-std::pow((1 - petal) / 0.02f, 2.0f)) * along;
        const float split = 0.6f + 0.4f * smoothstep(0.0f, 0.25f, 1 - petal + (1 - along) * 0.5f);
        c = scale(c, vein * split);
        const float centre = 1 - smoothstep(0.2f, 0.24f, r);
        float seeds = 1;
        if (centre > 0) {
            // Seeds packed at the golden angle, as in a sunflower head.
            float nearest = 1;
            for (int i = 1; i < 70; ++i) {
                const float sr = 0.215f * std::sqrt(i / 70.0f), sa = i * 2.39996f;
                nearest = std::min(nearest, std::hypot(x - sr * std::cos(sa), y - sr * std::sin(sa)));
            }
            seeds = 0.65f + 0.35f * smoothstep(0.008f, 0.02f, nearest);
        }
        c = mix(c, scale(ramp({rgb(1, 0.85f, 0.2f), rgb(0.9f, 0.45f, 0.05f)}, r / 0.24f), seeds), centre);
        c.a = clamp01(inside + centre);
        return c;
    });
}

// One LED column: white segments with a brighter spine and soft sides (the scene tints it).
Canvas bar() {
    return paint(64, 256, 2, [](float u, float v) {
        const float seg = fract(v * 24);
        const float lit = smoothstep(0.08f, 0.18f, seg) * (1 - smoothstep(0.78f, 0.88f, seg));
        const float side = smoothstep(0.0f, 0.18f, u) * (1 - smoothstep(0.82f, 1.0f, u));
        const float spine = 0.75f + 0.25f * std::cos((u - 0.5f) * kPi);
        const float shade = spine * (0.85f + 0.15f * v);
        return Rgba{shade, shade, shade, clamp01(side * (0.2f + 0.8f * lit))};
    });
}

// --- backgrounds -----------------------------------------------------------------------

constexpr int kBg = 512;

Canvas startScreen() {
    Dice dice(42);
    std::vector<std::array<float, 3>> stars;
    for (int i = 0; i < 220; ++i) stars.push_back({dice.unit(), dice.unit(), dice.range(0.3f, 1.0f)});
    float bars[48];
    for (int i = 0; i < 48; ++i) bars[i] = 0.18f + 0.16f * std::pow(std::fabs(std::sin(i * 0.7f) * std::cos(i * 0.23f)), 0.8f);
    return paint(kBg, kBg, 2, [&](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f;
        const float r = std::hypot(x, y);
        Rgba c = ramp({rgb(0.25f, 0.1f, 0.45f), rgb(0.08f, 0.04f, 0.2f), rgb(0.02f, 0.02f, 0.08f)}, r * 1.6f);
        const float neb = fbm(u * 4, v * 4, 11, 5, 4);
        c = add(c, scale(rgb(0.5f, 0.15f, 0.6f), 0.5f * smoothstep(0.45f, 0.8f, neb)));
        for (const auto& s : stars) {
            const float d = std::hypot(u - s[0], v - s[1]) * kBg;
            if (d < 3) c = add(c, scale(rgb(1, 1, 1), s[2] * std::exp(-d * d)));
        }
        // A circular equaliser around a glowing ring.
        const float a = fract(polarAngle(x, y) / (2 * kPi) + 0.5f);
        const int i = static_cast<int>(a * 48) % 48;
        const float gap = fract(a * 48);
        if (r > 0.16f && r < bars[i] + 0.02f && gap > 0.15f && gap < 0.85f) {
            c = mix(c, hsv(a, 0.65f, 1.0f), 0.9f * smoothstep(0.16f, 0.2f, r));
        }
        const float ring = std::exp(-std::pow((r - 0.145f) / 0.012f, 2.0f));
        c = add(c, scale(rgb(0.7f, 0.85f, 1.0f), ring));
        const float core = std::exp(-r * r * 160);
        c = add(c, scale(rgb(1, 0.8f, 1), core * 0.9f));
        return c;
    });
}

Canvas hearts() {
    return paint(kBg, kBg, 2, [](float u, float v) {
        Rgba c = ramp({rgb(1, 0.75f, 0.85f), rgb(0.95f, 0.5f, 0.7f)}, v);
        const float rows = 6;
        const int row = static_cast<int>(std::floor(v * rows));
        const float shift = (row % 2) * 0.5f;
        const float cx = fract(u * rows + shift) - 0.5f, cy = fract(v * rows) - 0.5f;
        const int col = static_cast<int>(std::floor(u * rows + shift));
        const float size = (row + col) % 3 == 0 ? 0.36f : 0.28f;
        // Implicit heart: (x^2 + y^2 - 1)^3 - x^2 y^3 <= 0.
        const float hx = cx / size * 1.3f, hy = cy / size * 1.3f + 0.15f;
        const float q = hx * hx + hy * hy - 1;
        const float f = q * q * q - hx * hx * hy * hy * hy;
        const float inside = 1 - smoothstep(-0.02f, 0.02f, f);
        const Rgba heart = (row + col) % 3 == 0 ? rgb(0.85f, 0.05f, 0.2f) : ((row + col) % 3 == 1 ? rgb(1, 1, 1) : rgb(1, 0.3f, 0.55f));
        const float shine = std::exp(-(std::pow(hx + 0.45f, 2.0f) + std::pow(hy - 0.35f, 2.0f)) * 8) * 0.5f;
        return mix(c, add(heart, rgb(shine, shine, shine)), inside);
    });
}

Canvas sunburst() {
    return paint(kBg, kBg, 2, [](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f;
        const float r = std::hypot(x, y);
        const float a = polarAngle(x, y);
        const float ray = smoothstep(-0.15f, 0.15f, std::sin(a * 14 + r * 6));
        Rgba c = mix(rgb(1, 0.78f, 0.35f), rgb(1, 0.95f, 0.7f), ray);
        c = add(c, scale(rgb(1, 1, 0.9f), std::exp(-r * r * 40)));
        return scale(c, 1 - 0.35f * smoothstep(0.3f, 0.75f, r));
    });
}

Canvas plasma() {
    return paint(kBg, kBg, 1, [](float u, float v) {
        const float x = u * 10, y = v * 10;
        const float p = std::sin(x) + std::sin(y * 1.2f) + std::sin((x + y) * 0.7f) + std::sin(std::hypot(x - 5, y - 5) * 1.4f);
        return hsv(p * 0.125f + 0.5f, 0.55f, 0.95f);
    });
}

Canvas ripples() {
    return paint(kBg, kBg, 2, [](float u, float v) {
        const float a = std::hypot(u - 0.3f, v - 0.35f), b = std::hypot(u - 0.72f, v - 0.68f);
        const float w = 0.5f + 0.25f * std::cos(a * 70) + 0.25f * std::cos(b * 60);
        return ramp({rgb(0.1f, 0.35f, 0.7f), rgb(0.3f, 0.75f, 0.95f), rgb(0.9f, 1, 1)}, w);
    });
}

Canvas warpedChecker() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        const float x = u * 8 + 0.35f * std::sin(v * 9), y = v * 8 + 0.35f * std::sin(u * 7);
        const float cx = std::sin(x * kPi), cy = std::sin(y * kPi);
        const float k = smoothstep(-0.08f, 0.08f, cx * cy);
        return mix(rgb(0.55f, 0.85f, 0.75f), rgb(1, 0.95f, 0.8f), k);
    });
}

Canvas rainbowStripes() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        const float d = (u + v) * 6;
        const float band = std::floor(d);
        const float edge = smoothstep(0.0f, 0.06f, fract(d)) * (1 - smoothstep(0.94f, 1.0f, fract(d)));
        return scale(hsv(band / 12, 0.5f, 1.0f), 0.75f + 0.25f * edge);
    });
}

Canvas stainedGlass() {
    Dice dice(5);
    struct Cell {
        float x, y, hue;
    };
    std::vector<Cell> cells;
    for (int i = 0; i < 48; ++i) cells.push_back({dice.unit(), dice.unit(), dice.unit()});
    return paint(kBg, kBg, 2, [&](float u, float v) {
        float best = 9, second = 9;
        float hue = 0;
        for (const Cell& c : cells) {
            for (int ox = -1; ox <= 1; ++ox) {
                for (int oy = -1; oy <= 1; ++oy) {
                    const float d = std::hypot(u - c.x - ox, v - c.y - oy);
                    if (d < best) {
                        second = best;
                        best = d;
                        hue = c.hue;
                    } else if (d < second) {
                        second = d;
                    }
                }
            }
        }
        const float lead = smoothstep(0.004f, 0.012f, second - best);
        const Rgba glass = scale(hsv(hue, 0.55f, 1.0f), 0.8f + 0.2f * (1 - best * 6));
        return mix(rgb(0.15f, 0.12f, 0.1f), glass, lead);
    });
}

Canvas clouds() {
    return paint(kBg, kBg, 1, [](float u, float v) {
        const float n = fbm(u * 4, v * 4, 21, 6, 4);
        const float m = fbm(u * 4 + 7, v * 4 + 3, 22, 4, 4);
        return ramp({rgb(0.45f, 0.35f, 0.8f), rgb(0.85f, 0.55f, 0.9f), rgb(1, 0.85f, 0.9f), rgb(1, 1, 1)},
                    smoothstep(0.25f, 0.8f, n) * 0.8f + 0.2f * m);
    });
}

Canvas honeycomb() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        // Hexagonal cells by the nearest of two offset rectangular lattices.
        const float s = 10, h = std::sqrt(3.0f);
        const float x = u * s, y = v * s * h / 1.5f;
        float ax = std::fmod(x, 1.0f) - 0.5f, ay = std::fmod(y, h) - h / 2;
        float bx = std::fmod(x + 0.5f, 1.0f) - 0.5f, by = std::fmod(y + h / 2, h) - h / 2;
        const bool first = ax * ax + ay * ay < bx * bx + by * by;
        const float px = first ? ax : bx, py = first ? ay : by;
        const float d = std::max(std::fabs(py) * 0.866f + std::fabs(px) * 0.5f, std::fabs(px));
        const float wall = smoothstep(0.4f, 0.46f, d);
        const Rgba honey = ramp({rgb(1, 0.95f, 0.6f), rgb(1, 0.75f, 0.2f)}, d * 2);
        return mix(honey, rgb(0.55f, 0.35f, 0.08f), wall);
    });
}

Canvas moire() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        const float a = std::sin(std::hypot(u - 0.2f, v - 0.5f) * 220);
        const float b = std::sin(std::hypot(u - 0.8f, v - 0.5f) * 220);
        const float w = 0.5f + 0.5f * a * b;
        return mix(rgb(0.35f, 0.45f, 0.6f), hsv(0.55f + 0.3f * u, 0.35f, 1.0f), w);
    });
}

Canvas spiral() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f;
        const float r = std::hypot(x, y) + 1e-4f;
        const float a = polarAngle(x, y);
        const float arm = std::sin(a * 5 + std::log(r) * 9);
        const Rgba c = hsv(a / (2 * kPi) + r, 0.5f, 1.0f);
        return mix(scale(c, 0.65f), c, smoothstep(-0.3f, 0.3f, arm));
    });
}

Canvas galaxy() {
    Dice dice(99);
    std::vector<std::array<float, 3>> stars;
    for (int i = 0; i < 400; ++i) stars.push_back({dice.unit(), dice.unit(), dice.range(0.4f, 1.0f)});
    return paint(kBg, kBg, 1, [&](float u, float v) {
        const float x = u - 0.5f, y = v - 0.5f;
        const float r = std::hypot(x, y);
        const float a = polarAngle(x, y);
        const float arms = 0.5f + 0.5f * std::sin(a * 2 - r * 18);
        const float dust = fbm(u * 6, v * 6, 31, 5, 6);
        const float glow = std::exp(-r * r * 9) * (0.4f + 0.6f * arms) * (0.6f + 0.6f * dust) + std::exp(-r * r * 120);
        Rgba c = add(rgb(0.35f, 0.3f, 0.55f), scale(rgb(1, 0.85f, 0.95f), glow));
        for (const auto& s : stars) {
            const float d = std::hypot(u - s[0], v - s[1]) * kBg;
            if (d < 3) c = add(c, scale(rgb(1, 1, 1), s[2] * std::exp(-d * d * 0.8f)));
        }
        return c;
    });
}

Canvas bubbles() {
    Dice dice(17);
    struct B {
        float x, y, r, hue;
    };
    std::vector<B> list;
    for (int i = 0; i < 60; ++i) list.push_back({dice.unit(), dice.unit(), dice.range(0.02f, 0.09f), dice.range(0.45f, 0.7f)});
    return paint(kBg, kBg, 2, [&](float u, float v) {
        Rgba c = ramp({rgb(0.4f, 0.75f, 0.85f), rgb(0.75f, 0.95f, 1)}, v);
        for (const B& b : list) {
            const float d = std::hypot(u - b.x, v - b.y) / b.r;
            if (d < 1.05f) {
                const float rim = std::exp(-std::pow((d - 0.92f) / 0.08f, 2.0f));
                const float shine = std::exp(-(std::pow((u - b.x) / b.r + 0.4f, 2.0f) + std::pow((v - b.y) / b.r - 0.4f, 2.0f)) * 12);
                c = add(scale(c, 1 - 0.1f * (1 - smoothstep(0.95f, 1.0f, d))), scale(hsv(b.hue, 0.3f, 1), 0.5f * rim + shine));
            }
        }
        return c;
    });
}

Canvas aurora() {
    return paint(kBg, kBg, 1, [](float u, float v) {
        Rgba c = ramp({rgb(0.1f, 0.15f, 0.35f), rgb(0.2f, 0.3f, 0.55f)}, v);
        for (int k = 0; k < 3; ++k) {
            const float centre = 0.35f + 0.15f * k + 0.08f * std::sin(u * (7 + 3 * k) + k);
            const float band = std::exp(-std::pow((v - centre) / 0.06f, 2.0f));
            const float curtain = 0.5f + 0.5f * fbm(u * 24, 0.5f + k, 40 + static_cast<uint32_t>(k), 3, 24);
            c = add(c, scale(k == 1 ? rgb(0.5f, 0.3f, 0.9f) : rgb(0.3f, 1, 0.6f), band * curtain * 1.2f));
        }
        return c;
    });
}

Canvas argyle() {
    return paint(kBg, kBg, 3, [](float u, float v) {
        const float x = u * 6, y = v * 6;
        const float dx = std::fabs(fract(x) - 0.5f), dy = std::fabs(fract(y) - 0.5f);
        const bool diamond = dx + dy < 0.5f;
        const int cell = static_cast<int>(std::floor(x)) + static_cast<int>(std::floor(y));
        Rgba c = diamond ? (cell % 2 == 0 ? rgb(0.95f, 0.6f, 0.45f) : rgb(0.55f, 0.8f, 0.7f)) : rgb(1, 0.95f, 0.85f);
        const float line = std::min(std::fabs(fract(x + y) - 0.5f), std::fabs(fract(x - y) - 0.5f));
        return mix(rgb(0.4f, 0.3f, 0.35f), c, smoothstep(0.01f, 0.025f, line) * 0.6f + 0.4f);
    });
}

Canvas marble() {
    return paint(kBg, kBg, 1, [](float u, float v) {
        const float t = fbm(u * 5, v * 5, 61, 6, 5);
        const float vein = std::fabs(std::sin((u * 3 + v * 1.5f + t * 4) * kPi));
        return ramp({rgb(0.35f, 0.45f, 0.6f), rgb(0.75f, 0.8f, 0.88f), rgb(0.97f, 0.97f, 1)}, std::pow(vein, 0.35f));
    });
}

bool ensureDir(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }
}  // namespace

bool writeViewerTextures(const std::string& dir) {
    const std::string out = dir + "/textures";
    if (!ensureDir(dir) || !ensureDir(out)) return false;
    struct Job {
        const char* name;
        std::function<Canvas()> draw;
        int depth;
    };
    const Job jobs[] = {
        {"bgd_start.tga", startScreen, 24},
        {"bars.tga", bar, 32},
        {"circles.tga", bubble, 8},
        {"circles_boom.tga", boom, 32},
        {"circles_flower.tga", flower, 32},
        {"bgd_hearts.tga", hearts, 24},
        {"bgd_1.tga", sunburst, 24},
        {"bgd_2.tga", plasma, 24},
        {"bgd_3.tga", ripples, 24},
        {"bgd_4.tga", warpedChecker, 24},
        {"bgd_5.tga", rainbowStripes, 24},
        {"bgd_6.tga", stainedGlass, 24},
        {"bgd_7.tga", clouds, 24},
        {"bgd_8.tga", honeycomb, 24},
        {"bgd_9.tga", moire, 24},
        {"bgd_10.tga", spiral, 24},
        {"bgd_11.tga", galaxy, 24},
        {"bgd_12.tga", bubbles, 24},
        {"bgd_13.tga", aurora, 24},
        {"bgd_14.tga", argyle, 24},
        {"bgd_15.tga", marble, 24},
    };
    for (const Job& job : jobs) {
        if (!writeTga(out + "/" + job.name, job.draw(), job.depth)) {
            std::fprintf(stderr, "asset-generator: cannot write %s/%s\n", out.c_str(), job.name);
            return false;
        }
    }
    return true;
}
