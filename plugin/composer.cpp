// One frame of Render, after the window mode has had its say (entry.cpp calls it first). Who owns
// what this file reads, for a newcomer (entry.cpp has the whole map):
//   the display       display.cpp: its surfaces, device and overlay DCs, and how it presents
//                     (display.presentation; the way of watching behind it is window_mode.cpp's)
//   the schedule      scheduler.cpp: the current effect, the fade level, the overlays' and the
//                     title's switches; stepScheduler draws the effect
//   the settings      settings/: what the overlays show; setting_limits.h gives the lengths
//   the player        host_queries.cpp: position, track length and title
// This file owns only the frame's own state (ComposerState): the counts, the title text and the
// surfaces Super Shells zooms between. It calls into no file that calls it.
#include "composer.h"

#include <cstdio>
#include <cstring>

#include "display.h"
#include "host_queries.h"
#include "scheduler.h"
#include "settings/setting_limits.h"
#include "settings/settings.h"

ComposerState composer;

namespace {

constexpr COLORREF overlayGrey = 0xDCDCDC;

unsigned stripHeight() { return unsigned(modeHeight) / 32; }

// Text is always handed over as data: a percent sign in a title is drawn as it stands.
void drawText(HDC dc, int x, int y, const char* text) { TextOutA(dc, x, y, text, int(std::strlen(text))); }

void drawTitleOnStrip(COLORREF colour) {
  SelectObject(display.titleDC, display.overlayFont);
  SetTextColor(display.titleDC, colour);
  SelectObject(display.titleDC, display.titleBitmap);
  if (composer.currentTitle[0]) drawText(display.titleDC, display.displayWidth / 64, 0, composer.currentTitle);
}

void restoreLostSurfaces() {
  if (display.primarySurface->IsLost() != DDERR_SURFACELOST) return;
  display.primarySurface->Restore();
  // A flipping primary brings its back buffer and Z-buffer back with it; a window's set does not.
  if (display.presentation == Presentation::blitToWindow) {
    display.backBuffer->Restore();
    display.zBuffer->Restore();
    display.previousFrame->Restore();
  }
  for (auto& texture : display.textureRecords) reloadBitmapTexture(texture);
}

void prepareBackBuffer() {
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  if (scheduler.currentEffect == superShellsIndex) {
    const unsigned w = unsigned(modeWidth), h = unsigned(modeHeight);
    RECT source, target;
    if (notWidescreen) {
      source = {LONG(w / 8), LONG(h / 8), LONG(w - w / 8), LONG(h - h / 8)};
      target = {0, 0, LONG(w), LONG(h)};
    } else {
      source = {LONG(w / 8), LONG(15 * h / 64), LONG(w - w / 8), LONG(h - 15 * h / 64)};
      target = {0, LONG(h / 16), LONG(w), LONG(h - h / 16)};
    }
    // The previous frame is read from the screen it was presented to, which holds the same
    // picture as the back buffer: a stretching blit of a surface onto itself overlaps, and
    // drivers garble it (Wine's comes out in blocks).
    display.backBuffer->Blt(&target, composer.feedbackTarget, &source, 0, &fx);
  } else {
    display.backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillDepth = 0xFFFF;
  display.zBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_DEPTHFILL | DDBLT_WAIT, &fx);
}

void checkTrackChange(const VisModule& module) {
  const int position = queryPlayPosition(module);
  if (position < composer.playPosition || composer.frameCount == 0) {
    drawTitleOnStrip(0x000000);
    composer.trackLength = std::int64_t(queryTrackLengthSeconds(module)) * 1000;
    queryCurrentTitle(module, composer.currentTitle, sizeof composer.currentTitle);
    drawTitleText(fullGrey);
  }
  composer.playPosition = position;
}

void countFrame() {
  composer.frameCount += 1;
  const DWORD now = timeGetTime();
  const DWORD elapsed = now - composer.lastFpsTime;
  if (elapsed > 1000) {
    composer.framesPerSecond = framesPerSecondOver(composer.frameCount, composer.lastFpsCount, elapsed);
    composer.lastFpsTime = now;
    composer.lastFpsCount = composer.frameCount;
  }
}

void drawBlurredTime(HDC target, const char* text) {
  const int w = display.displayWidth, h = display.displayHeight;
  const int stripW = int(unsigned(modeWidth) / 3), stripH = int(stripHeight());
  SelectObject(display.timeDC, display.timeBitmapA);
  SelectObject(display.timeDC, display.overlayFont);
  SetTextColor(display.timeDC, overlayGrey);
  BitBlt(display.timeDC, 0, 0, stripW, stripH, display.timeDC, 0, 0, BLACKNESS);
  drawText(display.timeDC, 0, 0, text);
  SelectObject(display.titleDC, display.timeBitmapB);
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 64, 0};
  AlphaBlend(display.titleDC, 0, 0, w / 3, stripH, display.timeDC, 0, 0, w / 3, stripH, blend);
  BitBlt(target, w / 64, h - 3 * h / 64, w / 3, stripH, display.titleDC, 0, 0, SRCPAINT);
}

void drawTitleStrip(HDC target) {
  SelectObject(display.titleDC, display.titleBitmap);
  BitBlt(target, 0, display.displayHeight / 64, display.displayWidth, modeHeight >> 5, display.titleDC, 0, 0,
         SRCPAINT);
}

void drawTitle(HDC target) {
  if (settings.persistentTitle) {
    drawTitleStrip(target);
    return;
  }
  bool redraw = false;
  const int grey = titleGrey(composer.playPosition, composer.trackLength, &redraw);
  if (grey < 0) return;
  if (redraw) drawTitleText(grey);
  drawTitleStrip(target);
}

void drawOverlays() {
  HDC dc;
  if (FAILED(display.backBuffer->GetDC(&dc))) return;
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, display.overlayFont);
  SetTextColor(dc, overlayGrey);
  const int w = display.displayWidth, h = display.displayHeight;
  char text[128];
  if (settings.showFps && scheduler.overlaysOn) {
    std::snprintf(text, sizeof text, "%02d fps", composer.framesPerSecond);
    drawText(dc, w - 6 * w / 64, h - 3 * h / 64, text);
  }
  if (settings.showTime && scheduler.overlaysOn) {
    formatPlayTime(composer.playPosition, composer.trackLength, text);
    if (settings.blurredTimeDisplay) drawBlurredTime(dc, text);
    else drawText(dc, int(unsigned(modeWidth) / 64), h - 3 * h / 64, text);
  }
  if (settings.showTitle && scheduler.overlaysOn) drawTitle(dc);
  display.backBuffer->ReleaseDC(dc);
}

// In a window the frame is kept for the next zoom and then blitted onto the client area, through
// the clipper, so windows above it keep their place.
void presentToWindow() {
  if (scheduler.currentEffect == superShellsIndex) {
    RECT whole = {0, 0, LONG(modeWidth), LONG(modeHeight)};
    display.previousFrame->BltFast(0, 0, display.backBuffer, &whole, DDBLTFAST_WAIT);
  }
  POINT corner = {0, 0};
  ClientToScreen(pluginWindow, &corner);
  RECT client = {corner.x, corner.y, corner.x + LONG(modeWidth), corner.y + LONG(modeHeight)};
  display.primarySurface->Blt(&client, display.backBuffer, nullptr, DDBLT_WAIT, nullptr);
}

void present() {
  if (display.presentation == Presentation::blitToWindow) {
    presentToWindow();
  } else if (scheduler.currentEffect == superShellsIndex) {
    RECT whole = {0, 0, LONG(modeWidth), LONG(modeHeight)};
    composer.feedbackTarget->BltFast(0, 0, composer.feedbackSource, &whole, DDBLTFAST_WAIT);
  } else {
    display.primarySurface->Flip(nullptr, DDFLIP_WAIT);
  }
}

int greyOf(double level) { return int(level * fullGrey) & 0xFF; }

}  // namespace

int renderFrame(const VisModule& module) {
  restoreLostSurfaces();
  if (composer.frameCount == 0) rememberFeedbackSurfaces();
  prepareBackBuffer();
  stepScheduler(module);
  checkTrackChange(module);
  countFrame();
  drawOverlays();
  present();
  return 0;
}

int framesPerSecondOver(int frames, int lastFrames, DWORD elapsedMs) {
  const long long perSecond = (static_cast<long long>(frames) - lastFrames) * 1000 / static_cast<long long>(elapsedMs);
  return int(perSecond);
}

// In 64 bits: no setting and no host reply overflows Tp + Tf, L - S or the differences below.
int titleGrey(int position, std::int64_t length, bool* redraw) {
  const std::int64_t p = position, tp = usedTitlePersistenceMs(), tf = usedTitleFadeMs(), s = tp + tf;
  *redraw = false;
  if (s <= p && p <= length - s && !scheduler.titleReshow) return -1;
  if (p < tp || p > length - tp) return fullGrey;
  *redraw = true;
  if (tp < p && p < s) return greyOf(1.0 - double(p - tp) / tf);
  if (length - s < p && p < length - tp) return greyOf(1.0 - double((length - tp) - p) / tf);
  *redraw = false;
  if (!scheduler.titleReshow) return fullGrey;
  const std::int64_t d = p - scheduler.reshowPosition;
  if (tp < d && d < s) {
    *redraw = true;
    return greyOf(1.0 - double(d - tp) / tf);
  }
  if (d > s) scheduler.titleReshow = 0;
  return fullGrey;
}

void drawTitleText(int grey) { drawTitleOnStrip(COLORREF(grey) * 0x010101); }

int formatPlayTime(int position, std::int64_t length, char* buffer) {
  const int minutes = position / 60000, seconds = position / 1000 - minutes * 60;
  const int millis = position - (position / 1000) * 1000;
  const long long lengthMinutes = length / 60000, lengthSeconds = length / 1000 - lengthMinutes * 60;
  const long long lengthMillis = length - (length / 1000) * 1000;
  if (millis >= 0)
    return std::snprintf(buffer, 128, "%02d:%02d.%03d / %02lld:%02lld.%03lld", minutes, seconds, millis,
                         lengthMinutes, lengthSeconds, lengthMillis);
  return std::snprintf(buffer, 128, "- %02d:%02d.%03d / %02lld:%02lld.%03lld", -minutes, -seconds, -millis,
                       lengthMinutes, lengthSeconds, lengthMillis);
}

void resetComposer() { composer = ComposerState{}; }

void rememberFeedbackSurfaces() {
  composer.feedbackSource = display.backBuffer;
  composer.feedbackTarget =
      display.presentation == Presentation::blitToWindow ? display.previousFrame : display.primarySurface;
}

void prepareTitleStrip(const VisModule& module) {
  queryCurrentTitle(module, composer.currentTitle, sizeof composer.currentTitle);
  SelectObject(display.titleDC, display.overlayFont);
  SetBkColor(display.titleDC, 0x000000);
  SetBkColor(display.timeDC, 0x000000);
  SetTextColor(display.titleDC, 0xFFFFFF);
  SelectObject(display.titleDC, display.titleBitmap);
  if (composer.currentTitle[0]) drawText(display.titleDC, display.displayWidth / 64, 0, composer.currentTitle);
}

void clearTimeBitmaps() {
  const int w = int(unsigned(modeWidth) / 3), h = int(stripHeight());
  SelectObject(display.timeDC, display.timeBitmapA);
  BitBlt(display.timeDC, 0, 0, w, h, display.timeDC, 0, 0, BLACKNESS);
  SelectObject(display.timeDC, display.timeBitmapB);
  BitBlt(display.timeDC, 0, 0, w, h, display.timeDC, 0, 0, BLACKNESS);
}

void clearBackBuffer() {
  DDBLTFX fx;
  std::memset(&fx, 0, sizeof fx);
  fx.dwSize = sizeof fx;
  fx.dwFillColor = 0;
  display.backBuffer->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
}
