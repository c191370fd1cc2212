#pragma once
// Everything an engineer sets up for a capture and its display. Blocks keep the bytes the
// program does not interpret, so that a file read and written again is unchanged.

#include <array>
#include <cstdint>
#include <string>

#include "brv_core/config/frame_definition.h"

namespace brv {

// Days, hours, minutes and seconds as the pages enter them (seconds in the lowest byte).
struct DureeJHMS {
  uint8_t secondes = 0;
  uint8_t minutes = 0;
  uint8_t heures = 0;
  uint8_t jours = 0;
  uint64_t en_secondes() const { return secondes + minutes * 60ULL + heures * 3600ULL + jours * 86400ULL; }
  friend bool operator==(const DureeJHMS&, const DureeJHMS&) = default;
};

enum ActionDebutAcq : uint32_t { ACTION_DEMANDER = 0, ACTION_ECRASER = 1, ACTION_INCREMENTER = 2 };
enum UniteTaille : uint8_t { UNITE_KO = 0, UNITE_MO = 1, UNITE_GO = 2 };
enum MethodePreTrig : uint8_t { PRETRIG_AUCUNE = 0, PRETRIG_POURCENT = 1, PRETRIG_TRAMES = 2, PRETRIG_DUREE = 3 };
enum VoieEcoute : uint32_t { VOIE_AUTO = 0, VOIE_1 = 1, VOIE_2 = 2 };

// Bytes in one unit of a zone size: a kilobyte is 1024 bytes, a megabyte 1000 kilobytes.
constexpr uint64_t octets_par_unite(uint8_t unite) {
  return unite == UNITE_KO ? 1024ULL : unite == UNITE_GO ? 1024000000ULL : 1024000ULL;
}
// The largest zone a configuration may ask for: a size beyond it would wrap once in bytes.
inline constexpr uint64_t kTailleZoneMaxOctets = uint64_t{1} << 62;

// Post-trigger zone, 32 bytes in the file.
struct ZonePostTrig {
  uint32_t bContinue = 0;          // "Continuous acquisition on circular file"
  uint32_t bTailleChoisie = 1;     // "Total size of the zone in the file"
  uint64_t ullTaille = 1;          // in ucUnite
  uint8_t ucUnite = UNITE_MO;
  std::array<uint8_t, 3> reserve{};
  uint32_t bDureeChoisie = 0;      // "Acquisition duration after trigger"
  DureeJHMS duree;
  std::array<uint8_t, 4> reserveDuree{};
  // Zone size in bytes: a kilobyte is 1024 bytes, a megabyte 1000 kilobytes.
  uint64_t taille_octets() const;
  friend bool operator==(const ZonePostTrig&, const ZonePostTrig&) = default;
};

// Pre-trigger zone, 24 bytes in the file: selection, the page's choice and values, equivalent size.
struct ZonePreTrig {
  uint32_t bPreTrig = 0;
  uint8_t ucMethode = PRETRIG_AUCUNE;
  uint8_t ucPourcentage = 0;
  std::array<uint8_t, 2> reserve{};
  uint32_t ulNbTrames = 0;
  DureeJHMS duree;
  uint64_t ullTailleEquivalente = 0;
  friend bool operator==(const ZonePreTrig&, const ZonePreTrig&) = default;
};

struct DemarrageDiffere {
  uint32_t bActif = 0;
  DureeJHMS delai;
  friend bool operator==(const DemarrageDiffere&, const DemarrageDiffere&) = default;
};

// Padding setting: padding on, padding identifier, padding frames filtered at acquisition ("Delete frames").
struct TripletBourrage {
  uint32_t bActif = 0;
  uint32_t ulIdentifiant = 0;
  uint32_t bFiltreAcq = 0;
  friend bool operator==(const TripletBourrage&, const TripletBourrage&) = default;
};

// An integration time as the "Views" page holds it.
struct TempsIntegration {
  uint32_t ulValeur = 1;
  uint8_t ucUnite = 1;  // 0 "ms", 1 "s", 2 "m"
  std::array<uint8_t, 3> reserve{};
  uint64_t ullNs = 1000000000ULL;
  friend bool operator==(const TempsIntegration&, const TempsIntegration&) = default;
};

// "Views" page, 40 bytes in the file.
struct ConfigVues {
  TempsIntegration configReseau;
  TempsIntegration debitInstantane;
  uint16_t usNbPointsMemorises = 100;
  std::array<uint8_t, 2> reserve{};
  uint32_t bOuvertureAuto = 0;
  friend bool operator==(const ConfigVues&, const ConfigVues&) = default;
};

// Fields that only the copy embedded in an acquisition file carries; kept as read.
struct ExtrasEmbarques {
  uint32_t ulAvantAcquisition = 0;
  std::array<uint32_t, 2> apresModeFiltre{};
  std::array<uint8_t, 16> apresBourrageAffichage{};
  friend bool operator==(const ExtrasEmbarques&, const ExtrasEmbarques&) = default;
};

struct Configuration {
  // Acquisition section.
  std::string cheminFichierAcq;
  uint32_t ulActionDebut = ACTION_DEMANDER;
  ZonePostTrig postTrig;
  ZonePreTrig preTrig;
  TableDefinitions declenchement;
  uint8_t ucMethodeDeclenchement = 0;
  uint32_t bFiltrageTrames = 0;  // triggered with frame filtering
  DemarrageDiffere differe;
  TripletBourrage bourrageAcq;
  uint32_t ulVoie = VOIE_AUTO;  // "Bi-medium device: Channel to listen"
  // Display section.
  ConfigVues vues;
  TableDefinitions filtre;
  uint32_t ulModeFiltre = 1;
  TableDefinitions evenements;
  TripletBourrage bourrageAffichage;
  // Embedded copy only.
  ExtrasEmbarques extras;

  friend bool operator==(const Configuration&, const Configuration&) = default;
};

// The padding triples the decoder holds: the acquisition setting, its copy taken when an
// acquisition starts, and the display setting.
struct ReglagesBourrage {
  TripletBourrage acquisition;
  TripletBourrage copieAcquisition;
  TripletBourrage affichage;
};

// Every field to its default; the acquisition file becomes cheminDefaut.
void ConfigurationParDefaut(Configuration& config, const std::string& cheminDefaut);

}  // namespace brv
