#pragma once
// config set: KEY=VALUE settings, KEY being a field name as `config show --json` prints it. Each
// value goes through the rules of the configuration page that owns it.

#include <string>
#include <vector>

#include "brv_core/config/configuration.h"

namespace brv::cli {

struct RefusReglage {
  std::string message;
  std::string detail;  // the settings concerned, or empty
};

// Applies every setting to config, or none: false with the refusal. On success, `stored` gets
// one "KEY: VALUE" line per setting as the configuration now holds it.
bool applique_reglages(const std::vector<std::string>& reglages, Configuration& config, RefusReglage& refus,
                       std::string& stored);

}  // namespace brv::cli
