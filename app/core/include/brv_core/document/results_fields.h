#pragma once
// The stored results of an acquisition by name, for listings.

#include <vector>

#include "brv_core/config/config_fields.h"
#include "brv_core/document/acq_results.h"

namespace brv {

// Short names of the error counters, in stored order.
extern const char* const kNomsCompteursErreur[kNbCompteursErreur];

std::vector<ChampConfiguration> ChampsResultats(const AcqResults& r);

}  // namespace brv
