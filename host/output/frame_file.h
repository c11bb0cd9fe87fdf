// The viewer's spectrum frame file: 288 integers for each channel (every other spectrum entry),
// as text, one line per channel.
#pragma once

#include <cstdint>
#include <string>

#include "frequency_bins.h"

constexpr int frameFileValues = visEntries / 2;

std::string formatFrameFile(const uint8_t spectrum[2][visEntries]);

// Writes `text` to `path` through a temporary file that is then renamed over it, so a reader
// sees either the previous frame or this one, never half of one.
bool replaceFileAtomically(const std::string& path, const std::string& text, std::string& error);
