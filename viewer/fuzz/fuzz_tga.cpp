// libFuzzer target: arbitrary bytes as a TGA file.
#include <cstdint>
#include <cstdio>

#include "tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr) return 0;
    TgaImage image;
    const int result = decodeTga(file, image);
    std::fclose(file);
    if (result == kTgaLoaded) {
        // A loaded image is always a sane power-of-two picture with pixels behind it.
        if (!image.pixels || !isPowerOfTwo(static_cast<unsigned>(image.width)) ||
            !isPowerOfTwo(static_cast<unsigned>(image.height))) {
            __builtin_trap();
        }
        const size_t bytes = static_cast<size_t>(image.width) * image.height *
                             (image.pixelFormat == GL_ALPHA ? 1 : image.pixelFormat == GL_RGB ? 3 : 4);
        volatile unsigned char last = image.pixels[bytes - 1];
        (void)last;
    } else if (result != kTgaBadType && result != kTgaBadSize && result != kTgaBadDepth && result != kTgaShortData) {
        __builtin_trap();
    }
    return 0;
}
