#include "brv_core/config/configuration.h"

namespace brv {

uint64_t ZonePostTrig::taille_octets() const { return ullTaille * octets_par_unite(ucUnite); }

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
