#include "capture_terminal.h"

namespace brv::cli {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_stop_signal(int) { g_stop.store(true); }

}  // namespace brv::cli
