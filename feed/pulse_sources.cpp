#include "pulse_sources.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <algorithm>

namespace {

struct SourceQuery {
  std::vector<SoundSource>* sources;
  bool done = false;
};

void addSource(pa_context*, const pa_source_info* info, int last, void* userdata) {
  auto& query = *static_cast<SourceQuery*>(userdata);
  if (last) {
    query.done = true;
    return;
  }
  query.sources->push_back({info->name, info->description ? info->description : ""});
}

// Runs the main loop until the context is ready (true) or has failed (false).
bool connectContext(pa_mainloop* loop, pa_context* context) {
  if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;
  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) return true;
    if (!PA_CONTEXT_IS_GOOD(state)) return false;
    if (pa_mainloop_iterate(loop, 1, nullptr) < 0) return false;
  }
}

}  // namespace

bool listSoundSources(std::vector<SoundSource>& sources, std::string& error) {
  pa_mainloop* loop = pa_mainloop_new();
  pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "quorbel-feed");
  bool listed = false;
  if (connectContext(loop, context)) {
    SourceQuery query{&sources};
    pa_operation* operation = pa_context_get_source_info_list(context, addSource, &query);
    while (operation && !query.done && pa_mainloop_iterate(loop, 1, nullptr) >= 0) {
    }
    if (operation) pa_operation_unref(operation);
    listed = query.done;
  }
  if (!listed) error = pa_strerror(pa_context_errno(context));
  pa_context_disconnect(context);
  pa_context_unref(context);
  pa_mainloop_free(loop);
  return listed;
}

std::string formatSoundSources(const std::vector<SoundSource>& sources) {
  size_t width = 0;
  for (const SoundSource& source : sources) width = std::max(width, source.name.size());
  std::string text;
  for (const SoundSource& source : sources) {
    text += "  " + source.name + std::string(width - source.name.size() + 2, ' ') + source.description + "\n";
  }
  return text;
}
