#include "frequency_bins.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>

namespace {

constexpr int fftSize = spectrumSamples;
constexpr int bins = fftSize / 2;
constexpr double pi = 3.14159265358979323846;

using Complex = std::complex<double>;

const std::array<double, fftSize>& hannWindow() {
  static const std::array<double, fftSize> window = [] {
    std::array<double, fftSize> w{};
    for (int i = 0; i < fftSize; ++i) w[i] = 0.5 - 0.5 * std::cos(2 * pi * i / fftSize);
    return w;
  }();
  return window;
}

// In-place iterative radix-2 FFT of `fftSize` points.
void fft(std::array<Complex, fftSize>& x) {
  for (int i = 1, j = 0; i < fftSize; ++i) {
    int bit = fftSize >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j |= bit;
    if (i < j) std::swap(x[i], x[j]);
  }
  for (int length = 2; length <= fftSize; length <<= 1) {
    const Complex step = std::polar(1.0, -2 * pi / length);
    for (int start = 0; start < fftSize; start += length) {
      Complex twiddle = 1;
      for (int k = 0; k < length / 2; ++k) {
        const Complex a = x[start + k];
        const Complex b = x[start + k + length / 2] * twiddle;
        x[start + k] = a + b;
        x[start + k + length / 2] = a - b;
        twiddle *= step;
      }
    }
  }
}

int highByte(int16_t sample) { return sample >> 8; }

}  // namespace

void buildSpectrum(const int16_t* samples, int stride, uint8_t out[visEntries]) {
  double mean = 0;
  for (int i = 0; i < fftSize; ++i) mean += highByte(samples[i * stride]);
  mean /= fftSize;
  std::array<Complex, fftSize> x;
  for (int i = 0; i < fftSize; ++i) x[i] = (highByte(samples[i * stride]) - mean) * hannWindow()[i];
  fft(x);
  int previous = 0;
  for (int k = 0; k < bins; ++k) {
    const int level = int(std::min(255.0, std::abs(x[k]) / 16.0));
    out[2 * k] = uint8_t(k == 0 ? level : (previous + level) / 2);
    out[2 * k + 1] = uint8_t(level);
    previous = level;
  }
  for (int i = 2 * bins; i < visEntries; ++i) out[i] = uint8_t(out[i - 1] / 2);
}

void buildWaveform(const int16_t* samples, int stride, uint8_t out[visEntries]) {
  for (int i = 0; i < visEntries; ++i) out[i] = uint8_t(int8_t(highByte(samples[i * stride])));
}
