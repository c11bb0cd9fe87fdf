#include "frame_reader.h"

#include <cstdlib>
#include <limits>
#include <optional>

SpectrumFrame spectrumFrame{};

std::string mapDrivePath(const char* windowsPath, const char* winePrefix, const char* home) {
    std::string path = windowsPath;
    const bool onDriveC = path.size() >= 3 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' &&
                          (path[2] == '/' || path[2] == '\\');
    if (!onDriveC) return path;
    std::string root;
    if (winePrefix != nullptr && winePrefix[0] != '\0') {
        root = winePrefix;
    } else if (home != nullptr && home[0] != '\0') {
        root = std::string(home) + "/.wine";
    } else {
        root = ".wine";
    }
    std::string rest = path.substr(3);
    for (char& c : rest) {
        if (c == '\\') c = '/';
    }
    return root + "/drive_c/" + rest;
}

namespace {
std::optional<std::string> cachedFramePath;
}

const std::string& frameFilePath() {
    if (!cachedFramePath) cachedFramePath = mapDrivePath("C:/data.txt", std::getenv("WINEPREFIX"), std::getenv("HOME"));
    return *cachedFramePath;
}

void resetFrameFilePath() { cachedFramePath.reset(); }

namespace {
bool isScanSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
// One past INT32_MAX: large enough for INT32_MIN, small enough never to overflow.
constexpr uint64_t kMagnitudeCap = uint64_t{1} << 31;
}  // namespace

void SpectrumScanner::store(SpectrumFrame& frame) {
    int64_t v = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (v > std::numeric_limits<int32_t>::max()) v = std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) v = std::numeric_limits<int32_t>::min();
    const int channel = stored / kSpectrumRows;
    const int row = stored % kSpectrumRows;
    frame.value[row][channel] = static_cast<int32_t>(v);
    ++stored;
    negative = false;
    magnitude = 0;
    state = State::Space;
}

bool SpectrumScanner::feed(const char* data, size_t size, SpectrumFrame& frame) {
    for (size_t i = 0; i < size && !done(); ++i) {
        const char c = data[i];
        switch (state) {
            case State::Space:
                if (isScanSpace(c)) break;
                if (c == '+' || c == '-') {
                    negative = (c == '-');
                    state = State::Sign;
                } else if (isDigit(c)) {
                    magnitude = static_cast<uint64_t>(c - '0');
                    state = State::Digits;
                } else {
                    state = State::Stopped;
                }
                break;
            case State::Sign:
                if (isDigit(c)) {
                    magnitude = static_cast<uint64_t>(c - '0');
                    state = State::Digits;
                } else {
                    state = State::Stopped;
                }
                break;
            case State::Digits:
                if (isDigit(c)) {
                    magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
                    if (magnitude > kMagnitudeCap) magnitude = kMagnitudeCap;
                } else {
                    store(frame);
                    // The character that ended the number is looked at again as the next
                    // value's first character: white space is skipped, anything else stops.
                    if (!isScanSpace(c) && !done()) {
                        if (c == '+' || c == '-') {
                            negative = (c == '-');
                            state = State::Sign;
                        } else {
                            state = State::Stopped;
                        }
                    }
                }
                break;
            case State::Stopped:
                break;
        }
    }
    return done();
}

void SpectrumScanner::finish(SpectrumFrame& frame) {
    if (state == State::Digits) store(frame);
    state = State::Stopped;
}

int readSpectrumStream(FILE* file, SpectrumFrame& frame) {
    SpectrumScanner scanner;
    char buffer[4096];
    while (!scanner.done()) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, file);
        if (got == 0) break;
        if (scanner.feed(buffer, got, frame)) break;
    }
    scanner.finish(frame);
    return scanner.stored;
}

bool readSpectrumFile(const char* path) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        std::fputs("file could not be opened\n", stdout);
        return false;
    }
    readSpectrumStream(file, spectrumFrame);
    std::fclose(file);
    return true;
}

void readSpectrumFrame() { readSpectrumFile(frameFilePath().c_str()); }
