#include "app.h"

#include <GL/glut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "beat_detector.h"
#include "frame_probe.h"
#include "main_loop.h"
#include "random.h"
#include "scene.h"
#include "scene_gl.h"
#include "frame_reader.h"
#include "tga.h"

namespace {
int windowWidth = 640;
int windowHeight = 480;
long frameNumber = 0;
}  // namespace

long displayedFrames() { return frameNumber; }

void initGraphics() {
    glClearColor(scene.tintRed, scene.tintGreen, scene.tintBlue, 0);
    glMatrixMode(GL_PROJECTION);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // Fragments with alpha 0 leave the picture unchanged under this blend function; the
    // alpha test drops them before blending, which saves a software rasteriser much work
    // on the mostly transparent sprite images.
    glAlphaFunc(GL_GREATER, 0);
    glEnable(GL_ALPHA_TEST);
    loadTgaTexture("./textures/bgd_start.tga", kBackgroundTexture);
    loadTgaTexture("./textures/bars.tga", kBarTexture);
    loadTgaTexture("./textures/circles.tga", kCircleTexture);
}

void onReshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, aspectRatio(width, height), 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void onDisplay() {
    ++frameNumber;
    countFrameRate();
    readSpectrumFrame();
    computeBandLevels();
    detectBeats();

    glPushMatrix();
    const EyePoint eye = chooseEye(scene.spinMode == 1);
    gluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, 0, 1, 0);
    drawScene();
    glPopMatrix();

    const bool shown = frameIsShown();
    probeFrame(frameNumber, shown);
    if (shown) glutSwapBuffers();
    glFlush();
}

void onKeyDown(unsigned char key, int, int) { setCharKey(key, 1); }
void onKeyUp(unsigned char key, int, int) { setCharKey(key, 0); }
void onSpecialDown(int key, int, int) { setSpecialKey(key, 1); }
void onSpecialUp(int key, int, int) { setSpecialKey(key, 0); }

void onIdle() {
    if (escapeHeld()) std::exit(0);
    glutPostRedisplay();
}

void startViewer(int* argc, char** argv) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    fillRingTables();

    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("Quib's Winamp to OpenGL Audio Visual Flurbex");

    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutKeyboardFunc(onKeyDown);
    glutSpecialFunc(onSpecialDown);
    glutIdleFunc(onIdle);
    glutKeyboardUpFunc(onKeyUp);
    glutSpecialUpFunc(onSpecialUp);

    initGraphics();
    startFrameProbe();
}

int runViewer(int argc, char** argv) {
    startViewer(&argc, argv);
    glutMainLoop();
    return 0;
}
