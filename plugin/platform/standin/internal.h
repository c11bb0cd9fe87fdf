// Shared plumbing of the stand-in's implementation files: trace, failures, object labels.
#pragma once

#include <map>
#include <sstream>
#include <string>

#include "control.h"

namespace standin::detail {

bool tracing();
void countCall();
void record(std::string line);
// Whether this call of `name` is to fail; `result` receives the failure code.
bool failing(const std::string& name, HRESULT* result = nullptr);

inline void appendArgs(std::ostringstream&) {}
template <typename T, typename... Rest>
void appendArgs(std::ostringstream& out, const T& first, const Rest&... rest) {
  out << first;
  if constexpr (sizeof...(rest) > 0) out << ',';
  appendArgs(out, rest...);
}

// Records "name(args)" when tracing is on.
template <typename... Args>
void call(const std::string& name, const Args&... args) {
  countCall();
  if (!tracing()) return;
  std::ostringstream out;
  out << name << '(';
  appendArgs(out, args...);
  out << ')';
  record(out.str());
}

// A traced call that may be made to fail: returns the failure code, or S_OK.
template <typename... Args>
HRESULT traced(const std::string& name, const Args&... args) {
  call(name, args...);
  HRESULT hr = S_OK;
  return failing(name, &hr) ? hr : S_OK;
}

std::string text(const char* s);  // quoted, or "null"
std::string handleName(const void* h);

// A call the real platform would crash on: counted, and traced as "name(args)".
void countMisuse();
template <typename... Args>
void misuse(const std::string& name, const Args&... args) {
  countMisuse();
  call(name, args...);
}

// Per-process registries reset by standin::reset().
void resetUser();
void resetGdi();
void resetDirectX();
void resetProfile();

}  // namespace standin::detail
