#include "screen_file.h"

#include <cstring>

namespace {

// The XWD header's fields: 32-bit words, most significant byte first.
enum XwdField {
  headerSize = 0, pixmapDepth = 3, pixmapWidth = 4, pixmapHeight = 5, byteOrder = 7, bitsPerPixel = 11,
  bytesPerLine = 12, redMask = 14, greenMask = 15, blueMask = 16, colourCount = 19, fieldCount = 25
};
constexpr size_t xwdColourBytes = 12;

uint32_t field(const uint8_t* header, XwdField which) {
  const uint8_t* p = header + 4 * which;
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

bool fail(ScreenFile& screen, std::string& error, const std::string& path, const std::string& why) {
  closeScreenFile(screen);
  error = "the screen file " + path + " " + why;
  return false;
}

}  // namespace

bool openScreenFile(ScreenFile& screen, const std::string& path, std::string& error) {
  screen.file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (screen.file == INVALID_HANDLE_VALUE) return fail(screen, error, path, "cannot be opened");
  LARGE_INTEGER size;
  if (!GetFileSizeEx(screen.file, &size) || size.QuadPart < 4 * fieldCount)
    return fail(screen, error, path, "is too short for a screen");
  screen.mapping = CreateFileMappingA(screen.file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  screen.view = screen.mapping ? static_cast<const uint8_t*>(MapViewOfFile(screen.mapping, FILE_MAP_READ, 0, 0, 0))
                               : nullptr;
  if (!screen.view) return fail(screen, error, path, "cannot be mapped");
  const uint8_t* h = screen.view;
  if (field(h, pixmapDepth) != 24 || field(h, bitsPerPixel) != 32 || field(h, byteOrder) != 0 ||
      field(h, redMask) != 0xFF0000 || field(h, greenMask) != 0xFF00 || field(h, blueMask) != 0xFF)
    return fail(screen, error, path, "is not a 24-bit screen of 4 bytes a pixel (blue, green, red)");
  screen.width = int(field(h, pixmapWidth));
  screen.height = int(field(h, pixmapHeight));
  screen.stride = field(h, bytesPerLine);
  const uint64_t start = uint64_t(field(h, headerSize)) + uint64_t(field(h, colourCount)) * xwdColourBytes;
  if (screen.width <= 0 || screen.height <= 0 || screen.stride < size_t(screen.width) * 4 ||
      start + uint64_t(screen.stride) * uint64_t(screen.height) > uint64_t(size.QuadPart))
    return fail(screen, error, path, "is shorter than the screen it describes");
  screen.pixels = screen.view + start;
  return true;
}

bool readScreenFile(const ScreenFile& screen, HDC screenDc, const RECT& area, uint8_t* out) {
  if (area.left < 0 || area.top < 0 || area.right > screen.width || area.bottom > screen.height) return false;
  GetPixel(screenDc, area.left, area.top);  // a round trip to the X server
  const size_t rowBytes = size_t(area.right - area.left) * 4;
  for (LONG y = area.top; y < area.bottom; ++y, out += rowBytes)
    std::memcpy(out, screen.pixels + size_t(y) * screen.stride + size_t(area.left) * 4, rowBytes);
  return true;
}

void closeScreenFile(ScreenFile& screen) {
  if (screen.view) UnmapViewOfFile(screen.view);
  if (screen.mapping) CloseHandle(screen.mapping);
  if (screen.file != INVALID_HANDLE_VALUE) CloseHandle(screen.file);
  screen = ScreenFile{};
}
