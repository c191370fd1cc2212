#pragma once
// Every field of a configuration by name, for listings (CLI, reports) and comparisons.

#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/config/configuration.h"

namespace brv {

struct ChampConfiguration {
  std::string nom;
  std::string valeur;
  bool numerique = false;  // valeur is a decimal number
};

std::vector<ChampConfiguration> ChampsConfiguration(const Configuration& config, bool avecExtras);

// Text of a definition name (up to its NUL).
std::string NomDefinition(const DEFINITION_TRAME& d);
void DefinitNom(DEFINITION_TRAME& d, const std::string& nom);

}  // namespace brv
