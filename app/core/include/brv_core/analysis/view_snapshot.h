#pragma once
// What the views show of a run, copied in one piece: the reading task hands a copy to the GUI at
// each refresh, so that the views never read what the task is still writing.

#include <array>
#include <cstdint>
#include <vector>

#include <vandrel/acq_file.h>

#include "brv_core/analysis/network_config.h"
#include "brv_core/analysis/statistics.h"
#include "brv_core/document/acq_results.h"

namespace brv {

class CBrenvaleDoc;
struct ResultatTache;

struct InstantaneVues {
  uint64_t ullNbTramesAcquises = 0;
  uint32_t ulNbTramesAffichables = 0;
  uint64_t ullNbEvenements = 0;
  BlocStatistiques stats;  // the averages as last computed
  std::array<uint64_t, kNbCompteursType> comptesParType{};
  std::array<uint64_t, kNbCompteursErreur> compteursErreur{};
  // Channels the probe monitors.
  bool voie1 = false;
  bool voie2 = false;
  // The padding in effect for the run (the statistics dialog's padding line).
  BourrageEnVigueur bourrage;
  // Every data-rate point of the run so far, and the integration time of one point (ns).
  std::vector<PointDebit> points;
  uint64_t ullIntervalleNs = 0;
  // The network's identifiers, judged at this date (ns on the trigger's time line), with the
  // presence delay of the views configuration.
  std::vector<IDENTIFIANT_RESEAU> reseau;
  int64_t referenceReseauNs = 0;
  uint64_t ullDelaiPresenceNs = 0;
  // The run has ended: these are its final figures.
  bool final = false;
  // The header as the run last saw it (a live capture's zones grow).
  vandrel::ENTETE_FICHIER entete{};
};

// The figures of a document at rest (no task running), with what its last run left.
InstantaneVues InstantaneDocument(const CBrenvaleDoc& doc, const ResultatTache& resultat);

// The figures of a run in progress, in the thread that writes the document: the averages as they
// stand now, the points so far, the network judged at the last frame's date.
InstantaneVues InstantaneEnCours(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage,
                                 const CStatistiques& stats, int64_t referenceNs, bool final);

}  // namespace brv
