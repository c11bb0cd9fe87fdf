#include "pulse_capture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include "live_pcm.h"

CaptureFailure openCapture(PulseCapture& capture, const std::string& source, size_t pieceBytes, std::string& error) {
  const pa_sample_spec format{PA_SAMPLE_S16LE, liveSampleRate, liveChannels};
  pa_buffer_attr buffer{};
  buffer.maxlength = uint32_t(-1);
  buffer.fragsize = uint32_t(pieceBytes);  // small pieces: the server hands over each one at once
  int code = 0;
  capture.stream = pa_simple_new(nullptr, "quorbel-feed", PA_STREAM_RECORD, source.c_str(), "spectrum for quorbel",
                                 &format, nullptr, &buffer, &code);
  if (capture.stream) return CaptureFailure::none;
  error = pa_strerror(code);
  const bool noServer = code == PA_ERR_CONNECTIONREFUSED || code == PA_ERR_INVALIDSERVER ||
                        code == PA_ERR_CONNECTIONTERMINATED || code == PA_ERR_ACCESS;
  return noServer ? CaptureFailure::noServer : CaptureFailure::noSource;
}

bool readCapture(PulseCapture& capture, uint8_t* bytes, size_t count, std::string& error) {
  int code = 0;
  if (pa_simple_read(capture.stream, bytes, count, &code) == 0) return true;
  error = pa_strerror(code);
  return false;
}

void closeCapture(PulseCapture& capture) {
  if (capture.stream) pa_simple_free(capture.stream);
  capture.stream = nullptr;
}
