#include <algorithm>
#include <cstdio>
#include <deque>

#include "internal.h"

namespace standin {
namespace {

struct Failure {
  std::string name;
  int remaining;  // calls to let through before failing; -1 = fail always
  HRESULT result;
};

struct State {
  std::vector<std::string> lines;
  bool tracing = true;
  std::vector<Failure> failures;
  DWORD now = 0;
  DWORD stepPerRead = 0;
  int injected = 0;
  int misuses = 0;
  long long calls = 0;
};

State& state() {
  static State s;
  return s;
}

std::string_view nameOf(std::string_view line) {
  std::string_view head = line.substr(0, line.find('('));
  size_t dot = head.rfind('.');
  return dot == std::string_view::npos ? head : head.substr(dot + 1);
}

}  // namespace

namespace detail {

bool tracing() { return state().tracing; }
void countCall() { ++state().calls; }
void record(std::string line) { state().lines.push_back(std::move(line)); }

bool failing(const std::string& name, HRESULT* result) {
  auto& failures = state().failures;
  for (auto it = failures.begin(); it != failures.end(); ++it) {
    if (it->name != name) continue;
    if (it->remaining < 0) {
      if (result) *result = it->result;
      ++state().injected;
      return true;
    }
    if (it->remaining-- == 0) {
      if (result) *result = it->result;
      failures.erase(it);
      ++state().injected;
      return true;
    }
  }
  return false;
}

void countMisuse() { ++state().misuses; }

std::string text(const char* s) { return s ? '"' + std::string(s) + '"' : "null"; }

std::string handleName(const void* h) {
  if (!h) return "null";
  std::string l = label(h);
  if (!l.empty()) return l;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%p", h);
  return buffer;
}

}  // namespace detail

void reset() {
  state() = State{};
  detail::resetUser();
  detail::resetGdi();
  detail::resetDirectX();
  detail::resetProfile();
}

const std::vector<std::string>& trace() { return state().lines; }
void clearTrace() { state().lines.clear(); }
void setTracing(bool on) { state().tracing = on; }

std::vector<std::string> calls(std::string_view name) {
  std::vector<std::string> out;
  for (const auto& line : state().lines) {
    if (nameOf(line) != name) continue;
    size_t open = line.find('(');
    out.push_back(line.substr(open + 1, line.size() - open - 2));
  }
  return out;
}

std::vector<std::string> callsOf(std::initializer_list<std::string_view> names) {
  std::vector<std::string> out;
  for (const auto& line : state().lines)
    if (std::find(names.begin(), names.end(), nameOf(line)) != names.end()) out.push_back(line);
  return out;
}

int countOf(std::string_view name) {
  return int(std::count_if(state().lines.begin(), state().lines.end(),
                           [&](const std::string& line) { return nameOf(line) == name; }));
}

void failNext(const std::string& name, int occurrence, HRESULT result) {
  state().failures.push_back({name, occurrence - 1, result});
}
void failAlways(const std::string& name, HRESULT result) { state().failures.push_back({name, -1, result}); }
int injectedFailures() { return state().injected; }
int misuses() { return state().misuses; }
long long platformCalls() { return state().calls; }

void setTime(DWORD ms) { state().now = ms; }
void advanceTime(DWORD ms) { state().now += ms; }
void setTimeStepPerRead(DWORD ms) { state().stepPerRead = ms; }

}  // namespace standin

DWORD timeGetTime() {
  const DWORD now = standin::state().now;
  standin::state().now += standin::state().stepPerRead;
  return now;
}

void Sleep(DWORD ms) {
  standin::detail::call("Sleep", ms);
  standin::advanceTime(ms);
}

// The generator of the platform's C runtime, so native runs draw the same numbers.
namespace {
unsigned long randState = 1;
}
extern "C" int rand() noexcept {
  randState = (randState * 214013u + 2531011u) & 0xFFFFFFFFu;
  return int((randState >> 16) & 0x7FFF);
}
extern "C" void srand(unsigned seed) noexcept { randState = seed; }
