// The quorbel program: window, OpenGL state, GLUT callbacks and the per-frame order.
#pragma once

// Start-up up to (not including) the main loop: random seed, ring tables, window, callbacks,
// OpenGL state and the first three textures.
void startViewer(int* argc, char** argv);
// startViewer, then glutMainLoop.
int runViewer(int argc, char** argv);

void initGraphics();
void onDisplay();
void onReshape(int width, int height);
void onKeyDown(unsigned char key, int x, int y);
void onKeyUp(unsigned char key, int x, int y);
void onSpecialDown(int key, int x, int y);
void onSpecialUp(int key, int x, int y);
void onIdle();

// Frames displayed so far (1 on the first onDisplay).
long displayedFrames();
