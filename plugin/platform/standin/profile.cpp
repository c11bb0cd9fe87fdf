// Private-profile files as the platform keeps them: "[section]" and "key=value" lines with
// CRLF endings, sections and keys matched without regard to case.
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "internal.h"

namespace {

std::string modulePath = "C:\\Program Files\\Winamp\\Plugins\\vis_vexilumarine.dll";
std::string userProfile;

std::string trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

bool sameText(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool isSection(const std::string& line, const char* section) {
  std::string t = trim(line);
  return t.size() >= 2 && t.front() == '[' && t.back() == ']' &&
         (section == nullptr || sameText(t.substr(1, t.size() - 2), section));
}

// The stored value of section/key, or false when absent.
bool lookup(const std::string& file, const char* section, const char* key, std::string* value) {
  bool inSection = false;
  for (const auto& line : readLines(file)) {
    if (isSection(line, nullptr)) {
      inSection = isSection(line, section);
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    if (sameText(trim(line.substr(0, eq)), key)) {
      *value = trim(line.substr(eq + 1));
      return true;
    }
  }
  return false;
}

DWORD copyOut(const std::string& value, LPSTR out, DWORD size) {
  if (size == 0) return 0;
  size_t n = std::min<size_t>(value.size(), size - 1);
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
  return DWORD(n);
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (const auto& line : lines) out << line << "\r\n";
  return bool(out);
}

// As the platform does for a null value: the key's line goes, the rest of the file stays.
BOOL deleteKey(const std::string& path, const char* section, const char* key) {
  std::vector<std::string> lines = readLines(path);
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (isSection(lines[i], nullptr)) {
      inSection = isSection(lines[i], section);
      continue;
    }
    const size_t eq = lines[i].find('=');
    if (inSection && eq != std::string::npos && sameText(trim(lines[i].substr(0, eq)), key)) {
      lines.erase(lines.begin() + long(i));
      return writeLines(path, lines) ? TRUE : FALSE;
    }
  }
  return TRUE;
}

}  // namespace

namespace standin {

void setModulePath(const std::string& windowsPath) { modulePath = windowsPath; }
void setUserProfile(const std::string& nativeFile) { userProfile = nativeFile; }

std::string nativePath(const char* windowsPath) {
  std::string p = windowsPath ? windowsPath : "";
  if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') p.erase(0, 2);
  for (char& c : p)
    if (c == '\\') c = '/';
  return p;
}

namespace detail {
void resetProfile() {
  modulePath = "C:\\Program Files\\Winamp\\Plugins\\vis_vexilumarine.dll";
  userProfile.clear();
}
}  // namespace detail

}  // namespace standin

using standin::detail::call;
using standin::detail::text;

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
  call("GetModuleFileNameA", standin::detail::handleName(module), size);
  if (size == 0) return 0;
  // Like the platform: the name is cut to fit with its terminator; the result is the count
  // copied, or the buffer's size when the name was cut.
  size_t n = std::min<size_t>(modulePath.size(), size - 1);
  std::memcpy(buffer, modulePath.data(), n);
  buffer[n] = '\0';
  return modulePath.size() >= size ? size : DWORD(n);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size, LPCSTR file) {
  call("GetPrivateProfileStringA", text(section), text(key), text(fallback), size, text(file));
  std::string value;
  if (!lookup(standin::nativePath(file), section, key, &value)) value = fallback ? fallback : "";
  return copyOut(value, out, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int fallback, LPCSTR file) {
  call("GetPrivateProfileIntA", text(section), text(key), fallback, text(file));
  std::string value;
  if (!lookup(standin::nativePath(file), section, key, &value) || value.empty()) return UINT(fallback);
  // The leading decimal number; text without one reads as 0.
  return UINT(std::strtol(value.c_str(), nullptr, 10));
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  call("WritePrivateProfileStringA", text(section), text(key), text(value), text(file));
  if (standin::detail::failing("WritePrivateProfileStringA")) return FALSE;
  const std::string path = standin::nativePath(file);
  if (!value) return deleteKey(path, section, key);
  std::vector<std::string> lines = readLines(path);
  const std::string entry = std::string(key) + "=" + value;
  size_t sectionAt = lines.size(), insertAt = lines.size();
  bool replaced = false;
  for (size_t i = 0; i < lines.size() && !replaced; ++i) {
    if (isSection(lines[i], nullptr)) {
      if (sectionAt != lines.size()) break;  // the next section ends ours
      if (isSection(lines[i], section)) sectionAt = insertAt = i + 1;
      continue;
    }
    if (sectionAt == lines.size()) continue;
    size_t eq = lines[i].find('=');
    if (eq != std::string::npos && sameText(trim(lines[i].substr(0, eq)), key)) {
      lines[i] = trim(lines[i].substr(0, eq)) + "=" + value;  // the stored key keeps its spelling
      replaced = true;
    } else if (!trim(lines[i]).empty()) {
      insertAt = i + 1;
    }
  }
  if (!replaced) {
    if (sectionAt == lines.size()) {
      lines.push_back("[" + std::string(section) + "]");
      lines.push_back(entry);
    } else {
      lines.insert(lines.begin() + long(insertAt), entry);
    }
  }
  return writeLines(path, lines) ? TRUE : FALSE;
}

DWORD GetProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size) {
  call("GetProfileStringA", text(section), text(key), text(fallback), size);
  std::string value;
  if (userProfile.empty() || !lookup(userProfile, section, key, &value)) value = fallback ? fallback : "";
  return copyOut(value, out, size);
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  for (;; ++a, ++b) {
    int ca = std::tolower(static_cast<unsigned char>(*a)), cb = std::tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca < cb ? -1 : (ca > cb ? 1 : 0);
  }
}
