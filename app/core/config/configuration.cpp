#include "brv_core/config/configuration.h"

namespace brv {

uint64_t ZonePostTrig::taille_octets() const {
  switch (ucUnite) {
    case UNITE_KO: return ullTaille * 1024;
    case UNITE_GO: return ullTaille * 1000 * 1000 * 1024;
    default: return ullTaille * 1000 * 1024;
  }
}

void ConfigurationParDefaut(Configuration& config, const std::string& cheminDefaut) {
  // A new configuration keeps the action at start and the untouched half of the duration setting.
  const uint32_t action = config.ulActionDebut;
  const auto reserveDuree = config.postTrig.reserveDuree;
  config = Configuration{};
  config.cheminFichierAcq = cheminDefaut;
  config.ulActionDebut = action;
  config.postTrig.reserveDuree = reserveDuree;
}

}  // namespace brv
