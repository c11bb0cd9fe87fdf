#include "host_queries.h"

#include <cstring>

int queryPlayPosition(const VisModule& module) { return int(SendMessageA(module.hwndParent, WM_USER, 0, 105)); }

int queryTrackLengthSeconds(const VisModule& module) {
  return int(SendMessageA(module.hwndParent, WM_USER, 1, 105));
}

void queryCurrentTitle(const VisModule& module, char* buffer, int size) {
  const LRESULT index = SendMessageA(module.hwndParent, WM_USER, 0, 125);
  const char* title = reinterpret_cast<const char*>(SendMessageA(module.hwndParent, WM_USER, WPARAM(index), 212));
  buffer[0] = '\0';
  if (title && size > 0) {
    std::strncpy(buffer, title, size_t(size - 1));
    buffer[size - 1] = '\0';
  }
}
