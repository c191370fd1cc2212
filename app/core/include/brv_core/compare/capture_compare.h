#pragma once
// What changed between two captures of a plant: identifiers that appeared, disappeared or changed
// state, the loads and error rate, the error counters (per million frames, so that captures of
// different lengths compare), and the scan timing of each identifier when it is known.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "brv_core/analysis/network_config.h"
#include "brv_core/analysis/task_requests.h"
#include "brv_core/document/acq_results.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/timing/bus_timing.h"

namespace brv {

// The scan timing of one identifier, in nanoseconds.
struct TempsIdentifiant {
  double periodeNominaleNs = 0;
  double gigueMaxNs = 0;       // worst deviation of a scan from the nominal period (compared when it
                               // crosses the tolerance of the period)
  double retournementMoyenNs = 0;
};

// What the comparison looks at in one capture.
struct ResumeCapture {
  uint64_t trames = 0;
  std::map<uint16_t, EtatReseau> etats;
  double chargeDonnees = 0, chargeMessages = 0, tauxErreur = 0;  // percent
  std::array<uint64_t, kNbCompteursErreur> compteurs{};
  std::map<uint16_t, TempsIdentifiant> temps;  // empty when the timing was not measured
  std::optional<double> macrocycleNs;  // measured
};

// A capture read again (its results and network table filled) summed up for the comparison.
ResumeCapture ResumeDe(const CBrenvaleDoc& doc);
// Adds the scan timing of the document's capture: a pass over its file with the bus speed's
// defaults, the padding identifier left out. False (and the reason) when the file cannot be read
// to its end; the summary then has no timing.
bool AjouteTiming(const CBrenvaleDoc& doc, ResumeCapture& resume, std::string& erreur);
void AjouteTiming(const ResultatTiming& timing, ResumeCapture& resume);

struct TolerancesComparaison {
  double relative = 0.10;     // periods, jitters, turnarounds, macrocycle, counter rates
  double pointsCharge = 1.0;  // loads and error rate, in percentage points
};

// One difference beyond the tolerances: what, and its value before and after ("" when absent).
struct Ecart {
  std::string sujet;
  std::string avant;
  std::string apres;
  friend bool operator==(const Ecart&, const Ecart&) = default;
};

std::vector<Ecart> CompareCaptures(const ResumeCapture& avant, const ResumeCapture& apres,
                                   const TolerancesComparaison& tolerances = {});

// Opens another capture in a document of its own, reads it with its own configuration and sums it
// up; nullopt with the reason in `erreur` when it cannot be opened or its reading stopped short.
// Questions are answered Yes and boxes go to `erreur`: it runs beside the open capture, off the
// window's thread. A stop request posted to `requetes` ends the reading.
std::optional<ResumeCapture> ResumeFichier(const std::string& chemin, CFileRequetes& requetes, std::string& erreur);

// The comparison as a printable page: the two captures' names, then one row per difference.
std::string PageComparaison(std::string_view avant, std::string_view apres, const std::vector<Ecart>& ecarts);

// The state as the network tree names it.
const char* NomEtatReseau(EtatReseau e);

}  // namespace brv
