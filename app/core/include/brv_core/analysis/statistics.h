#pragma once
// Bus time and counters: every frame is classified, charged with the time it held the bus,
// counted by type and by error, and the loads of each data-rate interval become chart points.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/analysis/network_config.h"
#include "brv_core/decode/erreur_trame.h"
#include "brv_core/document/acq_results.h"

namespace brv {

// Classes for load accounting.
enum ClasseCharge : int { CLASSE_ERREUR = 0, CLASSE_MESSAGE = 1, CLASSE_BOURRAGE = 2, CLASSE_AUTRE = 3 };

// Padding in effect for a run.
struct BourrageEnVigueur {
  bool identifiantDefini = false;
  uint16_t identifiant = 0;
  bool filtreAcquisition = false;  // the engine dropped padding frames
};

// Total time occupied by traffic, then the time of erroneous, message and padding frames (ns).
struct BlocTemps {
  uint64_t total = 0;
  uint64_t erreur = 0;
  uint64_t message = 0;
  uint64_t bourrage = 0;
};

struct PointDebit {
  uint64_t ullTempsGraphe = 0;
  float fChargeDonnees = 0;
  float fChargeMessages = 0;
  float fTauxErreur = 0;
  float fReserve = 0;
};
static_assert(sizeof(PointDebit) == 24);

class CStatistiques {
 public:
  // facteurNs: nanoseconds per date unit; fip: FIP framing (else WorldFIP); intervalleNs: data-rate interval.
  CStatistiques(uint64_t facteurNs, bool fip, uint64_t intervalleNs, BourrageEnVigueur bourrage, CConfigReseau& reseau);

  // Classifies one frame and settles the pending identification call; dateNs on the trigger's time line.
  ClasseCharge Classe(ErreurTrame resultat, const uint8_t* octets, uint16_t len, int64_t dateNs);
  // Charges the previous frame with the time up to this one, then remembers this one.
  void ChargeTrame(ClasseCharge classe, int64_t date, uint16_t len);
  void ChargeEcart(ClasseCharge classe, uint64_t ns);
  void FermeIntervalle();
  // Averages into the statistics block (left as they are while no time was charged).
  void CalculeMoyennes(BlocStatistiques& stats) const;

  const BlocTemps& Totaux() const { return totaux_; }
  const BlocTemps& Intervalle() const { return intervalle_; }
  uint64_t TempsGraphe() const { return tempsGraphe_; }
  const std::vector<PointDebit>& Points() const { return points_[courant_]; }
  // The chart takes the full array; new points go to the other one.
  void BasculePoints();
  bool StockePoints() const { return stocke_; }
  // Refuses further growth of the point arrays beyond this many points (tests of the full case).
  void LimitePoints(size_t max) { maxPoints_ = max; }
  // Set when storing stopped for lack of room: the text for the information pane.
  const std::string& Message() const { return message_; }

 private:
  void Regle(bool repondu);

  uint64_t facteur_;
  bool fip_;
  uint64_t intervalleNs_;
  BourrageEnVigueur bourrage_;
  CConfigReseau& reseau_;

  BlocTemps totaux_;
  BlocTemps intervalle_;
  uint64_t tempsGraphe_ = 0;
  std::array<std::vector<PointDebit>, 2> points_;
  size_t courant_ = 0;
  bool stocke_ = true;
  size_t maxPoints_ = SIZE_MAX;
  std::string message_;

  // The identification frame waiting for its answer.
  bool attente_ = false;
  uint8_t controleAttente_ = 0;
  uint16_t idAttente_ = 0;
  int64_t dateAttente_ = 0;

  bool precedente_ = false;
  ClasseCharge classePrecedente_ = CLASSE_AUTRE;
  int64_t datePrecedente_ = 0;
  uint16_t lgPrecedente_ = 0;
};

// Counters of one record by its decode result and status byte.
void CompteTrame(ErreurTrame resultat, const uint8_t* octets, uint16_t len, uint8_t statut, bool bourrage,
                 AcqResults& r);

struct InstantaneVues;

// The lines of the statistics dialog: label and value, in the dialog's order. When padding was
// filtered at acquisition, one line with no value stands for the bus time and the three loads.
std::vector<std::pair<std::string, std::string>> ValeursStatistiques(const InstantaneVues& v);
inline constexpr const char* kTexteDebitsFiltres = "Data rates not calculated because of acquisition filtering";

// The statistics section of a text export: labels padded for a word processor, or followed by
// separateur for a spreadsheet when it is not empty.
std::string SectionExportStatistiques(const AcqResults& r, const BourrageEnVigueur& bourrage,
                                      const std::string& separateur = "");
// "Not defined", "Filtered at acquisition level", or the padding count.
std::string TexteBourrage(const AcqResults& r, const BourrageEnVigueur& bourrage);

}  // namespace brv
