// Every display object the plug-in owns from Init to Quit.
#pragma once

#include "effect.h"
#include "platform/platform.h"
#include "render/bitmap_texture.h"

struct DisplayState {
  IDirectDraw* ddraw;
  IDirect3D2* d3d;
  IDirectDrawSurface* primarySurface;
  IDirectDrawSurface* backBuffer;
  IDirectDrawSurface* zBuffer;
  IDirect3DDevice2* device;
  IDirect3DViewport2* viewport;
  IDirect3DLight* lightObjects[4];
  IDirect3DMaterial2* markerMaterial;
  D3DMATERIALHANDLE markerHandle;
  IDirect3DMaterial2* materialObjects[16];
  MaterialTable materials;
  BitmapTexture textureRecords[3];
  D3DTEXTUREHANDLE textureHandles[3];
  D3DMATRIX worldMatrix;
  D3DMATRIX viewMatrix;
  D3DMATRIX projectionMatrix;
  D3DLIGHT sceneLight;
  const char* deviceKind;
  int displayWidth;
  int displayHeight;
  HDC titleDC;
  HDC timeDC;
  HBITMAP titleBitmap;
  HBITMAP timeBitmapA;
  HBITMAP timeBitmapB;
  HFONT overlayFont;
  // In a window only: the primary surface's clipper, and the frame before, which Super Shells
  // zooms (the primary is the whole desktop there).
  IDirectDrawClipper* clipper;
  IDirectDrawSurface* previousFrame;
};

extern DisplayState display;

// The configured mode size (from "graphics mode"; 640 x 480 at load) and the letterbox choice.
extern int modeWidth;
extern int modeHeight;
extern int notWidescreen;
// The plug-in's window.
extern HWND pluginWindow;

extern const char* const textureFiles[3];

// How the picture reaches the screen: the classic full screen at the graphics mode, full
// screen at the desktop's own mode, or in a window at its client size (modeWidth x modeHeight
// then hold the desktop's or the client area's size).
enum class Watching { fullScreen, desktopSize, window };
extern Watching watching;

int setupDisplay(const char* driverName);
int setDisplayMode(int width, int height, int bitsPerPixel);
int createDevice();
// A window's surfaces at its client size: a clipped primary, an off-screen render target with
// its Z-buffer and the previous frame; then the device and scene as in full screen.
int createWindowSurfaces(int width, int height);
int setupScene();
void releaseDisplayObjects(int all);
// The Direct3D interface, then the DirectDraw object (which gives the display mode back).
void releaseDirectDraw();
// The overlay DCs and bitmaps, which releaseDisplayObjects leaves alone.
void releaseOverlayObjects();
// The overlay font; Quit deletes it too, so a player that runs the plug-in many times keeps no
// GDI object of it.
void releaseOverlayFont();
