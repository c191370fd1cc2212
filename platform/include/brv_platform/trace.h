#pragma once
// Diagnostic traces: the stand-in for the debugger output channel.
// Silent unless BRENVALE_TRACE=1; a test may install a sink to read the lines.

#include <functional>
#include <string_view>

namespace brv::platform {

using TraceSink = std::function<void(std::string_view)>;

// Sends one diagnostic line to the installed sink, else to stderr when enabled.
void trace(std::string_view text);

// Installs a sink that receives every line whatever BRENVALE_TRACE says;
// an empty sink restores the default. Returns the previous sink.
TraceSink set_trace_sink(TraceSink sink);

// Whether a line sent now would go anywhere (lets callers skip formatting).
bool trace_enabled();

}  // namespace brv::platform
