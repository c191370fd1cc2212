#include "shell/commands.h"

namespace brv::ui {

const std::array<DefCommande, kNbCommandes>& TableCommandes() {
  using C = Commande;
  static const std::array<DefCommande, kNbCommandes> table{{
      {C::NouvelleConfiguration, "&File", "New", "Configuration", "Shift+N", false},
      {C::OuvrirAcquisition, "&File", "Open", "Acquisition...", "Ctrl+O", false},
      {C::OuvrirConfiguration, "&File", "Open", "Configuration...", "Shift+O", false},
      {C::OuvrirDonneesUtilisateur, "&File", "Open", "User data...", nullptr, false},
      {C::EnregistrerAcquisition, "&File", "Save", "Acquisition", "Ctrl+S", false},
      {C::EnregistrerConfiguration, "&File", "Save", "Configuration", "Shift+S", false},
      {C::EnregistrerSousAcquisition, "&File", "Save As", "Acquisition...", nullptr, false},
      {C::EnregistrerSousConfiguration, "&File", "Save As", "Configuration...", nullptr, false},
      {C::Exporter, "&File", nullptr, "Export to...", "Ctrl+E", false},
      {C::Comparer, "&File", nullptr, "Compare with...", nullptr, false},
      {C::Quitter, "&File", nullptr, "&Exit", "Ctrl+Q", false},
      {C::ConfigurationAcquisition, "&Configuration", nullptr, "Acquisition...", nullptr, false},
      {C::ConfigurationAffichage, "&Configuration", nullptr, "Display...", nullptr, false},
      {C::AcquisitionLibre, "&Acquisition", nullptr, "Free run", "Ctrl+R", false},
      {C::AcquisitionDeclenchee, "&Acquisition", nullptr, "Triggered", "Ctrl+T", false},
      {C::Statistiques, "&Acquisition", nullptr, "Statistics...", nullptr, false},
      {C::DetailTrame, "&Acquisition", nullptr, "Frame detail...", nullptr, false},
      {C::Goto, "&Acquisition", nullptr, "Goto...", "Ctrl+F", false},
      {C::BarreOutils, "&Display", nullptr, "Toolbar", nullptr, true},
      {C::BarreEtat, "&Display", nullptr, "Status Bar", nullptr, true},
      {C::VueReseau, "&Display", nullptr, "Network configuration", nullptr, true},
      {C::VueErreurs, "&Display", nullptr, "Error counters", nullptr, true},
      {C::VueGrapheDebits, "&Display", nullptr, "Data rate chart", nullptr, true},
      {C::VueCompteursDebits, "&Display", nullptr, "Data rate meters", nullptr, true},
      {C::Timing, "&Display", nullptr, "Timing...", nullptr, false},
      {C::Aide, "&Help", nullptr, "Help Topics", "F1", false},
      {C::APropos, "&Help", nullptr, "About Brenvale...", nullptr, false},
  }};
  return table;
}

namespace {
constexpr const char* kHorsLigne = "No card is driven: the program was started with --offline.";
constexpr const char* kPendantTache = "Not while an acquisition runs or a capture is being read.";
constexpr const char* kSansCapture = "No acquisition is open.";
constexpr const char* kSansLigne = "The list holds no frame.";
constexpr const char* kSansSelection = "Select a frame in the list first.";
}  // namespace

EtatCommande EtatDe(Commande c, const EtatProgramme& e) {
  using C = Commande;
  switch (c) {
    case C::NouvelleConfiguration:
    case C::OuvrirAcquisition:
    case C::OuvrirConfiguration:
    case C::OuvrirDonneesUtilisateur:
    case C::EnregistrerConfiguration:
    case C::EnregistrerSousConfiguration:
      if (e.tacheEnCours) return {false, kPendantTache};
      return {};
    case C::EnregistrerAcquisition:
    case C::EnregistrerSousAcquisition:
    case C::Comparer:
    case C::Timing:
    case C::Exporter:
      if (!e.captureOuverte) return {false, kSansCapture};
      if (e.tacheEnCours) return {false, kPendantTache};
      return {};
    case C::Goto:
      if (!e.lignes) return {false, kSansLigne};
      if (e.tacheEnCours) return {false, kPendantTache};
      return {};
    case C::DetailTrame:
      if (!e.selection) return {false, kSansSelection};
      return {};
    case C::AcquisitionLibre:
    case C::AcquisitionDeclenchee:
      if (e.horsLigne) return {false, kHorsLigne};
      if (e.tacheEnCours) return {false, kPendantTache};
      return {};
    case C::Statistiques:
      if (!e.figures) return {false, kSansCapture};
      return {};
    case C::ConfigurationAcquisition:
    case C::ConfigurationAffichage:
      // Shown read-only while a task runs.
      return {};
    case C::VueReseau:
    case C::VueErreurs:
    case C::VueGrapheDebits:
    case C::VueCompteursDebits:
    case C::Quitter:
    case C::BarreOutils:
    case C::BarreEtat:
    case C::Aide:
    case C::APropos:
    case C::Nombre:
      break;
  }
  return {};
}

}  // namespace brv::ui
