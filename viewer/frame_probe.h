// Test and benchmark instruments, switched on only through the environment; the viewer
// itself takes no options.
//   QUORBEL_CAPTURE_DIR=dir        save chosen frames as dir/frame_NNNNN.ppm (glReadPixels)
//   QUORBEL_CAPTURE_FRAMES=list    which frames: "1,1300,2000-3000:250" (default: none)
//   QUORBEL_STATE_LOG=file         one line of scene state per displayed frame (ms: since start)
#pragma once

#include <string>
#include <vector>

// Parses "1,5,10-40:10" into frame numbers (a range without ":step" steps by 1).
std::vector<long> parseFrameList(const std::string& text);

// Reads the environment once at start-up.
void startFrameProbe();
// Called by onDisplay after drawing, before the swap.
void probeFrame(long frameNumber, bool shown);
