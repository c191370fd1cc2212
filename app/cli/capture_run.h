#pragma once
// A free-run capture driven through the acquisition engine, and the ground-truth lines of a
// simulated card. No terminal or option handling here: cmd_capture.cpp does that.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <simcard/network.h>
#include <simcard/scenario.h>

class CVandrel;

namespace brv::cli {

// The global --simulate option once resolved. main registers the card itself for every command
// but capture, which first applies its own bus options to the scenario.
struct Simulation {
  std::optional<simcard::Scenario> scenario;
};

struct FreeRunSettings {
  std::string path;
  uint64_t size = 0;              // zone size in bytes (the ring size when circular)
  std::optional<double> seconds;  // duration, none: until full or stopped
  bool circular = false;
};

struct FreeRunOutcome {
  unsigned long start_error = 0;  // start_acquisition's code; nothing ran when not 0
  unsigned long stop_error = 0;   // stop_acquisition's code
  uint32_t end_state = 0;         // the header's state after the stop
  uint64_t bytes = 0;             // bytes written to the zone
  bool user_stop = false;         // the stop flag ended it
};

// The header's state and zone length, as the progress shows them.
using ProgressFn = std::function<void(uint32_t state, uint64_t bytes)>;

// Starts a SANS_SYN acquisition on a connected engine, polls its header until the engine ends by
// itself or `stop` is set, then stops it. `progress` is called after every poll.
FreeRunOutcome run_free_capture(CVandrel& engine, const FreeRunSettings& settings, const std::atomic<bool>& stop,
                                const ProgressFn& progress);

// Writes one JSON line per delivered frame among the first `sent` bus frames of the truth (the card
// generates a chunk before it knows it will not send it), in the key names and number/hex formats
// of `records --json`: {"index": I, "date": D, "status": S, "hex": "0390..."}; dates count from the
// first delivered frame. Returns the number of lines, or nullopt when the file cannot be written.
std::optional<uint64_t> write_ground_truth(const std::string& path, const std::vector<simcard::TruthFrame>& truth,
                                           uint64_t sent);

// Process exit status for an end state: 0 for a normal end or a user stop, else 1.
int exit_status_for(uint32_t end_state);

}  // namespace brv::cli
