#pragma once
// What `timing --json` and `timing --csv` print (the text form is the export's timing section).

#include <string>

#include "brv_core/timing/bus_timing.h"

namespace brv::cli {

// One JSON object (no line break after it).
std::string timing_json(const ResultatTiming& r);
// A header line and one line per identifier; times in nanoseconds.
std::string timing_csv(const ResultatTiming& r);

}  // namespace brv::cli
