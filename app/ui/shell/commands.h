#pragma once
// The program's commands: where each sits in the menus, its text and key, and when it can run.
// Plain data and rules, so that the menu bar, the toolbar and the tests share one table.

#include <array>
#include <cstddef>

namespace brv::ui {

enum class Commande : size_t {
  NouvelleConfiguration,
  OuvrirAcquisition,
  OuvrirConfiguration,
  OuvrirDonneesUtilisateur,
  EnregistrerAcquisition,
  EnregistrerConfiguration,
  EnregistrerSousAcquisition,
  EnregistrerSousConfiguration,
  Exporter,
  Comparer,
  Quitter,
  ConfigurationAcquisition,
  ConfigurationAffichage,
  AcquisitionLibre,
  AcquisitionDeclenchee,
  Statistiques,
  DetailTrame,
  Goto,
  BarreOutils,
  BarreEtat,
  VueReseau,
  VueErreurs,
  VueGrapheDebits,
  VueCompteursDebits,
  Timing,
  Aide,
  APropos,
  Nombre
};
inline constexpr size_t kNbCommandes = static_cast<size_t>(Commande::Nombre);

struct DefCommande {
  Commande commande;
  const char* menu;      // "&File"
  const char* sousMenu;  // "Open", or nullptr for an item of the menu itself
  const char* texte;
  const char* raccourci;  // QKeySequence text, or nullptr
  bool cochable;          // shows and hides something
};

// In menu order.
const std::array<DefCommande, kNbCommandes>& TableCommandes();

// What the program is doing, as far as the commands care.
struct EtatProgramme {
  bool horsLigne = false;       // started without a card
  bool captureOuverte = false;  // an acquisition file is shown
  bool lignes = false;          // the list holds rows
  bool selection = false;       // a row is selected
  bool tacheEnCours = false;    // a re-calculation or an acquisition runs
  bool figures = false;         // statistics exist for the capture
};

struct EtatCommande {
  bool actif = true;
  const char* pourquoi = nullptr;  // the tooltip of a disabled command, when it says why
};

EtatCommande EtatDe(Commande c, const EtatProgramme& etat);

}  // namespace brv::ui
