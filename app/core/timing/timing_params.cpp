#include "brv_core/timing/timing_params.h"

namespace brv {

ParametresTiming ParametresTimingDefaut(uint32_t enVitesse) {
  ParametresTiming p;
  switch (enVitesse) {
    case 0: p.retournementMinNs = 460'000; p.silenceNs = 4'096'000; break;
    case 2: p.retournementMinNs = 5'000; p.silenceNs = 96'000; break;
    // Half the 2.5 Mbit/s times: the bit time halves.
    case 3: p.retournementMinNs = 2'500; p.silenceNs = 48'000; break;
    default: p.retournementMinNs = 10'000; p.silenceNs = 150'000; break;
  }
  p.tardifNs = p.silenceNs / 2;
  return p;
}

int32_t IdentifiantExcluTiming(const TripletBourrage& bourrage) {
  return bourrage.bActif ? static_cast<int32_t>(bourrage.ulIdentifiant & 0xFFFF) : -1;
}

}  // namespace brv
