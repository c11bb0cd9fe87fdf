// MP3 to 16-bit PCM through the platform's own audio codec manager (ACM).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "wav_reader.h"

// Decodes a whole MP3 file image (ID3 tags allowed) into `audio`, titled by its tags when it
// has them. On failure returns false and a one-line reason in `error`.
bool decodeMp3(const uint8_t* data, size_t size, PcmAudio& audio, std::string& error);
