// The sinks of picture_sink.h, each a state and a take function over the code that does the work.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "frame_file.h"
#include "picture_sink.h"
#include "plugin_window.h"
#include "render_progress.h"
#include "resource_use.h"
#include "screen_capture.h"
#include "steady_capture.h"

namespace {

template <typename State>
void keep(State*) {}

template <typename State, bool (*take)(State*, const DrawnFrame&), void (*finish)(State*) = keep<State>>
PictureSink sinkOf(State* state) {
  return PictureSink{state, [](void* s, const DrawnFrame& f) { return take(static_cast<State*>(s), f); },
                     [](void* s) { finish(static_cast<State*>(s)); }};
}

// --capture-at F1,F2 --out DIR: those frames as BMPs named after the module (and the run).
struct NamedCaptures {
  std::vector<int> frames;
  std::string folder;
  int module, run, runs;
};

bool takeNamed(NamedCaptures* s, const DrawnFrame& f) {
  if (std::find(s->frames.begin(), s->frames.end(), f.frame) == s->frames.end()) return true;
  char name[64];
  if (s->runs > 1) std::snprintf(name, sizeof name, "\\module%d-run%d-frame%05d.bmp", s->module, s->run, f.frame);
  else std::snprintf(name, sizeof name, "\\module%d-frame%05d.bmp", s->module, f.frame);
  const std::string path = s->folder + name;
  if (!captureScreenArea(pluginPictureArea(), path)) std::fprintf(stderr, "vishost: could not write %s\n", path.c_str());
  return true;
}

void finishNamed(NamedCaptures* s) { delete s; }

// --out DIR alone: the steady series at --capture-fps.
bool takeSteady(SteadyCapture* s, const DrawnFrame& f) {
  if (!captureDueSlots(*s, f.shownAt))
    std::fprintf(stderr, "vishost: could not write a frame into %s\n", s->folder.c_str());
  return true;
}

void finishSteady(SteadyCapture* s) { delete s; }

// --render: every frame raw to the encoder.
bool takeVideo(VideoEncoder* video, const DrawnFrame&) {
  std::string error;
  if (encodeFrame(*video, error)) return true;
  std::fprintf(stderr, "vishost: %s\n", error.c_str());
  return false;
}

bool takeProgress(RenderProgress* p, const DrawnFrame& f) {
  reportProgress(*p, f.frame, f.renderEnd);
  return true;
}

void finishProgress(RenderProgress* p) { delete p; }

// --frame-file PATH: quorbel's spectrum file, rewritten every frame (a failure is said once).
struct FrameFile {
  std::string path;
  bool reported = false;
};

bool takeFrameFile(FrameFile* s, const DrawnFrame& f) {
  std::string error;
  if (!replaceFileAtomically(s->path, formatFrameFile(f.spectrum), error) && !s->reported) {
    std::fprintf(stderr, "vishost: %s\n", error.c_str());
    s->reported = true;
  }
  return true;
}

void finishFrameFile(FrameFile* s) { delete s; }

// --resource-log S: at every interval one line of what the process holds and of the slowest
// Render and the longest frame (from one frame's start to the next) since the line before.
struct ResourceLog {
  int intervalSeconds;
  double nextAt = 0;
  double lastFrameStart = -1;
  double slowestRenderMs = 0;
  double longestFrameMs = 0;
  int slowRenders = 0;         // over 100 ms
  double mostRenderCpuMs = 0;  // the visualisation thread's own processor time in one Render
};

bool takeResourceLog(ResourceLog* log, const DrawnFrame& f) {
  const double renderMs = (f.renderEnd - f.renderStart) * 1000.0;
  if (log->lastFrameStart >= 0)
    log->longestFrameMs = std::max(log->longestFrameMs, (f.renderStart - log->lastFrameStart) * 1000);
  log->lastFrameStart = f.renderStart;
  log->slowestRenderMs = std::max(log->slowestRenderMs, renderMs);
  log->slowRenders += renderMs > 100;
  log->mostRenderCpuMs = std::max(log->mostRenderCpuMs, f.renderCpuMs);
  if (f.renderStart < log->nextAt) return true;
  char when[64];
  std::snprintf(when, sizeof when, "%.0f s, frame %d", f.renderStart, f.frame);
  printResourceUse(when);
  std::printf("; slowest Render %.1f ms, over 100 ms %d, most Render processor time %.0f ms, longest frame %.1f ms\n",
              log->slowestRenderMs, log->slowRenders, log->mostRenderCpuMs, log->longestFrameMs);
  std::fflush(stdout);
  log->slowestRenderMs = log->longestFrameMs = log->mostRenderCpuMs = 0;
  log->slowRenders = 0;
  log->nextAt += log->intervalSeconds;
  return true;
}

void finishResourceLog(ResourceLog* log) { delete log; }

// --benchmark: the Render times after the intro (10.5 s), reported at the end.
struct Benchmark {
  int module;
  std::vector<double> renderMs;
  double start = 0, end = 0;
};

bool takeBenchmark(Benchmark* b, const DrawnFrame& f) {
  if (f.clockSeconds <= 10.5) return true;
  if (b->renderMs.empty()) b->start = f.renderStart;
  b->renderMs.push_back((f.renderEnd - f.renderStart) * 1000.0);
  b->end = f.renderEnd;
  return true;
}

void finishBenchmark(Benchmark* b) {
  if (b->renderMs.empty()) {
    std::printf("benchmark: no frames after the intro; run longer than 11 seconds\n");
  } else {
    std::vector<double> sorted = b->renderMs;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    std::printf("benchmark: module %d, %zu frames after the intro, %.1f fps, Render median %.3f ms, p99 %.3f ms\n",
                b->module, b->renderMs.size(), double(b->renderMs.size()) / (b->end - b->start), median, p99);
  }
  delete b;
}

}  // namespace

std::vector<PictureSink> openPictureSinks(const HostOptions& o, int run, VideoEncoder& video, int64_t videoFrames) {
  std::vector<PictureSink> sinks;
  if (o.resourceLogSeconds > 0) sinks.push_back(sinkOf<ResourceLog, takeResourceLog, finishResourceLog>(new ResourceLog{o.resourceLogSeconds}));
  if (o.benchmark) sinks.push_back(sinkOf<Benchmark, takeBenchmark, finishBenchmark>(new Benchmark{o.module, {}}));
  if (!o.captureAt.empty())
    sinks.push_back(sinkOf<NamedCaptures, takeNamed, finishNamed>(
        new NamedCaptures{o.captureAt, o.outDir, o.module, run, o.runs}));
  else if (o.outDir != ".")
    sinks.push_back(sinkOf<SteadyCapture, takeSteady, finishSteady>(new SteadyCapture{o.outDir, o.captureFps}));
  if (o.render) {
    sinks.push_back(sinkOf<VideoEncoder, takeVideo>(&video));
    sinks.push_back(sinkOf<RenderProgress, takeProgress, finishProgress>(new RenderProgress{videoFrames, o.fps}));
  }
  if (!o.frameFile.empty()) sinks.push_back(sinkOf<FrameFile, takeFrameFile, finishFrameFile>(new FrameFile{o.frameFile}));
  return sinks;
}

bool sendToSinks(const std::vector<PictureSink>& sinks, const DrawnFrame& frame) {
  // What the plug-in drew with GDI reaches the screen when a thread of the process waits for
  // messages: this one does so now, without taking any.
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
  for (const PictureSink& sink : sinks)
    if (!sink.take(sink.state, frame)) return false;
  return true;
}

void closePictureSinks(std::vector<PictureSink>& sinks) {
  for (const PictureSink& sink : sinks)
    if (sink.finish) sink.finish(sink.state);
  sinks.clear();
}
