#pragma once
// The thresholds of the bus timing analysis, by bus speed.

#include <cstdint>

#include "brv_core/config/configuration.h"

namespace brv {

struct ParametresTiming {
  int64_t retournementMinNs = 10'000;  // an answer sooner than this after its call is early
  int64_t silenceNs = 150'000;         // a call without a frame within this is unanswered
  int64_t tardifNs = 75'000;           // an answer later than this is late
  double tolerancePct = 10.0;          // a scan period further than this from the nominal one
};

// The defaults at a speed code (0 31.25 kbit/s, 1 1 Mbit/s, 2 2.5 Mbit/s, 3 5 Mbit/s; other codes
// as 1 Mbit/s): the late threshold is half the silence time.
ParametresTiming ParametresTimingDefaut(uint32_t enVitesse);

// Padding calls fill the end of cycles and their period says nothing of the schedule: the padding
// identifier in effect stays out of the macrocycle. -1 without padding.
int32_t IdentifiantExcluTiming(const TripletBourrage& bourrage);

}  // namespace brv
