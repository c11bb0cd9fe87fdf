#include "test_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

TempDir::TempDir() {
    char templ[] = "/tmp/quorbel-test-XXXXXX";
    if (mkdtemp(templ) == nullptr) throw std::runtime_error("mkdtemp failed");
    path = templ;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

void writeFile(const std::string& path, const std::string& contents) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw std::runtime_error("cannot write " + path);
    std::fwrite(contents.data(), 1, contents.size(), f);
    std::fclose(f);
}

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> makeTga(const TgaSpec& shape, const std::vector<uint8_t>& pixelBytes) {
    std::vector<uint8_t> out(18, 0);
    out[0] = shape.idLength;
    out[1] = shape.colourMapType;
    out[2] = shape.imageType;
    out[12] = static_cast<uint8_t>(shape.width & 0xFF);
    out[13] = static_cast<uint8_t>(shape.width >> 8);
    out[14] = static_cast<uint8_t>(shape.height & 0xFF);
    out[15] = static_cast<uint8_t>(shape.height >> 8);
    out[16] = shape.depth;
    out.insert(out.end(), shape.idLength, 0xEE);
    out.insert(out.end(), pixelBytes.begin(), pixelBytes.end());
    return out;
}

std::vector<uint8_t> patternPixels(const TgaSpec& shape) {
    std::vector<uint8_t> bytes(size_t{shape.width} * shape.height * shape.depth / 8);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>((i * 7 + 3) & 255);
    return bytes;
}
