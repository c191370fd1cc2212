#pragma once
// The columns of the frames list: their headers, width keys and default widths, and which of the
// three channel columns a capture shows. The widths of hidden columns are remembered so that they
// come back as the user left them.

#include <array>
#include <cstddef>

namespace brv {

// In display order. The channel, TxErr1 and TxErr2 columns are shown only for the channels the
// capture monitors.
enum ColonneListe : size_t {
  COL_MARQUE = 0,
  COL_DATE_ABS,
  COL_DATE_REL,
  COL_INTER_TRAME,
  COL_TRAFIC,
  COL_VOIE,
  COL_ERR_TX1,
  COL_ERR_TX2,
  COL_DONNEES,
  COL_FIPIO,
  NB_COLONNES_LISTE
};

struct DefColonneListe {
  const char* entete;  // header text
  const char* cle;     // settings key of its width, section "LVAcq"
  int largeurDefaut;   // pixels
};

inline constexpr const char* kSectionLargeursListe = "LVAcq";

// Indexed by ColonneListe.
const std::array<DefColonneListe, NB_COLONNES_LISTE>& ColonnesListe();

// Which optional columns are shown, and the widths of every column (a hidden column keeps the
// width it had when it was last shown).
class CColonnesListe {
 public:
  CColonnesListe();

  // The channel columns for a capture monitoring these channels (mono-medium: channel 1 only;
  // bi-medium: both; standard probe: none). Columns are removed or inserted as the list's rule says.
  void MetAJourVoies(bool voie1, bool voie2);

  bool Visible(ColonneListe c) const { return visibles_[c]; }
  int Largeur(ColonneListe c) const { return largeurs_[c]; }
  // The user resized a shown column; ignored for a hidden one and for widths below 0.
  void DefinitLargeur(ColonneListe c, int largeur);
  // A stored width (settings), applied whether the column is shown or not.
  void RestaureLargeur(ColonneListe c, int largeur);

 private:
  std::array<bool, NB_COLONNES_LISTE> visibles_{};
  std::array<int, NB_COLONNES_LISTE> largeurs_{};
};

}  // namespace brv
