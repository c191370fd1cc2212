#include "brv_core/listing/columns.h"

namespace brv {

const std::array<DefColonneListe, NB_COLONNES_LISTE>& ColonnesListe() {
  static const std::array<DefColonneListe, NB_COLONNES_LISTE> colonnes{{
      {" ", "LgColIconeSignal", 20},
      {"Absolute date", "LgColDateAbs", 150},
      {"Relative date", "LgColDateRel", 75},
      {"Interframe", "LgColInterTr", 75},
      {"Traffic interrupted", "LgColTraficErr", 50},
      {"Channel", "LgColMedium", 50},
      {"TxErr1", "LgColTxErr1", 50},
      {"TxErr2", "LgColTxErr2", 50},
      {"Control and data", "LgColDonnees", 400},
      {"FIPIO-FIPWAY", "LgColFipIO", 500},
  }};
  return colonnes;
}

CColonnesListe::CColonnesListe() {
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) {
    largeurs_[c] = ColonnesListe()[c].largeurDefaut;
    visibles_[c] = c != COL_VOIE && c != COL_ERR_TX1 && c != COL_ERR_TX2;
  }
}

void CColonnesListe::MetAJourVoies(bool voie1, bool voie2) {
  // Hiding keeps the width in largeurs_, which is what brings it back on the next insertion.
  bool retiree = false;
  const auto retire = [&](ColonneListe c) {
    if (visibles_[c]) {
      visibles_[c] = false;
      retiree = true;
    }
  };
  if (!voie2) {
    retire(COL_ERR_TX2);
    retire(COL_VOIE);
  }
  if (!voie1) retire(COL_ERR_TX1);
  // Columns are only ever added by an update that removed none.
  if (retiree) return;
  if (voie2) visibles_[COL_VOIE] = true;
  if (voie1) visibles_[COL_ERR_TX1] = true;
  if (voie2) visibles_[COL_ERR_TX2] = true;
}

void CColonnesListe::DefinitLargeur(ColonneListe c, int largeur) {
  if (c < NB_COLONNES_LISTE && visibles_[c] && largeur >= 0) largeurs_[c] = largeur;
}

void CColonnesListe::RestaureLargeur(ColonneListe c, int largeur) {
  if (c < NB_COLONNES_LISTE && largeur >= 0) largeurs_[c] = largeur;
}

}  // namespace brv
