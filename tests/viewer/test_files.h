// Helpers shared by the viewer's tests: a private temporary folder and TGA file builders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh folder under /tmp, removed with its contents when the object goes away.
struct TempDir {
    std::string path;
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
};

void writeFile(const std::string& path, const std::string& contents);
void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);

struct TgaSpec {
    uint8_t idLength = 0;
    uint8_t colourMapType = 0;
    uint8_t imageType = 2;
    unsigned width = 4;
    unsigned height = 4;
    uint8_t depth = 24;
};
// Header plus `idLength` ID bytes (0xEE) plus the given pixel bytes.
std::vector<uint8_t> makeTga(const TgaSpec& shape, const std::vector<uint8_t>& pixelBytes);
// Pixel bytes b0, b1, b2, ... with byte i = (i * 7 + 3) & 255, for width x height x depth/8.
std::vector<uint8_t> patternPixels(const TgaSpec& shape);
