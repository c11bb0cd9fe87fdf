#include "ansi_text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

std::string toAnsiCodePage(const std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) return text;
  const int length = int(text.size());
  const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
  if (wide <= 0) return text;  // not UTF-8
  std::vector<wchar_t> units(size_t(wide) + 1);
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, units.data(), wide);
  const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units.data(), wide, nullptr, 0, "?", nullptr);
  if (bytes <= 0) return text;
  std::string out(size_t(bytes), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units.data(), wide, out.data(), bytes, "?", nullptr);
  return out;
}
