// libFuzzer target: the title and time texts of a whole run, with arbitrary titles, host replies
// and positions. The input is the title persistence, title fade, effect length and fade length
// (four 32-bit numbers), then records of a frame each: the position (ms) and track length (s) the
// host answers (32-bit each), the playlist index (a byte) and a title (a length byte and the
// text; a length of 255 is a host that answers with no text). Every record is one Render after
// 17 ms; the run then quits, and nothing may be left behind.
#include <cstdint>
#include <cstring>
#include <string>

#include "host_queries.h"
#include "plugin_state.h"

namespace {

struct Host {
  int position = 0;
  int lengthSeconds = 0;
  int index = 0;
  bool noTitle = false;
  std::string title;
} host;

LRESULT answer(UINT message, WPARAM wp, LPARAM lp) {
  if (message != WM_USER) return 0;
  if (lp == 105) return wp == 0 ? host.position : host.lengthSeconds;
  if (lp == 125) return host.index;
  if (lp == 212) return host.noTitle ? 0 : reinterpret_cast<LRESULT>(host.title.c_str());
  return 0;
}

int32_t take32(const uint8_t*& p, const uint8_t* end) {
  uint32_t v = 0;
  for (int i = 0; i < 4 && p < end; ++i) v |= uint32_t(*p++) << (8 * i);
  return int32_t(v);
}

// The time text: "MM:SS.mmm / MM:SS.mmm" within its buffer, with "- " in front when the
// position's millisecond part is negative.
void checkTimeText(int position, int length) {
  char text[128];
  std::memset(text, 0x55, sizeof text);
  const int n = formatPlayTime(position, length, text);
  if (n < 0 || n >= 128 || std::strlen(text) != size_t(n)) __builtin_trap();
  const char* slash = std::strstr(text, " / ");
  if (!slash || (position % 1000 < 0) != (std::strncmp(text, "- ", 2) == 0) || std::strchr(text, '%')) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* p = data;
  const uint8_t* end = data + size;
  standin::reset();
  resetPluginState();
  standin::setTracing(false);
  standin::setModulePath("Z:\\nowhere\\vis_vexilumarine.dll");  // no plugin.ini: the defaults
  addPluginBitmaps();
  host = Host{};
  host.title = "Artist - Song";
  visModule.hwndParent = standin::createHostWindow(answer);
  VisModule* module = getModule(0);
  if (module->Init(module) != 0) __builtin_trap();
  settings.titlePersistenceMs = take32(p, end);
  settings.titleFadeMs = take32(p, end);
  settings.effectLengthMs = take32(p, end);
  settings.fadeLengthMs = take32(p, end);
  settings.showFps = 1;

  while (p < end) {
    host.position = take32(p, end);
    host.lengthSeconds = take32(p, end);
    host.index = p < end ? *p++ : 0;
    const size_t length = p < end ? *p++ : 0;
    host.noTitle = length == 255;
    const size_t n = host.noTitle ? 0 : std::min<size_t>(length, size_t(end - p));
    host.title.assign(reinterpret_cast<const char*>(p), n);
    p += n;
    const int lastPosition = composer.playPosition;
    standin::advanceTime(17);
    if (module->Render(module) != 0) __builtin_trap();
    // The title is the host's text up to its first NUL, cut to the buffer.
    const std::string shown = host.noTitle ? "" : host.title.substr(0, host.title.find('\0')).substr(0, 127);
    if (composer.frameCount == 1 || host.position < lastPosition)
      if (shown != composer.currentTitle) __builtin_trap();
    checkTimeText(host.position, int(composer.trackLength));
    bool redraw = false;
    const int grey = titleGrey(host.position, composer.trackLength, &redraw);
    if (grey < -1 || grey > 255) __builtin_trap();
  }
  module->Quit(module);
  if (standin::liveComObjects() != 0 || standin::liveGdiObjects() != 0 || standin::misuses() != 0) __builtin_trap();
  return 0;
}
