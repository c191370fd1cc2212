#pragma once
// Filling the acquisition parameter block from the document's configuration, once the start
// checks have passed.

#include <cstdint>
#include <utility>

#include <vandrel/ini_acq.h>

#include "brv_core/acquisition/start_checks.h"
#include "brv_core/config/configuration.h"

namespace brv {

// Trigger frames sent and the method the engine is given, for method `methode` and `nbDefinies`
// definitions: the method falls back to what the defined frames allow. A method above 7 sends none.
struct TramesSynchro {
  uint8_t ucNbTramesSynchro = 0;
  uint8_t ucMethodeSynchro = 0;
  friend bool operator==(const TramesSynchro&, const TramesSynchro&) = default;
};
TramesSynchro TramesEtMethode(uint8_t methode, uint8_t nbDefinies);

struct RemplissageIniAcq {
  vandrel::ParametresAcq parametres;  // vandrel::construit_ini_acq turns it into the block
  uint64_t dureePostTrigMs = 0;       // the document's post-trigger duration, 0 when none
};

RemplissageIniAcq RemplitIniAcq(const Configuration& config, const VerificationDemarrage& verif, uint8_t osMajeur,
                                uint8_t osMineur, const EspaceLibre& espaceLibre = EspaceLibreSysteme);

// Deferred-start delay in milliseconds; 0 when the deferral is off or its delay is all zero.
uint64_t DelaiDiffere(const Configuration& config);

}  // namespace brv
