// The built-in demo song, synthesised at start-up: 48 bars at 120 beats per minute (96 s) of
// drums, bass, chords and a lead melody, 44.1 kHz stereo.
#pragma once

#include "wav_reader.h"

constexpr const char* demoSongTitle = "Vexilumarine - Tidewater (demo song)";

// `bars` shortens the song for tests (0 = the whole song).
PcmAudio synthesiseDemoSong(int bars = 0);

// The 44-byte-header 16-bit PCM WAV image of `audio`.
std::vector<uint8_t> wavImage(const PcmAudio& audio);
