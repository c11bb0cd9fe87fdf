// Frames per second of the whole program at 640 x 480 with the largest circle population
// the scene rules produce: burst motion held on, and a frame file that puts an onset into
// all four groups as often as the onset rule allows (every fps / 8 + 2 frames).
//
// The scene's time base is pinned to 60 frames per second, so every run draws exactly what
// a 60 fps run would draw (same population, same motion per frame) however busy the machine
// is; the program is measured doing that work. Besides the wall-clock rate it reports the
// CPU time per frame of all the process's threads (the renderer's included), which says
// what the machine could do when other work competes for its cores.
//
// usage (from the folder holding ./textures, under an X server such as xvfb-run):
//   quorbel-fps-bench [SECONDS [PEAK]]   PEAK: loudest bin value on a beat frame (default 180)
#include <GL/glut.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

#include "app.h"
#include "beat_detector.h"
#include "scene.h"
#include "frame_reader.h"

namespace {
using Clock = std::chrono::steady_clock;

double measureSeconds = 20;
int peak = 180;
constexpr double kSettleSeconds = 4;  // population build-up after the warm-up
constexpr int kSceneRate = 60;
std::string framePath;
std::string benchDir;
double cpuStart = 0;

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void removeBenchFiles() {
    std::remove(framePath.c_str());
    std::remove((benchDir + "/drive_c").c_str());
    std::remove(benchDir.c_str());
}
long nextOnsetFrame = 0;
Clock::time_point settleStart, measureStart;
bool settling = false, measuring = false;
long measureFirstFrame = 0;
double circleSum = 0;
// Wall time of each measured frame, split by whether it was a beat frame.
Clock::time_point lastIdle;
bool lastFrameLoud = false;
double beatFrameSeconds = 0, otherFrameSeconds = 0;
long beatFrames = 0, otherFrames = 0;
int circleMax = 0;
long samples = 0;

void writeFrameFile(bool loud) {
    FILE* f = std::fopen(framePath.c_str(), "wb");
    if (f == nullptr) return;
    // Spectrum magnitudes as the player hands them out (0..255 per bin), shaped like music:
    // strong bass, weaker middle, weakest treble; a beat lifts all three at once.
    for (int i = 0; i < 576; ++i) {
        const int k = i % 288;
        const int shape = k < 108 ? 100 : (k < 216 ? 55 : 33);
        const int value = loud ? peak * shape / 100 - k % 5 : 2 + k % 5;
        std::fprintf(f, "%d%c", value, i % 16 == 15 ? '\n' : ' ');
    }
    std::fclose(f);
}

void benchIdle() {
    frameRate.framesPerSecond = kSceneRate;
    frameRate.fpsLastSecond = std::numeric_limits<time_t>::max();  // the counter never publishes
    const long frame = displayedFrames() + 1;  // the frame about to be displayed
    const bool loud = frame >= nextOnsetFrame;
    if (loud) nextOnsetFrame = frame + kSceneRate / 8 + 2;
    writeFrameFile(loud);

    if (beat.historyWarmingUp == 0) {
        scene.burstMode = 1;
        scene.fallingMode = 0;
        scene.modeCountdown = 1000000;
        const Clock::time_point now = Clock::now();
        if (!settling && !measuring) {
            settling = true;
            settleStart = now;
        } else if (settling && std::chrono::duration<double>(now - settleStart).count() >= kSettleSeconds) {
            settling = false;
            measuring = true;
            measureStart = now;
            measureFirstFrame = displayedFrames();
            cpuStart = processCpuSeconds();
        } else if (measuring) {
            const double frameSeconds = std::chrono::duration<double>(now - lastIdle).count();
            if (lastFrameLoud) {
                beatFrameSeconds += frameSeconds;
                ++beatFrames;
            } else {
                otherFrameSeconds += frameSeconds;
                ++otherFrames;
            }
            const int n = countCircles();
            circleSum += n;
            circleMax = std::max(circleMax, n);
            ++samples;
            const double elapsed = std::chrono::duration<double>(now - measureStart).count();
            if (elapsed >= measureSeconds) {
                const long frames = displayedFrames() - measureFirstFrame;
                const double cpuPerFrame = (processCpuSeconds() - cpuStart) / static_cast<double>(frames);
                std::printf("quorbel-fps-bench: %ld frames in %.2f s at %dx%d, burst mode, circles mean %.0f, max %d\n"
                            "  wall clock: %.1f fps\n"
                            "  CPU time: %.2f ms per frame (all threads), %.0f fps on one free core\n"
                            "  wall time per frame: %.1f ms on beat frames (%ld), %.1f ms on the others (%ld)\n",
                            frames, elapsed, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT),
                            circleSum / static_cast<double>(samples), circleMax, frames / elapsed, cpuPerFrame * 1e3,
                            1.0 / cpuPerFrame, beatFrames ? 1e3 * beatFrameSeconds / beatFrames : 0.0, beatFrames,
                            otherFrames ? 1e3 * otherFrameSeconds / otherFrames : 0.0, otherFrames);
                removeBenchFiles();
                std::exit(0);
            }
        }
        lastIdle = now;
    }
    lastFrameLoud = loud;  // the frame now requested: its time is taken at the next idle call
    glutPostRedisplay();
}
}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) measureSeconds = std::atof(argv[1]);
    if (argc > 2) peak = std::atoi(argv[2]);
    char dir[] = "/tmp/quorbel-fps-XXXXXX";
    if (mkdtemp(dir) == nullptr) return 1;
    benchDir = dir;
    setenv("WINEPREFIX", dir, 1);
    const std::string driveC = std::string(dir) + "/drive_c";
    if (mkdir(driveC.c_str(), 0755) != 0) return 1;
    framePath = frameFilePath();
    writeFrameFile(false);
    startViewer(&argc, argv);
    std::srand(1);
    glutIdleFunc(benchIdle);
    glutMainLoop();
    return 0;
}
