#pragma once
// The simulated card of a run and the ground-truth lines it leaves. No terminal or option
// handling here: cmd_capture.cpp does that.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <simcard/network.h>
#include <simcard/scenario.h>

namespace brv::cli {

// The global --simulate option once resolved. main registers the card itself for every command
// but capture, which first applies its own bus options to the scenario.
struct Simulation {
  std::optional<simcard::Scenario> scenario;
  std::string source;  // the preset name or the scenario file given
};

// Writes one JSON line per delivered frame among the first `sent` bus frames of the truth (the card
// generates a chunk before it knows it will not send it), in the key names and number/hex formats
// of `records --json`: {"index": I, "date": D, "status": S, "hex": "0390..."}; dates count from the
// first delivered frame. Written whole or not at all. Returns the number of lines, or nullopt with
// the system's words in error when the file cannot be written.
std::optional<uint64_t> write_ground_truth(const std::string& path, const std::vector<simcard::TruthFrame>& truth,
                                           uint64_t sent, std::string& error);

}  // namespace brv::cli
