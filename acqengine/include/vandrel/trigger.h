#pragma once
// The trigger engine's data: the engine's own copies of the trigger frame definitions and the
// combination of branches that the methods build from them.

#include <cstdint>
#include <vector>

#include "vandrel/bitfield.h"

namespace vandrel {

// A trigger frame definition as the engine owns it: no condition matches every frame.
struct struct_DEF_TRAME_SYNCHRO {
  uint16_t usNbChampsBit = 0;
  std::vector<struct_CHAMP_BIT_SYNCHRO> pstChampsBit;
};

struct BrancheSynchro {
  uint8_t longueur = 0;
  const struct_DEF_TRAME_SYNCHRO* etapes[3] = {};
  const struct_DEF_TRAME_SYNCHRO* courante = nullptr;
  uint8_t index = 0;  // 1-based
};

struct CombinaisonSynchro {
  uint8_t nb_branches = 0;
  BrancheSynchro branches[3];
};

// Method names, by code.
const char* nom_methode_synchro(uint8_t methode);
// Number of trigger frames a method needs (0 for an unknown code).
uint8_t nb_trames_methode(uint8_t methode);

// Builds the branches of a method over the definitions; false when the method does not fit the
// number of frames. A method code above 7 builds nothing and succeeds (the trigger never fires).
bool construit_combinaison(uint8_t methode, uint8_t nb_trames, const struct_DEF_TRAME_SYNCHRO* defs[3],
                           CombinaisonSynchro& out);

// Whether the frame satisfies every condition of the definition.
bool trame_satisfait(const struct_DEF_TRAME_SYNCHRO& def, const uint8_t* trame, uint16_t n);

// Advances the combination with one frame; true when the trigger fires.
bool avance_combinaison(CombinaisonSynchro& c, const uint8_t* trame, uint16_t n);

// The padding filter's pattern comparison: pattern words with bit 8 set match any byte.
bool compare_motif(const uint16_t* trame, const uint16_t* motif, uint16_t nb_mots);

}  // namespace vandrel
