#pragma once
// Choosing the probe card to drive: the behaviour of the card selection dialog without its
// window, and the same rules applied without a user for batch work.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <kestrin/com_info.h>

#include "brv_core/document/doc_reporter.h"

namespace brv {

// USB description that marks a device as one of our cards.
inline constexpr const char* kNomPeripheriqueCarte = "Brenvale USB";
inline constexpr const char* kTexteAucuneCarteActive = "None active card";
inline constexpr const char* kTexteAucuneCarteLibre = "No available card !";
inline constexpr const char* kTexteAucuneCarteChoisie = "None selected card";
inline constexpr const char* kTexteCarteOccupee = "No device information\n-----\nThe device is currently in used";

using ListeCartes = std::vector<std::shared_ptr<CUsbComInfo>>;

// The cards present now (exact match of the USB description).
ListeCartes CartesPresentes();

// How the dialog ended; Abandon keeps the dialog result 3 of "no card at all".
enum class ResultatSelection : int { EnCours = 0, Ok = 1, Annule = 2, Abandon = 3 };

// The dialog's state and handlers. The window shows Entrees(), the characteristics and the
// warning as they stand after each handler, and forwards the user's actions.
class CAttachToCard {
 public:
  CAttachToCard(ListeCartes cartes, IRapportDocument& rapport);

  // Abandon when there is no card, Ok when the only card is free, else EnCours.
  ResultatSelection OnInitDialog();
  // The drop-down list's selection changed to `position` (-1: none).
  void OnSelectionChange(int position);
  // True when the card was stored and the dialog closes.
  bool OnBnClickedOk();
  void OnCancel() { resultat_ = ResultatSelection::Annule; }

  ResultatSelection Resultat() const { return resultat_; }
  // The chosen card's device-list index, once OK succeeded.
  std::optional<uint16_t> IndexCarteChoisie() const { return indexChoisi_; }

  const std::string& stDeviceName() const { return stDeviceName_; }
  size_t m_ActiveDevicesCount() const { return cartes_.size(); }
  bool AvertissementVisible() const { return avertissement_; }
  const std::vector<std::string>& Entrees() const { return entrees_; }
  int Selection() const { return selection_; }
  bool OkActif() const { return okActif_; }

  // Characteristics of the selected card; InfoOccupeeVisible() replaces them for a card in use.
  bool CaracteristiquesVisibles() const { return caracteristiques_; }
  bool InfoOccupeeVisible() const { return infoOccupee_; }
  const std::string& Nom() const { return nom_; }
  const std::string& Emplacement() const { return emplacement_; }
  const std::string& NumeroSerie() const { return numeroSerie_; }

 private:
  ListeCartes cartes_;
  IRapportDocument& rapport_;
  std::string stDeviceName_;
  ResultatSelection resultat_ = ResultatSelection::EnCours;
  std::optional<uint16_t> indexChoisi_;
  bool avertissement_ = false;
  std::vector<std::string> entrees_;
  int selection_ = -1;
  bool okActif_ = false;
  bool caracteristiques_ = true;
  bool infoOccupee_ = false;
  std::string nom_ = "0";
  std::string emplacement_ = "0";
  std::string numeroSerie_ = "0";
};

// The same rules without a user: the only card, or the first free one. Reports "None active card"
// or "No available card !" (error icon) and returns nothing when no card can be driven.
std::optional<uint16_t> ChoisitCarteAuto(const ListeCartes& cartes, IRapportDocument& rapport);

}  // namespace brv
