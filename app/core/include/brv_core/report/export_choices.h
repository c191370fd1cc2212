#pragma once
// The rules of the "Export to" dialog: what it offers for the capture and the desktop, which of
// its controls can be used, the choices as kept in the "ExportTxt" settings, and what the writer
// is asked for once the dialog is accepted.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "brv_core/report/text_export.h"

namespace brv {

// The desktop programs that can show an export.
struct ProgrammesExport {
  bool traitementTexte = false;  // the desktop's handler for text files
  bool tableur = false;          // a spreadsheet program
};

// What the capture holds for the frames choices.
enum EtatTramesExport : int { ETAT_SANS_TRAMES = 0, ETAT_AVEC_SELECTION = 1, ETAT_SANS_SELECTION = 2 };

struct DisponibiliteExport {
  ProgrammesExport programmes;
  bool reseau = false;  // a network configuration was computed
  bool debits = false;  // data rates were computed
  int etatTrames = ETAT_SANS_TRAMES;
};

// As the writer sees the source: the sections it would write something for.
DisponibiliteExport Disponibilite(const SourceExport& source, bool selection, const ProgrammesExport& programmes);

// The saved choices as the dialog opens with them: what cannot be had is unchecked, "None" is
// forced without frames, and "Selection" becomes "All" without a selection.
PARAM_EXPORT AjusteExport(PARAM_EXPORT p, const DisponibiliteExport& d);

// Which controls can be used while these choices are shown.
struct ControlesExport {
  bool ouvrirTraitementTexte = false;
  bool ouvrirTableur = false;
  bool utiliseSeparateur = false;
  bool separateur = false;  // the separator's text
  bool reseau = false;
  bool debits = false;
  bool toutes = false;
  bool selection = false;
  bool aucune = false;
  bool contenu = false;  // raw or interpreted
};
ControlesExport Controles(const PARAM_EXPORT& p, const DisponibiliteExport& d);

// What is kept after OK: the choices made, except where the dialog could not offer a choice
// (a section this capture lacks, a program not installed), which keeps its saved value.
PARAM_EXPORT ExportAMemoriser(const PARAM_EXPORT& choisi, const PARAM_EXPORT& memorise, const DisponibiliteExport& d);

// The separator as typed: a tabulation shows as an empty text, and an empty text is a tabulation.
std::string SaisieDeSeparateur(const std::string& separateur);
std::string SeparateurDeSaisie(std::string_view saisie);
inline constexpr size_t kLgMaxSeparateur = 16;

// The "ExportTxt" settings group: "FileFormat", "Separ", "Elements", "Frames". A missing or
// unreadable key gives its defaults; the others are kept.
inline constexpr const char* kGroupeReglagesExport = "ExportTxt";
using ReglagesExport = std::map<std::string, std::string>;
ReglagesExport EcritReglagesExport(const PARAM_EXPORT& p);
PARAM_EXPORT LitReglagesExport(const ReglagesExport& r);

// The writer's request: the options and the rows, all of them or the first to the last selected.
struct DemandeExport {
  PARAM_EXPORT p;
  uint64_t premiere = 0;
  uint64_t derniere = 0;
};
DemandeExport DemandeEcriture(const PARAM_EXPORT& choisi, const DisponibiliteExport& d, uint64_t nbLignes,
                              std::optional<std::pair<uint64_t, uint64_t>> selection);

}  // namespace brv
