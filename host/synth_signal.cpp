#include "synth_signal.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double beatsPerSecond = 2.0;  // 120 beats per minute
constexpr double pi = 3.14159265358979323846;

double envelope(double sinceHit, double decay) { return sinceHit < 0 ? 0 : std::exp(-sinceHit * decay); }

unsigned char level(double v) { return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0)); }

}  // namespace

void synthesiseFrame(double t, AudioFrame& frame) {
  const double beat = t * beatsPerSecond;
  const double sinceKick = (beat - std::floor(beat)) / beatsPerSecond;
  const double offBeat = beat + 0.5;
  const double sinceSnare = (offBeat - std::floor(offBeat)) / beatsPerSecond;
  // Every fourth bar the kick doubles up, so the picture does not settle into one rhythm.
  const bool doubleTime = static_cast<long>(beat / 16) % 4 == 3;
  const double kick = std::max(envelope(sinceKick, 9), doubleTime ? envelope(sinceKick - 0.25, 9) : 0);
  const double snare = envelope(sinceSnare, 12);
  const double sway = 0.5 + 0.5 * std::sin(t * 0.37);

  for (int ch = 0; ch < 2; ++ch) {
    for (int bin = 0; bin < 576; ++bin) {
      double v = 40.0 * sway * std::exp(-bin / 90.0);
      if (bin <= 4) v += 250.0 * kick;
      if (bin >= 28 && bin <= 34) v += 230.0 * snare * (ch == 0 ? 1.0 : 0.85);
      v += 18.0 * (0.5 + 0.5 * std::sin(bin * 0.7 + t * 5.0 + ch));
      frame.spectrum[ch][bin] = level(v);
    }
    for (int k = 0; k < 576; ++k) {
      const double s = k / 44100.0 + t;
      double w = 0.35 * kick * std::sin(2 * pi * 55 * s) + 0.2 * std::sin(2 * pi * 220 * s + ch) +
                 0.25 * snare * std::sin(2 * pi * 3100 * s) + 0.12 * std::sin(2 * pi * 880 * s * (1 + 0.1 * sway));
      // Signed 8-bit samples stored in the unsigned bytes, as the player hands them over.
      frame.waveform[ch][k] = static_cast<unsigned char>(static_cast<signed char>(std::clamp(w * 127.0, -128.0, 127.0)));
    }
  }
}
