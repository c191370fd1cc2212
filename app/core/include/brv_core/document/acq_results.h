#pragma once
// Results of reading an acquisition: end reasons, counters and the frame indexes. Saved behind
// the capture so that a reopened file shows them without reading its frames again.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/document/frame_index.h"
#include "brv_core/file/byte_stream.h"

namespace brv {

// Why the last acquisition ended, on the program's side.
enum RaisonFin : uint32_t {
  FIN_AUCUNE = 0,
  FIN_ERREUR_MOTEUR = 1,
  FIN_ERREUR_FICHIER = 2,
  FIN_FIN_FICHIER_INVALIDE = 3,
  FIN_TROP_LENT = 4,
  FIN_MEMOIRE = 5,
};

// Why the last re-reading of a file ended early.
enum RaisonFinRecalcul : uint32_t {
  RECALCUL_AUCUNE = 0,
  RECALCUL_UTILISATEUR = 1,
  RECALCUL_ERREUR_FICHIER = 2,
  RECALCUL_FIN_FICHIER_INVALIDE = 3,
};

inline constexpr uint32_t kAucuneLignePreTrig = 0xFFFFFFFF;
inline constexpr uint32_t kTailleBlocIndexDefaut = 10240000;
inline constexpr size_t kNbCompteursType = 21;    // padding frames, then the twenty frame types
inline constexpr size_t kNbCompteursErreur = 13;

// Error counters, in stored order.
enum CompteurErreur : size_t {
  ERR_TRAMES_ERRONEES = 0,
  ERR_PHYSIQUES = 1,
  ERR_CONTROLE_INCONNU = 2,
  ERR_TROP_COURTE = 3,
  ERR_TROP_LONGUE = 4,
  ERR_LONGUEUR_INVALIDE = 5,
  ERR_CRC = 6,
  ERR_DELIMITEUR = 7,
  ERR_INTERRUPTION_PC = 8,
  ERR_INTERRUPTION_TRAFIC = 9,
  ERR_TX_VOIE1 = 10,
  ERR_TX_VOIE2 = 11,
  ERR_GLITCH = 12,
};

struct BlocStatistiques {
  uint64_t ullTempsTraficNs = 0;
  float fChargeDonnees = 0;
  float fChargeMessages = 0;
  float fTauxErreur = 0;
  std::array<uint8_t, 4> reserve{};  // kept as read
};

struct AcqResults {
  uint32_t EndReason = FIN_AUCUNE;
  uint32_t RecalcEndReason = RECALCUL_AUCUNE;
  uint64_t ullPosPremiereTrame = 0;
  uint32_t ulDerniereLignePreTrig = kAucuneLignePreTrig;
  uint16_t usLgDernierEnregPreTrig = 0;
  uint64_t ullDateDernierEnregPreTrig = 0;
  uint32_t ulTailleBlocIndex = kTailleBlocIndexDefaut;
  CIndexTrames indexPreTrig;
  CIndexTrames indexPostTrig;
  uint64_t ullNbLignesErreur = 0;
  uint64_t ullNbLignesEvenement = 0;
  uint64_t ullNbTramesAcquises = 0;
  uint32_t ulNbTramesAffichables = 0;
  uint64_t ullNbEvenements = 0;
  BlocStatistiques stats;
  std::array<uint64_t, kNbCompteursType> comptesParType{};
  std::array<uint64_t, kNbCompteursErreur> compteursErreur{};
};

// Clears the results; a full reset also clears the end reason and the last pre-trigger row.
void ResetResults(AcqResults& r, bool complet);

// Limits the reader puts on what a file may ask it to allocate.
struct LimitesLecture {
  uint64_t maxIndexRecords = uint64_t{1} << 24;  // 1.2 GB of index: far beyond any real capture
};

enum class LectureResultats {
  Ok,
  ListeIgnoree,  // a list too large to hold was skipped and left empty; the rest was read
  Tronque,       // the tail ended early or a count runs past it: what follows was not read
};

// The index block size read from a file, and the plausible range it must lie in: a tiny block
// would close an index record on every row.
inline constexpr uint32_t kTailleBlocIndexMin = 4096;
inline constexpr uint32_t kTailleBlocIndexMax = 1U << 30;

// Replaces the stored values that drive a step and lie outside their plausible range by their
// defaults; one information line per value replaced.
std::vector<std::string> BorneResultats(AcqResults& r);

void EcritResultats(ByteWriter& out, const AcqResults& r);
LectureResultats LitResultats(ByteReader& in, AcqResults& r, const LimitesLecture& limites = {});

}  // namespace brv
