#include "frame_file.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

std::string formatFrameFile(const uint8_t spectrum[2][visEntries]) {
  std::string text;
  text.reserve(2 * frameFileValues * 4);
  for (int c = 0; c < 2; ++c) {
    for (int k = 0; k < frameFileValues; ++k) {
      text += std::to_string(spectrum[c][2 * k]);
      text += k + 1 < frameFileValues ? ' ' : '\n';
    }
  }
  return text;
}

bool replaceFileAtomically(const std::string& path, const std::string& text, std::string& error) {
  const std::string temporary = path + ".tmp";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    error = temporary + ": cannot create the file";
    return false;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(temporary.c_str());
    error = temporary + ": cannot write the file";
    return false;
  }
#ifdef _WIN32
  const bool renamed = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  const bool renamed = std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
  if (!renamed) {
    std::remove(temporary.c_str());
    error = path + ": cannot replace the file";
  }
  return renamed;
}
