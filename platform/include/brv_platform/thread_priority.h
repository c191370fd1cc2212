#pragma once
// Worker threads that must keep up with the bus ask for a higher priority; a refusal is
// reported to the caller, which traces it and goes on.

namespace brv::platform {

// Raises the calling thread a little above the default niceness. Returns 0 or an errno value.
int raise_thread_priority();

}  // namespace brv::platform
