// The scene's drawing steps; drawScene runs them in order once per frame.
#pragma once

void drawScene();
void drawBackground();
void drawStartBackground();
void drawRings();
void drawCircles();
void drawBars();
