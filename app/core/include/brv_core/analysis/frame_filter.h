#pragma once
// Display filter and event marks: which frames become rows of the frames list and which are
// events. Conditions are evaluated by the same code as the trigger engine's.

#include <cstdint>
#include <vector>

#include <vandrel/bitfield.h>

#include "brv_core/config/frame_definition.h"

namespace brv {

// Filter modes.
enum ModeFiltre : uint32_t { FILTRE_SELECTION = 0, FILTRE_EXCLUSION = 1 };

// The engine's form of a condition: width from the length, floats for the float formats, and for
// "~|" every bit above the field set in the reference.
vandrel::struct_CHAMP_BIT_SYNCHRO ChampSynchroDe(const CHAMP_BITS& champ);

// Every condition holds (a definition without conditions matches every frame).
bool CorrespondDefinition(uint16_t len, const uint8_t* octets, const DEFINITION_TRAME& def);

// Any in-use definition of the event list matches.
bool TestEvenement(uint16_t len, const uint8_t* octets, const TableDefinitions& evenements);

// The in-use definitions of a list with their conditions in the engine's form, converted once
// for a whole run rather than for every frame.
class CListeCompilee {
 public:
  explicit CListeCompilee(const TableDefinitions& liste);
  // Position (among the in-use definitions) of the first that matches, or -1.
  int Premiere(uint16_t len, const uint8_t* octets) const;
  bool NePasDissocier(int i) const { return defs_[static_cast<size_t>(i)].dissocier; }
  bool Vide() const { return defs_.empty(); }

 private:
  struct Definition {
    std::vector<vandrel::struct_CHAMP_BIT_SYNCHRO> champs;
    bool dissocier = false;
  };
  std::vector<Definition> defs_;
};

// Carried from one frame to the next: a shown or hidden frame whose answers follow its fate.
struct EtatAssociation {
  bool enAttente = false;
  uint8_t controle = 0;
};

// Whether a frame continues the transaction opened by the pending control byte; suivant receives
// the control byte that stays pending (0 when the transaction is complete).
bool ContinueTransaction(uint8_t enAttente, uint8_t controle, uint8_t& suivant);

struct ResultatFiltre {
  bool affichee = true;
  bool parAssociation = false;
};

class CFiltreAffichage {
 public:
  CFiltreAffichage(const TableDefinitions& filtre, bool utilisable, uint32_t mode)
      : filtre_(filtre), utilisable_(utilisable), mode_(mode) {}

  ResultatFiltre Teste(uint16_t len, const uint8_t* octets);
  void Reinitialise() { etat_ = {}; }
  const EtatAssociation& Etat() const { return etat_; }

 private:
  CListeCompilee filtre_;
  bool utilisable_;
  uint32_t mode_;
  EtatAssociation etat_;
};

}  // namespace brv
