#pragma once
// What `timing` prints: the macrocycle summary, then one row per identifier.

#include <string>

#include "brv_core/timing/bus_timing.h"

namespace brv::cli {

std::string timing_text(const ResultatTiming& r);
// One JSON object (no line break after it).
std::string timing_json(const ResultatTiming& r);
// A header line and one line per identifier; times in nanoseconds.
std::string timing_csv(const ResultatTiming& r);

}  // namespace brv::cli
