#pragma once
// Named fields as "name: value" lines or as one JSON object.

#include <string>
#include <vector>

#include "brv_core/config/config_fields.h"

namespace brv::cli {

std::string fields_text(const std::vector<ChampConfiguration>& champs, const std::string& indent = "");
std::string fields_json(const std::vector<ChampConfiguration>& champs);

}  // namespace brv::cli
