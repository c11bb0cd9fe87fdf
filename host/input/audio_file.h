// A playlist file of either kind vishost plays: WAV, or MP3 decoded by the platform.
#pragma once

#include <string>

#include "wav_reader.h"

// Reads `path` as MP3 when its content is MP3 (or its name ends in .mp3), else as WAV. The
// error is one line that names the file.
bool readAudioFile(const std::string& path, PcmAudio& audio, std::string& error);
