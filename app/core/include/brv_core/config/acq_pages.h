#pragma once
// Rules of the acquisition configuration pages: the limits applied while typing, the check of each
// page when it is left (what it stores, or its message), the pre-trigger equivalent size, and the
// write-back of a confirmed sheet. The dialog only shows and collects; the command line applies the
// same checks to its changes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "brv_core/config/configuration.h"

namespace brv {

inline constexpr uint64_t kTaillePreTrigMin = 2780;
inline constexpr uint32_t kPourcentagePreTrigMax = 1000;

inline constexpr const char* kMsgCheminAcqInvalide =
    "The acquisition file path or name is not valid.\nPlease, enter another one.";
inline constexpr const char* kMsgLongueurPostTrig = "Please enter the length of the post-trig zone.";
inline constexpr const char* kMsgDureePostTrig = "Please enter the duration of the post-trig zone.";
inline constexpr const char* kMsgLongueurPreTrig = "Please define the length of the pre-trig zone.";
inline constexpr const char* kMsgDureeDiffere = "Please define the duration of the deferred starting.";

// A decimal number as a field holds it: 0 when missing or unreadable, saturated beyond 64 bits.
uint64_t NombreSaisi(std::string_view texte);

// Fields with a limit applied while typing.
enum class ChampBorne { Jours, Heures, Minutes, Secondes, Pourcentage, NbTrames };

// The text a field shows once its limit is applied: a value above the limit becomes the limit (and
// a percentage below 1 becomes 1); an empty or partly typed text is left alone.
std::string BorneSaisie(ChampBorne champ, std::string_view texte);

// A path the acquisition can be written to, with ".dat" added when its file name has no
// extension; nullopt when it is not a valid path (empty, a folder, a control character, a name
// too long).
std::optional<std::string> CompleteCheminAcq(std::string_view chemin);

// A duration as the four fields of a page hold it (empty counts as 0).
struct SaisieDuree {
  std::string jours, heures, minutes, secondes;
  DureeJHMS Valeur() const;
  bool Nulle() const { return Valeur().en_secondes() == 0; }
};
SaisieDuree SaisieDe(const DureeJHMS& d);

// The pre-trigger percentage is entered from 1 to 1000 and kept in two bytes of the zone block: the
// stored byte and the first reserved byte above it, which an older reader leaves at 0.
uint32_t PourcentagePreTrig(const ZonePreTrig& z);
void DefinitPourcentagePreTrig(ZonePreTrig& z, uint32_t pourcentage);

// Bytes of pre-trigger history for n frames, and for a duration of bus time, before the minimum.
uint64_t TailleTramesPreTrig(uint64_t nbTrames);
uint64_t TailleDureePreTrig(uint64_t secondes);
// The equivalent size of the pre-trigger choice against the post-trigger zone, raised to the
// minimum; nullopt when nothing can be computed (no method, or a percentage of a circular zone).
std::optional<uint64_t> TailleEquivalentePreTrig(const ZonePostTrig& post, uint8_t methode, uint32_t pourcentage,
                                                 uint64_t nbTrames, const DureeJHMS& duree);

// What each page holds when it is left. Choices are indices; texts are as typed.
struct SaisiePageFichier {
  std::string chemin;
  uint32_t action = ACTION_DEMANDER;
};
struct SaisiePagePostTrig {
  bool circulaire = false;
  bool taille = true;  // the size radio (not circular) or check box (circular, always ticked)
  bool duree = false;  // the duration radio or check box
  std::string valeurTaille;
  uint8_t unite = UNITE_MO;
  SaisieDuree valeurDuree;
};
struct SaisiePagePreTrig {
  bool aucun = true;  // "No pre-trig"
  uint8_t methode = PRETRIG_POURCENT;
  std::string pourcentage;
  std::string nbTrames;
  SaisieDuree duree;
};
struct SaisiePageDiffere {
  bool actif = false;
  SaisieDuree delai;
};
struct SaisiePageAutres {
  std::string identifiantBourrage;  // hexadecimal; empty turns padding off
  bool supprimerTrames = false;
  uint32_t voie = VOIE_AUTO;
};

// The equivalent size of what the pre-trigger page holds (its chosen method and values as typed),
// as the page shows it while the user types; nullopt when nothing can be computed.
std::optional<uint64_t> TailleEquivalenteSaisie(const ZonePostTrig& post, const SaisiePagePreTrig& saisie);

// A page's check: the message when refused, else nothing (and its values are written to cible).
// The page texts completed by the check (the path with ".dat") are given back in the saisie.
std::optional<std::string> VerifiePageFichier(SaisiePageFichier& saisie, Configuration& cible);
std::optional<std::string> VerifiePagePostTrig(const SaisiePagePostTrig& saisie, Configuration& cible);
// The pre-trigger page measures its equivalent size against the post-trigger zone of cible.
std::optional<std::string> VerifiePagePreTrig(const SaisiePagePreTrig& saisie, Configuration& cible);
std::optional<std::string> VerifiePageDiffere(const SaisiePageDiffere& saisie, Configuration& cible);
std::optional<std::string> VerifiePageAutres(const SaisiePageAutres& saisie, Configuration& cible);

// The pages of the sheet in tab order.
enum PageAcq : int { PAGE_FICHIER, PAGE_POST_TRIG, PAGE_PRE_TRIG, PAGE_DECLENCHEMENT, PAGE_DIFFERE, PAGE_AUTRES };
inline constexpr int kNbPagesAcq = 6;

// The values each page shows when the sheet opens.
SaisiePageFichier SaisiePageFichierDe(const Configuration& c);
SaisiePagePostTrig SaisiePagePostTrigDe(const Configuration& c);
SaisiePagePreTrig SaisiePagePreTrigDe(const Configuration& c);
SaisiePageDiffere SaisiePageDiffereDe(const Configuration& c);
SaisiePageAutres SaisiePageAutresDe(const Configuration& c);

// Writes a confirmed sheet into the document: each shown page's values, in tab order, from the
// sheet's working copy; when the post-trigger page was shown and the pre-trigger page was not, the
// stored equivalent size is computed again against the new zone.
void EcritFeuilleAcq(const Configuration& travail, const std::array<bool, kNbPagesAcq>& montrees, Configuration& doc);

}  // namespace brv
