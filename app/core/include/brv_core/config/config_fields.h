#pragma once
// Every field of a configuration by name, for listings (CLI, reports) and comparisons.

#include <cstdint>
#include <string>
#include <string_view>
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
// Sets the name, cut to the 50 bytes the record holds without splitting a UTF-8 character.
void DefinitNom(DEFINITION_TRAME& d, const std::string& nom);
// The longest start of a name within max bytes that does not split a UTF-8 character.
std::string DebutNom(std::string_view nom, size_t max);

}  // namespace brv
