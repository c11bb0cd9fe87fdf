// Uncompressed TGA images as the viewer's textures: no colour map, no run-length coding,
// power-of-two sizes from 2 to 512, 8 (alpha), 24 (BGR) or 32 (BGRA) bits per pixel.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <cstdio>
#include <memory>

enum TgaResult : int {
    kTgaLoaded = 1,
    kTgaCannotOpen = 13,
    kTgaBadType = 14,
    kTgaBadSize = 15,
    kTgaBadDepth = 16,
    kTgaShortData = 17,
};

using PixelBuffer = std::unique_ptr<unsigned char[]>;

struct TgaImage {
    int width = 0;
    int height = 0;
    GLenum pixelFormat = 0;
    PixelBuffer pixels;
};

// 1 for exactly 2, 4, 8, ..., 512; 0 otherwise.
int isPowerOfTwo(unsigned value);

// Each reader takes exactly the byte count for `pixelCount` pixels from the file's current
// position; on a short read it returns no buffer. 24- and 32-bit pixels have bytes 0 and 2
// exchanged (BGR(A) to RGB(A)).
PixelBuffer readPixels8(FILE* file, size_t pixelCount);
PixelBuffer readPixels24(FILE* file, size_t pixelCount);
PixelBuffer readPixels32(FILE* file, size_t pixelCount);
// Chooses the reader by depth and reports the OpenGL format of what it returns.
PixelBuffer readPixels(FILE* file, size_t pixelCount, int depth, GLenum& pixelFormat);

// Decodes an open stream positioned at the start of a TGA file; returns a TgaResult.
int decodeTga(FILE* file, TgaImage& image);
// Opens, decodes and closes `path`.
int decodeTgaFile(const char* path, TgaImage& image);

// Decodes `path` and makes it the image of texture `textureName` (needs a current GL
// context). A failed load touches no OpenGL state.
int loadTgaTexture(const char* path, GLuint textureName);
