#include "frame_probe.h"

#include <GL/glut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "beat_detector.h"
#include "scene.h"

namespace {
std::string captureDir;
std::vector<long> captureFrames;
FILE* stateLog = nullptr;

void writePpm(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return;
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    // OpenGL rows run bottom to top; image files top to bottom.
    for (int row = height - 1; row >= 0; --row) std::fwrite(&rgb[static_cast<size_t>(row) * width * 3], 1, static_cast<size_t>(width) * 3, f);
    std::fclose(f);
}

void capture(long frameNumber) {
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0) return;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%05ld.ppm", frameNumber);
    writePpm(captureDir + name, width, height, rgb);
}
}  // namespace

std::vector<long> parseFrameList(const std::string& text) {
    std::vector<long> frames;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        long first = 0, last = 0, step = 1;
        char dash = 0, colon = 0;
        std::istringstream in(item);
        if (!(in >> first)) continue;
        last = first;
        if (in >> dash && dash == '-' && in >> last) {
            if (in >> colon && colon == ':') in >> step;
        }
        if (step < 1) step = 1;
        for (long f = first; f <= last && frames.size() < 100000; f += step) frames.push_back(f);
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}

void startFrameProbe() {
    if (const char* dir = std::getenv("QUORBEL_CAPTURE_DIR")) captureDir = dir;
    if (const char* list = std::getenv("QUORBEL_CAPTURE_FRAMES")) captureFrames = parseFrameList(list);
    if (const char* log = std::getenv("QUORBEL_STATE_LOG")) {
        stateLog = std::fopen(log, "w");
        if (stateLog != nullptr) {
            std::fputs("frame shown fps warmingUp historyIndex onset0 level0 spin burst bars style tintR tintG tintB circles rings "
                       "ms\n",
                       stateLog);
        }
    }
}

void probeFrame(long frameNumber, bool shown) {
    if (!captureDir.empty() && std::binary_search(captureFrames.begin(), captureFrames.end(), frameNumber)) {
        capture(frameNumber);
    }
    if (stateLog != nullptr) {
        std::fprintf(stateLog, "%ld %d %d %d %d %d %lld %d %d %d %d %.2f %.2f %.2f %d %d %d\n", frameNumber, shown ? 1 : 0,
                     frameRate.framesPerSecond, beat.historyWarmingUp, beat.historyIndex, beat.groupOnset[0],
                     static_cast<long long>(beat.groupLevel[0]), scene.spinMode, scene.burstMode, scene.barsMode,
                     scene.circleStyle, scene.tintRed, scene.tintGreen, scene.tintBlue, countCircles(), countRings(),
                     glutGet(GLUT_ELAPSED_TIME));
        std::fflush(stateLog);
    }
}
