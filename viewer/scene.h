// The beat-driven scene: its director (scene changes at onsets), the circle and ring lists,
// their motion rules, and the geometry and colours of every primitive. Nothing here calls
// OpenGL; scene_gl.cpp turns the results into drawing.
#pragma once

#include <GL/gl.h>

#include <cstdint>

struct Circle {
    float x;
    double y;
    int32_t z;
    float velocityX;
    float velocityY;
    float velocityZ;
    int32_t age;
    Circle* next;
    Circle* previous;
};

struct Ring {
    float x;
    double y;
    int32_t z;
    int32_t age;
    float growth;
    Ring* next;
    Ring* previous;
};

// Texture names used directly with glBindTexture.
constexpr GLuint kCircleTexture = 1;
constexpr GLuint kBackgroundTexture = 2;
constexpr GLuint kBarTexture = 3;

struct Scene {
    float tintRed = 0;
    float tintGreen = 0;
    float tintBlue = 0;
    float spriteGrey = 1.0f;
    float backgroundDepth = 0;
    float backgroundDepthStep = 0;
    int32_t sceneHoldCountdown = 0;
    int32_t circleStyle = 0;
    int32_t styleCountdown = 0;
    uint8_t barsMode = 1;
    uint8_t depthSwing = 0;
    int32_t depthSwingCountdown = 0;
    uint8_t fallingMode = 1;
    uint8_t burstMode = 0;
    int32_t modeCountdown = 1;
    uint8_t spinMode = 0;
    int32_t spinCountdown = 0;
    int32_t spriteGrowth = 0;
    Circle* circles = nullptr;
    Ring* rings = nullptr;
    char backgroundPath[40] = {};
};

extern Scene scene;

// Loads an image into a texture name; the scene ignores the result. Points at
// loadTgaTexture in the program; tests record the calls instead.
using TextureLoader = int (*)(const char* path, GLuint textureName);
extern TextureLoader sceneTextureLoader;

// Frees both lists and puts every field back to its start value.
void resetScene();

// List operations. Adding prints "no memory left for another circle\n" and leaves the list
// unchanged when no record can be had.
void addCircle(Circle*& list, float x, double y, int32_t z, float velocityX, float velocityY, float velocityZ);
void addRing(Ring*& list, float x, double y, int32_t z);
void removeCircle(Circle* circle, Circle*& list);
void removeRing(Ring* ring, Ring*& list);
int countCircles();
int countRings();

// Picks a new tint, and by its counters new images, ring/bar style, depth swing, circle
// motion, spin period and hold.
void changeScene();

// Full-scene frame prologue: counts the hold down and changes the scene when due.
void advanceSceneDirector();

// A textured quad: colour and four corners in the texture order (0,0) (1,0) (1,1) (0,1).
struct Quad {
    float colour[4];
    float corner[4][3];
};

// drawBackground without the drawing: updates the beat envelope and returns the quad.
Quad backgroundQuad();
// drawStartBackground without the drawing (the single warm-up frame).
Quad startBackgroundQuad();

// drawRings without the drawing: adds a ring at a whole-spectrum onset, ages and removes
// rings; returns the line width.
float updateRings();
// Colour of every ring this frame (tint, alpha fading with the level and frame rate).
void ringColour(float colour[4]);
// Vertex j (0..59) of a ring's outline.
void ringPoint(const Ring& ring, int j, float point[2]);

// drawCircles without the drawing: spawns at onsets, moves and removes by the current
// motion (falling or burst).
void updateCircles();

struct SpriteSize {
    double size;   // S
    double drift;  // D
};
SpriteSize spriteSize();
// The quad of one circle in the current motion's style.
Quad circleQuad(const Circle& circle, SpriteSize size);

// drawBars without the drawing: the quads of the bands beating this frame.
int barQuads(Quad bars[8]);

// Everything OpenGL is given is finite and, for colours, within 0..1 (NaN becomes 0).
inline float clampUnit(double v) { return v > 0 ? (v < 1 ? static_cast<float>(v) : 1.0f) : 0.0f; }
