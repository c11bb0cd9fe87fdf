// The ways pictures go out, behind one interface: after each Render the frame loop hands the
// frame to every sink of the run (the resource log, the benchmark, the named BMP captures, the
// steady BMP series, the encoder, the progress line, quorbel's frame file). A new way out is a
// new sink, not a new branch in the loop.
#pragma once

#include <cstdint>
#include <vector>

#include "options.h"
#include "video_encoder.h"

// A frame the plug-in has just drawn (its own threads too), as the sinks see it.
struct DrawnFrame {
  int frame = 0;             // from 1
  double clockSeconds = 0;   // the frame's time on the run's clock (the video's on the virtual clock)
  double shownAt = 0;        // when it shows: that time on the virtual clock, the end of Render on the wall clock
  double renderStart = 0;    // wall seconds since Init when Render began
  double renderEnd = 0;      // and when it and the plug-in's threads were done
  double renderCpuMs = 0;    // the visualisation thread's processor time in Render (with --resource-log)
  const unsigned char (*spectrum)[576] = nullptr;  // what the plug-in was given
};

struct PictureSink {
  void* state;
  bool (*take)(void* state, const DrawnFrame& frame);  // false: the run cannot go on (said on stderr)
  void (*finish)(void* state);                         // after the last frame; frees the state
};

// The sinks the options ask for; `run` names the captures of --runs; `videoFrames` is the length
// of the video for the progress line.
std::vector<PictureSink> openPictureSinks(const HostOptions& options, int run, VideoEncoder& video,
                                          int64_t videoFrames);
// Hands the frame to each sink in turn; false as soon as one cannot go on.
bool sendToSinks(const std::vector<PictureSink>& sinks, const DrawnFrame& frame);
void closePictureSinks(std::vector<PictureSink>& sinks);
