#include "scene.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

#include "beat_detector.h"
#include "main_loop.h"
#include "random.h"
#include "tga.h"

Scene scene{};
TextureLoader sceneTextureLoader = loadTgaTexture;

namespace {
// The measured frame rate; at least 1 so that no speed or time-out divides by zero.
int fps() { return frameRate.framesPerSecond > 0 ? frameRate.framesPerSecond : 1; }
int64_t wholeLevel() { return beat.groupLevel[0]; }
int64_t wholeAverage() { return ringAverage(beat.groupRunningSum[0]); }

// 1 / (random 10) and friends: a zero draw gives an infinite velocity.
float divideByDraw(float numerator, int draw) {
    if (draw == 0) return numerator > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return numerator / static_cast<float>(draw);
}

void loadTexture(const char* path, GLuint name) {
    if (sceneTextureLoader != nullptr) sceneTextureLoader(path, name);
}

void setQuad(Quad& q, float x0, float x1, float y0, float y1, float z) {
    const float corners[4][3] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 3; ++k) q.corner[i][k] = corners[i][k];
    }
}

void setColour(Quad& q, double r, double g, double b, double a) {
    q.colour[0] = clampUnit(r);
    q.colour[1] = clampUnit(g);
    q.colour[2] = clampUnit(b);
    q.colour[3] = clampUnit(a);
}
}  // namespace

void resetScene() {
    while (scene.circles != nullptr) removeCircle(scene.circles, scene.circles);
    while (scene.rings != nullptr) removeRing(scene.rings, scene.rings);
    scene = Scene{};
}

void addCircle(Circle*& list, float x, double y, int32_t z, float velocityX, float velocityY, float velocityZ) {
    Circle* circle = new (std::nothrow) Circle{x, y, z, velocityX, velocityY, velocityZ, 0, list, nullptr};
    if (circle == nullptr) {
        std::fputs("no memory left for another circle\n", stdout);
        return;
    }
    if (list != nullptr) list->previous = circle;
    list = circle;
}

void addRing(Ring*& list, float x, double y, int32_t z) {
    const float growth = 80.0f / static_cast<float>(fps());
    Ring* ring = new (std::nothrow) Ring{x, y, z, 0, growth, list, nullptr};
    if (ring == nullptr) {
        std::fputs("no memory left for another circle\n", stdout);
        return;
    }
    if (list != nullptr) list->previous = ring;
    list = ring;
}

void removeCircle(Circle* circle, Circle*& list) {
    if (circle->previous != nullptr) {
        circle->previous->next = circle->next;
    } else {
        list = circle->next;
    }
    if (circle->next != nullptr) circle->next->previous = circle->previous;
    delete circle;
}

void removeRing(Ring* ring, Ring*& list) {
    if (ring->previous != nullptr) {
        ring->previous->next = ring->next;
    } else {
        list = ring->next;
    }
    if (ring->next != nullptr) ring->next->previous = ring->previous;
    delete ring;
}

int countCircles() {
    int n = 0;
    for (const Circle* c = scene.circles; c != nullptr; c = c->next) ++n;
    return n;
}

int countRings() {
    int n = 0;
    for (const Ring* r = scene.rings; r != nullptr; r = r->next) ++n;
    return n;
}

void changeScene() {
    scene.tintRed = static_cast<float>(randomBelow(100) * 0.01);
    scene.tintGreen = static_cast<float>(randomBelow(100) * 0.01);
    scene.tintBlue = static_cast<float>(randomBelow(100) * 0.01);
    if (scene.circleStyle != 1) {
        // Dark sprites on a light tint, white sprites on a dark one.
        scene.spriteGrey = (scene.tintRed + scene.tintGreen + scene.tintBlue) / 3 > 0.5 ? 0.0f : 1.0f;
    }

    if (--scene.styleCountdown < 0) {
        scene.circleStyle = randomBelow(2);
        scene.spriteGrowth = 5;
        if (scene.circleStyle == 0) {
            loadTexture("./textures/circles_boom.tga", kCircleTexture);
        } else {
            loadTexture("./textures/circles_flower.tga", kCircleTexture);
            loadTexture("./textures/bgd_hearts.tga", kBackgroundTexture);
            scene.spriteGrey = 1.0f;
        }
        if (scene.spinMode == 1) {
            loadTexture("./textures/bgd_1.tga", kBackgroundTexture);
        } else if (scene.circleStyle != 1) {
            const int n = randomBelow(14) + 2;
            std::snprintf(scene.backgroundPath, sizeof scene.backgroundPath, "./textures/bgd_%d.tga", n);
            loadTexture(scene.backgroundPath, kBackgroundTexture);
        }
        scene.styleCountdown = randomBelow(8) + 2;
        scene.barsMode = static_cast<uint8_t>(randomBelow(2));
    }

    if (--scene.depthSwingCountdown < 0) {
        const int r = randomBelow(9);
        scene.depthSwing = r <= 2 ? 1 : 0;
        scene.depthSwingCountdown = randomBelow(3);
    }

    if (--scene.modeCountdown < 0) {
        if (scene.burstMode == 1) {
            scene.burstMode = 0;
            scene.fallingMode = 1;
        } else {
            scene.burstMode = 1;
            scene.fallingMode = 0;
        }
        scene.modeCountdown = scene.fallingMode == 1 ? randomBelow(7) : randomBelow(3);
    }

    if (--scene.spinCountdown < 0) {
        if (scene.spinMode == 1) {
            scene.spinMode = 0;
            scene.spinCountdown = randomBelow(30);
            scene.styleCountdown = 0;  // the next scene change also changes the style
        } else {
            scene.spinMode = 1;
            scene.spinCountdown = randomBelow(14);
            loadTexture("./textures/bgd_1.tga", kBackgroundTexture);
        }
    }

    const int r = randomBelow(11);
    if (r == 10 && scene.spinMode == 0) {
        scene.sceneHoldCountdown = randomBelow(8 * fps()) + 4 * fps();
    } else {
        scene.sceneHoldCountdown = 0;
    }
}

void advanceSceneDirector() {
    --scene.sceneHoldCountdown;
    if (scene.sceneHoldCountdown < -10 * fps() || (scene.sceneHoldCountdown < 0 && beat.groupOnset[0] == 1)) {
        changeScene();
    }
}

Quad backgroundQuad() {
    const int64_t level = wholeLevel();
    const int64_t average = wholeAverage();
    double alpha = 6.0 / fps();
    if (beat.groupActive[0] == 1) {
        scene.backgroundDepth = static_cast<float>(level);
        scene.backgroundDepthStep = static_cast<float>(level) /
                                    static_cast<float>(beat.lastOnsetInterval - beat.framesSinceActive[0]);
        if (beat.groupOnset[0] == 1 && scene.spinMode == 0) alpha *= 8;
    }
    scene.backgroundDepth -= scene.backgroundDepthStep;
    // Below zero, or undefined after a zero onset interval: snap back to the level.
    if (!(scene.backgroundDepth >= 0)) scene.backgroundDepth = static_cast<float>(level);

    double brightness = scene.spinMode == 1 ? 0.7 : 1.0;
    brightness += (level / 2.0 - static_cast<double>(average)) / static_cast<double>(3 * average) + 0.0001;
    if (level == 0) brightness = 0;

    Quad q;
    setColour(q, scene.tintRed * brightness, scene.tintGreen * brightness, scene.tintBlue * brightness, alpha);
    scene.backgroundDepth -= 10;
    setQuad(q, -200, 200, -150, 150, scene.backgroundDepth / 1.7f);
    return q;
}

Quad startBackgroundQuad() {
    const int64_t level = wholeLevel();
    if (beat.groupOnset[0] != 0) {
        scene.backgroundDepth = static_cast<float>(level);
        scene.backgroundDepthStep = static_cast<float>(level) / static_cast<float>(beat.lastOnsetInterval);
    }
    scene.backgroundDepth -= scene.backgroundDepthStep;
    if (!(scene.backgroundDepth >= 0)) scene.backgroundDepth = static_cast<float>(level);
    Quad q;
    setColour(q, 1, 1, 1, 6.0 / fps());
    scene.backgroundDepth -= 10;
    setQuad(q, -200, 200, -150, 150, 0);
    return q;
}

float updateRings() {
    float width = std::trunc(2 * scene.backgroundDepth + 2);
    if (!(width >= 5)) width = 5;
    if (width > 1024) width = 1024;  // far beyond what any GL draws; keeps the value sane

    if (beat.groupOnset[0] == 1) {
        const float x = static_cast<float>(randomBelow(400) - 200);
        const double y = randomBelow(320) - 160;
        addRing(scene.rings, x, y, 0);
    }
    for (Ring* ring = scene.rings; ring != nullptr;) {
        Ring* next = ring->next;
        ++ring->age;
        if (static_cast<float>(ring->age) * ring->growth > 500) removeRing(ring, scene.rings);
        ring = next;
    }
    return width;
}

void ringColour(float colour[4]) {
    const double alpha = (16 - 12 / static_cast<double>(wholeLevel() * 80 + 80)) / fps();
    colour[0] = clampUnit(scene.tintRed);
    colour[1] = clampUnit(scene.tintGreen);
    colour[2] = clampUnit(scene.tintBlue);
    colour[3] = clampUnit(alpha);
}

void ringPoint(const Ring& ring, int j, float point[2]) {
    const float radius = static_cast<float>(ring.age) * ring.growth;
    point[0] = ring.x + radius * sinTable[j];
    point[1] = static_cast<float>(ring.y + static_cast<double>(radius * cosTable[j]));
}

namespace {
void spawnFalling() {
    int count = 5;
    for (int g = 0; g < kGroupCount; ++g) {
        if (beat.groupOnset[g] == 1) {
            for (int i = 0; i < count; ++i) {
                const float x = static_cast<float>(randomBelow(400) - 200);
                const double y = randomBelow(15) + 200;
                const int32_t z = 50 - randomBelow(100);
                const float vx = divideByDraw(1, randomBelow(10));
                const float vy = divideByDraw(1, randomBelow(10));
                const float vz = divideByDraw(1, randomBelow(10));
                addCircle(scene.circles, x, y, z, vx, vy, vz);
            }
        }
        count = beat.groupOnset[0] == 1 ? randomBelow(4) + 1 : randomBelow(2);
    }
}

void moveFalling() {
    const double step = 80.0 / fps();
    for (Circle* c = scene.circles; c != nullptr;) {
        Circle* next = c->next;
        c->y -= step;
        if (!(c->y >= -300)) removeCircle(c, scene.circles);
        c = next;
    }
}

void spawnBurst() {
    int count = 5;
    for (int g = 0; g < kGroupCount; ++g) {
        if (beat.groupOnset[g] == 1) {
            for (int i = 0; i < count; ++i) {
                const float sx = randomBelow(2) == 1 ? 1.0f : -1.0f;
                const float sy = randomBelow(2) == 1 ? 1.0f : -1.0f;
                const int32_t z = 100 - randomBelow(200);
                const float vx = divideByDraw(sx, randomBelow(10));
                const float vy = divideByDraw(sy, randomBelow(10));
                addCircle(scene.circles, 0, 0, z, vx, vy, 0);
            }
        }
        count = beat.groupOnset[0] == 1 ? randomBelow(30) + 15 : randomBelow(10);
    }
}

bool inBox(double v) { return v >= -300 && v <= 300; }

void moveBurst() {
    const double step = 300.0 / fps();
    const float push = static_cast<float>(0.2 / fps());
    const float decay = static_cast<float>(0.5 / fps());
    for (Circle* c = scene.circles; c != nullptr;) {
        Circle* next = c->next;
        if (c->age < std::numeric_limits<int32_t>::max()) ++c->age;
        // Away from the centre line it speeds up; vertically it slows by 1 - 1/fps.
        c->velocityX = c->velocityX > 0 ? c->velocityX + push : c->velocityX - push;
        c->velocityY = c->velocityY - 2 * c->velocityY * decay;
        c->x = static_cast<float>(c->x + c->velocityX * step);
        c->y = c->y + c->velocityY * step;
        const double z = c->z + c->velocityZ * step;
        // A circle whose motion is no longer finite (an infinite velocity from a zero draw)
        // leaves the scene, as does every circle outside the 600-unit box.
        const bool finite = std::isfinite(c->velocityX) && std::isfinite(c->velocityY) &&
                            std::isfinite(c->velocityZ) && std::isfinite(z);
        if (finite && inBox(std::trunc(z))) c->z = static_cast<int32_t>(z);
        if (!finite || !inBox(std::trunc(z)) || !inBox(c->x) || !inBox(c->y)) removeCircle(c, scene.circles);
        c = next;
    }
}
}  // namespace

void updateCircles() {
    if (scene.fallingMode == 1) {
        spawnFalling();
        moveFalling();
    }
    if (scene.burstMode == 1) {
        spawnBurst();
        moveBurst();
    }
}

SpriteSize spriteSize() {
    const int64_t level = wholeLevel();
    SpriteSize s{static_cast<double>(level / 10), scene.depthSwing == 1 ? level / 2.0 : 0.0};
    if (scene.spinMode == 1) {
        if (beat.groupActive[0] == 1) {
            s.size = s.size / 7 + 10;
        } else if (beat.groupActive[1] == 1 || beat.groupActive[2] == 1 || beat.groupActive[3] == 1) {
            s.size = s.size / 6 + 1;
        } else {
            s.size = s.size / 6;
        }
    }
    return s;
}

Quad circleQuad(const Circle& c, SpriteSize size) {
    const double S = size.size;
    const double D = size.drift;
    const double G = scene.spriteGrowth;
    const double grey = scene.spriteGrey;
    Quad q;
    if (scene.fallingMode == 1) {
        if (scene.depthSwing == 1) {
            setColour(q, grey, grey, grey, 1.0);
            setQuad(q, static_cast<float>(c.x - S + D - G), static_cast<float>(c.x + S + D + G),
                    static_cast<float>(c.y - G), static_cast<float>(c.y + S + G), static_cast<float>(c.z + D));
        } else {
            setColour(q, grey, grey, grey, 0.8);
            setQuad(q, static_cast<float>(c.x - S - G), static_cast<float>(c.x + S + G), static_cast<float>(c.y - G),
                    static_cast<float>(c.y + S + G), 0);
        }
    } else {
        // Burst sprites fade as they age: alpha 0.1 * fps / age.
        const double alpha = c.age > 0 ? 0.1 * fps() / c.age : 1.0;
        setColour(q, grey, grey, grey, alpha);
        setQuad(q, static_cast<float>(c.x - S - 1 - G), static_cast<float>(c.x + S + 1 + G),
                static_cast<float>(c.y - 1 - G), static_cast<float>(c.y + 1 + S + G), static_cast<float>(c.z + D));
    }
    return q;
}

int barQuads(Quad bars[8]) {
    int n = 0;
    float left = 1.0f;
    for (int i = 0; i < kBandCount; ++i) {
        if (beat.bandBeat[i] == 1) {
            const int64_t weight = i / 2 + 1;
            const float h = static_cast<float>(weight * (beat.bandLevel[i] - ringAverage(beat.bandRunningSum[i])));
            Quad& q = bars[n++];
            setColour(q, scene.tintRed, scene.tintGreen, scene.tintBlue, 0.5);
            setQuad(q, left - 202, left - 150, h / 4 - 144, 144 - h / 4, h / static_cast<float>(8 - i));
        }
        left += 50;
    }
    return n;
}
