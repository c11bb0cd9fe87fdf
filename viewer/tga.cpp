#include "tga.h"

#include <new>

int isPowerOfTwo(unsigned value) {
    for (unsigned p = 2; p <= 512; p *= 2) {
        if (value == p) return 1;
    }
    return 0;
}

namespace {
PixelBuffer readBytes(FILE* file, size_t byteCount) {
    PixelBuffer buffer(new (std::nothrow) unsigned char[byteCount]);
    if (!buffer) return nullptr;
    if (std::fread(buffer.get(), 1, byteCount, file) != byteCount) return nullptr;
    return buffer;
}

void swapRedBlue(unsigned char* pixels, size_t pixelCount, size_t bytesPerPixel) {
    for (size_t i = 0; i < pixelCount; ++i) {
        unsigned char* p = pixels + i * bytesPerPixel;
        const unsigned char first = p[0];
        p[0] = p[2];
        p[2] = first;
    }
}
}  // namespace

PixelBuffer readPixels8(FILE* file, size_t pixelCount) { return readBytes(file, pixelCount); }

PixelBuffer readPixels24(FILE* file, size_t pixelCount) {
    PixelBuffer buffer = readBytes(file, pixelCount * 3);
    if (buffer) swapRedBlue(buffer.get(), pixelCount, 3);
    return buffer;
}

PixelBuffer readPixels32(FILE* file, size_t pixelCount) {
    PixelBuffer buffer = readBytes(file, pixelCount * 4);
    if (buffer) swapRedBlue(buffer.get(), pixelCount, 4);
    return buffer;
}

PixelBuffer readPixels(FILE* file, size_t pixelCount, int depth, GLenum& pixelFormat) {
    PixelBuffer buffer;
    GLenum format = 0;
    switch (depth) {
        case 8:
            buffer = readPixels8(file, pixelCount);
            format = GL_ALPHA;
            break;
        case 24:
            buffer = readPixels24(file, pixelCount);
            format = GL_RGB;
            break;
        case 32:
            buffer = readPixels32(file, pixelCount);
            format = GL_RGBA;
            break;
        default:
            return nullptr;
    }
    if (buffer) pixelFormat = format;
    return buffer;
}

int decodeTga(FILE* file, TgaImage& image) {
    unsigned char header[18];
    // A file too short to hold its header cannot be read in full.
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return kTgaShortData;
    const unsigned idLength = header[0];
    const unsigned colourMapType = header[1];
    const unsigned imageType = header[2];
    if (colourMapType != 0 || (imageType != 2 && imageType != 3)) return kTgaBadType;
    const unsigned width = header[12] + 256u * header[13];
    const unsigned height = header[14] + 256u * header[15];
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height)) return kTgaBadSize;
    const int depth = header[16];
    if (depth != 32 && depth != 24 && depth != 8) return kTgaBadDepth;
    // The image ID field, when present, lies between the header and the pixels.
    if (idLength != 0 && std::fseek(file, static_cast<long>(sizeof header + idLength), SEEK_SET) != 0) {
        return kTgaShortData;
    }
    GLenum format = 0;
    PixelBuffer pixels = readPixels(file, size_t{width} * height, depth, format);
    if (!pixels) return kTgaShortData;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.pixelFormat = format;
    image.pixels = std::move(pixels);
    return kTgaLoaded;
}

int decodeTgaFile(const char* path, TgaImage& image) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return kTgaCannotOpen;
    const int result = decodeTga(file, image);
    std::fclose(file);
    return result;
}

int loadTgaTexture(const char* path, GLuint textureName) {
    TgaImage image;
    const int result = decodeTgaFile(path, image);
    if (result != kTgaLoaded) return result;
    glBindTexture(GL_TEXTURE_2D, textureName);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(image.pixelFormat), image.width, image.height, 0,
                 image.pixelFormat, GL_UNSIGNED_BYTE, image.pixels.get());
    return kTgaLoaded;
}
