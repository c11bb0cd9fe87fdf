// Every display object the plug-in owns from Init to Quit.
#pragma once

#include "effect.h"
#include "platform/platform.h"
#include "render/bitmap_texture.h"

// How the display presents each frame: flipping full screen in a display mode of its own (the
// graphics mode's size, or the desktop's own mode, which sets modeWidth x modeHeight), or from an
// off-screen render target blitted onto the window's client area, at modeWidth x modeHeight.
enum class Presentation { flipAtGraphicsMode, flipAtDesktopMode, blitToWindow };

struct DisplayState {
  Presentation presentation;  // what setupDisplay was last asked for
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

// The current effect's start, which the scene calls as it begins and again once it stands. The
// caller gives it (the scheduler's startCurrentEffect), so the display does not reach up into the
// scheduler.
using EffectStart = int (*)();

// Sets up the display: the DirectDraw object of the driver named (the primary one when empty or
// unknown), the surfaces of `presentation`, the device and the scene, then the window's text.
// 0 on failure, after the message the user sees where there is one.
int setupDisplay(const char* driverName, EffectStart startEffect,
                 Presentation presentation = Presentation::flipAtGraphicsMode);
int setDisplayMode(int width, int height, int bitsPerPixel, EffectStart startEffect);
int createDevice(EffectStart startEffect);
// A window's surfaces at its client size: a clipped primary, an off-screen render target with
// its Z-buffer and the previous frame; then the device and scene as in full screen.
int createWindowSurfaces(int width, int height, EffectStart startEffect);
int setupScene(EffectStart startEffect);
void releaseDisplayObjects(int all);
// The Direct3D interface, then the DirectDraw object (which gives the display mode back).
void releaseDirectDraw();
// The overlay DCs and bitmaps, which releaseDisplayObjects leaves alone.
void releaseOverlayObjects();
// The overlay font; Quit deletes it too, so a player that runs the plug-in many times keeps no
// GDI object of it.
void releaseOverlayFont();
