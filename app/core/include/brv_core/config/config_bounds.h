#pragma once
// Values read from a configuration that drive a loop, an allocation or a step are brought back
// into their plausible range before use: a damaged or hostile file must not make the work explode.

#include <string>
#include <vector>

#include "brv_core/config/configuration.h"

namespace brv {

// Replaces each implausible field by its default (or the entry limit the pages apply) and
// returns one information line per field replaced.
std::vector<std::string> BorneConfiguration(Configuration& config);

}  // namespace brv
