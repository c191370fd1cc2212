// The trigger engine's members of CVandrel, over the shared condition evaluation.

#include "engine_state.h"
#include "vandrel/vandrel.h"

using namespace vandrel;

uint8_t CVandrel::create_syn_combinations() {
  VandrelState& s = *pldi;
  const struct_DEF_TRAME_SYNCHRO* defs[3] = {s.stInerIniAcqInfoSyn[0].get(), s.stInerIniAcqInfoSyn[1].get(),
                                             s.stInerIniAcqInfoSyn[2].get()};
  return construit_combinaison(s.stIniAcq.ucMethodeSynchro, s.stIniAcq.ucNbTramesSynchro, defs, s.combinaison) ? 1 : 0;
}

bool CVandrel::readAndCmpNBitAtPosBit(const struct_DEF_TRAME_SYNCHRO* def, const uint8_t* frame, uint16_t n) {
  return def == nullptr || trame_satisfait(*def, frame, n);
}

bool CVandrel::compare_frames(const uint16_t* frame, uint16_t /*n*/, const uint16_t* pattern, uint16_t count) {
  return compare_motif(frame, pattern, count);
}
