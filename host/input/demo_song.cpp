#include "demo_song.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <utility>

namespace {

constexpr int rate = 44100;
constexpr int songBars = 48;
constexpr double beatSeconds = 0.5;  // 120 beats per minute
constexpr double barSeconds = 4 * beatSeconds;
constexpr double eighth = beatSeconds / 2;
constexpr double pi = 3.14159265358979323846;

// Stereo mix buffer in floating point.
struct Mix {
  std::vector<float> left, right;
  void add(double at, double pan, const std::vector<float>& sound) {
    const size_t start = size_t(at * rate);
    const float l = float(std::sqrt(1 - pan)), r = float(std::sqrt(pan));
    for (size_t i = 0; i < sound.size() && start + i < left.size(); ++i) {
      left[start + i] += l * sound[i];
      right[start + i] += r * sound[i];
    }
  }
};

uint32_t noiseState = 0x1234567u;
float noise() {
  noiseState = noiseState * 1664525u + 1013904223u;
  return float(int32_t(noiseState) / 2147483648.0);
}

std::vector<float> kick() {
  std::vector<float> s(size_t(0.35 * rate));
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    phase += 2 * pi * (48 + 110 * std::exp(-t * 28)) / rate;
    s[i] = float(0.95 * std::sin(phase) * std::exp(-t * 11));
  }
  return s;
}

std::vector<float> snare() {
  std::vector<float> s(size_t(0.25 * rate));
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    s[i] = float(0.45 * noise() * std::exp(-t * 18) + 0.3 * std::sin(2 * pi * 185 * t) * std::exp(-t * 25));
  }
  return s;
}

std::vector<float> hat(double level) {
  std::vector<float> s(size_t(0.06 * rate));
  float previous = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const float n = noise();
    s[i] = float(level * (n - previous) * std::exp(-double(i) / rate * 70));
    previous = n;
  }
  return s;
}

// A saw wave through a one-pole low-pass, with a short pluck envelope.
std::vector<float> bassNote(double frequency, double seconds) {
  std::vector<float> s(size_t(seconds * rate));
  double phase = 0, filtered = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    phase = std::fmod(phase + frequency / rate, 1.0);
    filtered += 0.12 * ((2 * phase - 1) - filtered);
    const double release = std::min(1.0, (seconds - t) * 40);
    s[i] = float(0.32 * filtered * std::exp(-t * 5) * release);
  }
  return s;
}

// A soft square-ish lead (odd harmonics) with vibrato and a pluck envelope.
std::vector<float> leadNote(double frequency, double seconds) {
  std::vector<float> s(size_t(seconds * rate));
  double phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    phase += 2 * pi * frequency * (1 + 0.004 * std::sin(2 * pi * 5.5 * t)) / rate;
    const double tone = std::sin(phase) + std::sin(3 * phase) / 4 + std::sin(5 * phase) / 9;
    const double attack = std::min(1.0, t * 200), release = std::min(1.0, (seconds - t) * 30);
    s[i] = float(0.18 * tone * attack * release * (0.6 + 0.4 * std::exp(-t * 4)));
  }
  return s;
}

std::vector<float> padChord(const double (&frequencies)[3], double seconds) {
  std::vector<float> s(size_t(seconds * rate));
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = double(i) / rate;
    const double swell = std::sin(pi * t / seconds);
    double v = 0;
    for (double f : frequencies) v += std::sin(2 * pi * f * t) + 0.3 * std::sin(2 * pi * 2.003 * f * t);
    s[i] = float(0.045 * v * swell);
  }
  return s;
}

// Notes repeat all through the song: each distinct one is synthesised once.
template <typename Make>
const std::vector<float>& cached(int key, double seconds, Make make) {
  static std::map<std::pair<int, long>, std::vector<float>> sounds;
  const auto id = std::make_pair(key, long(seconds * rate));
  auto found = sounds.find(id);
  if (found == sounds.end()) found = sounds.emplace(id, make()).first;
  return found->second;
}

// tanh's shape without its cost: a soft limit that reaches +-1 at +-3.
double softClip(double x) {
  x = std::clamp(x, -3.0, 3.0);
  return x * (27 + x * x) / (27 + 9 * x * x);
}

double noteFrequency(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

// Chords per bar: A minor, F, C, G (semitones from A4).
constexpr int chordRoots[4] = {0, -4, 3, -2};
constexpr int chordThirds[4] = {3, 4, 4, 4};

// Two-bar melody phrases in eighths: semitones from A4, 99 = rest.
constexpr int phrases[4][16] = {
    {12, 99, 15, 12, 10, 99, 7, 99, 8, 7, 99, 3, 5, 99, 99, 99},
    {10, 99, 12, 10, 7, 99, 3, 5, 7, 99, 99, 10, 12, 99, 99, 99},
    {15, 17, 15, 12, 99, 10, 12, 99, 7, 99, 10, 7, 5, 3, 0, 99},
    {3, 99, 5, 7, 10, 99, 12, 15, 17, 99, 15, 12, 10, 99, 12, 99},
};

struct Section {
  bool kick, snare, hats, bass, lead, pad;
};

Section sectionOf(int bar) {
  if (bar < 4) return {true, false, true, false, false, true};    // intro: pulse and pad
  if (bar < 12) return {true, true, true, true, false, true};     // groove
  if (bar < 28) return {true, true, true, true, true, false};     // theme
  if (bar < 32) return {false, false, true, true, true, true};    // breakdown
  if (bar < 46) return {true, true, true, true, true, true};      // theme again, full
  return {true, false, false, false, false, true};                // ending
}

void addBar(Mix& mix, int bar) {
  const Section s = sectionOf(bar);
  const double start = bar * barSeconds;
  const int chord = bar % 4;
  static const std::vector<float> kickSound = kick(), snareSound = snare(), hatSound = hat(0.25),
                                  openHat = hat(0.4);
  for (int beat = 0; beat < 4; ++beat) {
    const double at = start + beat * beatSeconds;
    if (s.kick) mix.add(at, 0.5, kickSound);
    if (s.kick && bar % 4 == 3 && beat == 3) mix.add(at + eighth, 0.5, kickSound);
    if (s.snare && beat % 2 == 1) mix.add(at, 0.45, snareSound);
  }
  for (int e = 0; e < 8 && s.hats; ++e) mix.add(start + e * eighth, 0.65, e % 2 ? openHat : hatSound);
  for (int e = 0; e < 8 && s.bass; ++e) {
    const int semis = chordRoots[chord] - 24 + (e % 4 == 2 ? 12 : 0);
    mix.add(start + e * eighth, 0.5, cached(semis, eighth * 0.9, [&] { return bassNote(noteFrequency(semis), eighth * 0.9); }));
  }
  if (s.pad) {
    const int root = chordRoots[chord] - 12;
    const double triad[3] = {noteFrequency(root), noteFrequency(root + chordThirds[chord]), noteFrequency(root + 7)};
    mix.add(start, 0.5, cached(1000 + chord, barSeconds, [&] { return padChord(triad, barSeconds); }));
  }
  if (s.lead) {
    const int* phrase = phrases[(bar / 2) % 4];
    for (int e = 0; e < 8; ++e) {
      const int note = phrase[(bar % 2) * 8 + e];
      if (note == 99) continue;
      int length = 1;
      while (e + length < 8 && phrase[(bar % 2) * 8 + e + length] == 99) ++length;
      const double seconds = length * eighth * 0.95;
      mix.add(start + e * eighth, 0.6, cached(2000 + note, seconds, [&] { return leadNote(noteFrequency(note), seconds); }));
    }
  }
}

}  // namespace

PcmAudio synthesiseDemoSong(int bars) {
  if (bars <= 0 || bars > songBars) bars = songBars;
  noiseState = 0x1234567u;
  Mix mix;
  const size_t frames = size_t(bars * barSeconds * rate);
  mix.left.assign(frames, 0);
  mix.right.assign(frames, 0);
  for (int bar = 0; bar < bars; ++bar) addBar(mix, bar);
  PcmAudio audio;
  audio.sampleRate = rate;
  audio.channels = 2;
  audio.title = demoSongTitle;
  audio.samples.resize(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    const double fadeOut = std::min(1.0, double(frames - i) / (2.0 * rate));
    audio.samples[2 * i] = int16_t(std::lround(softClip(mix.left[i] * 1.1) * fadeOut * 30000));
    audio.samples[2 * i + 1] = int16_t(std::lround(softClip(mix.right[i] * 1.1) * fadeOut * 30000));
  }
  return audio;
}

std::vector<uint8_t> wavImage(const PcmAudio& audio) {
  const uint32_t dataBytes = uint32_t(audio.samples.size() * 2);
  const uint32_t blockAlign = uint32_t(audio.channels * 2);
  std::vector<uint8_t> out(44 + size_t(dataBytes));
  auto put = [&](size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
  };
  std::memcpy(&out[0], "RIFF", 4);
  put(4, 36 + dataBytes, 4);
  std::memcpy(&out[8], "WAVEfmt ", 8);
  put(16, 16, 4);
  put(20, 1, 2);  // PCM
  put(22, uint32_t(audio.channels), 2);
  put(24, uint32_t(audio.sampleRate), 4);
  put(28, uint32_t(audio.sampleRate) * blockAlign, 4);
  put(32, blockAlign, 2);
  put(34, 16, 2);
  std::memcpy(&out[36], "data", 4);
  put(40, dataBytes, 4);
  std::memcpy(&out[44], audio.samples.data(), dataBytes);
  return out;
}
