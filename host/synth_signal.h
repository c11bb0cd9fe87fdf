// A built-in test signal with clear beats in the two bands effects read (bins 0-2 and 30-32)
// and a busy waveform, as a function of time.
#pragma once

struct AudioFrame {
  unsigned char spectrum[2][576];
  unsigned char waveform[2][576];
};

void synthesiseFrame(double seconds, AudioFrame& frame);
