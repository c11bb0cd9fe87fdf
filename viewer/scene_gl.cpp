// Draws the scene that scene.cpp works out, in immediate mode, back to front.
#include "scene_gl.h"

#include <GL/gl.h>

#include "beat_detector.h"
#include "main_loop.h"
#include "scene.h"

namespace {
const float kTexCoord[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

void emitQuad(const Quad& q) {
    glColor4f(q.colour[0], q.colour[1], q.colour[2], q.colour[3]);
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        glTexCoord2f(kTexCoord[i][0], kTexCoord[i][1]);
        glVertex3f(q.corner[i][0], q.corner[i][1], q.corner[i][2]);
    }
    glEnd();
}

// Texturing is switched on around each run of quads that share an image. Within a run
// nothing changes between quads, so the GL can send the whole run to the rasteriser at
// once; the picture is the same as with one switch per quad.
void beginTextured(GLuint texture) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
}

void endTextured() { glDisable(GL_TEXTURE_2D); }

void drawTexturedQuad(GLuint texture, const Quad& q) {
    beginTextured(texture);
    emitQuad(q);
    endTextured();
}
}  // namespace

void drawBackground() { drawTexturedQuad(kBackgroundTexture, backgroundQuad()); }

void drawStartBackground() { drawTexturedQuad(kBackgroundTexture, startBackgroundQuad()); }

void drawRings() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(updateRings());
    float colour[4];
    ringColour(colour);
    for (const Ring* ring = scene.rings; ring != nullptr; ring = ring->next) {
        glColor4f(colour[0], colour[1], colour[2], colour[3]);
        glBegin(GL_LINE_STRIP);
        float point[2];
        for (int j = 0; j < kRingSegments; ++j) {
            ringPoint(*ring, j, point);
            glVertex2f(point[0], point[1]);
        }
        ringPoint(*ring, 0, point);
        glVertex2f(point[0], point[1]);
        glEnd();
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void drawCircles() {
    updateCircles();
    const SpriteSize size = spriteSize();
    beginTextured(kCircleTexture);
    for (const Circle* c = scene.circles; c != nullptr; c = c->next) emitQuad(circleQuad(*c, size));
    endTextured();
}

void drawBars() {
    Quad bars[kBandCount];
    const int n = barQuads(bars);
    beginTextured(kBarTexture);
    for (int i = 0; i < n; ++i) emitQuad(bars[i]);
    endTextured();
}

void drawScene() {
    if (beat.historyWarmingUp == 0) {
        advanceSceneDirector();
        drawBackground();
        if (scene.spinMode == 0 && scene.barsMode == 0) drawRings();
        drawCircles();
        if (scene.spinMode == 0 && scene.barsMode == 1) drawBars();
    } else if (beat.historyIndex == 1) {
        drawStartBackground();
    }
}
