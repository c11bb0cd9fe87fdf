// Capturing a PulseAudio source (PipeWire serves the same protocol) through the simple API, in
// the live stream's format: signed 16-bit little-endian, stereo, 44100 Hz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct pa_simple;

struct PulseCapture {
  pa_simple* stream = nullptr;
};

enum class CaptureFailure { none, noServer, noSource };

// Connects to the server and starts recording `source` ("@DEFAULT_MONITOR@": what the default
// output plays), delivered in pieces of `pieceBytes`. On failure the reason is in `error`.
CaptureFailure openCapture(PulseCapture& capture, const std::string& source, size_t pieceBytes, std::string& error);

// Waits for exactly `count` bytes. False (with the reason) when the stream or server is gone.
bool readCapture(PulseCapture& capture, uint8_t* bytes, size_t count, std::string& error);

void closeCapture(PulseCapture& capture);
