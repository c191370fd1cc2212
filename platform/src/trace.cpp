#include "brv_platform/trace.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace brv::platform {
namespace {

std::mutex g_mutex;
TraceSink g_sink;

bool env_enabled() {
  static const bool enabled = [] {
    const char* v = std::getenv("BRENVALE_TRACE");
    return v != nullptr && std::strcmp(v, "1") == 0;
  }();
  return enabled;
}

}  // namespace

void trace(std::string_view text) {
  std::lock_guard lock(g_mutex);
  if (g_sink) {
    g_sink(text);
    return;
  }
  if (!env_enabled()) return;
  std::fwrite(text.data(), 1, text.size(), stderr);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
}

TraceSink set_trace_sink(TraceSink sink) {
  std::lock_guard lock(g_mutex);
  TraceSink previous = std::move(g_sink);
  g_sink = std::move(sink);
  return previous;
}

bool trace_enabled() {
  std::lock_guard lock(g_mutex);
  return g_sink || env_enabled();
}

}  // namespace brv::platform
