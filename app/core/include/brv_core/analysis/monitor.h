#pragma once
// The monitor task: reads the records of a capture, decodes, classifies, counts and filters each
// one, feeds the statistics and the network configuration, and indexes the rows of the frames
// list. A re-calculation reads a whole file; live following (engine polling) feeds the same
// per-record work.

#include <cstdint>
#include <memory>
#include <string_view>

#include "brv_core/analysis/frame_filter.h"
#include "brv_core/analysis/live_source.h"
#include "brv_core/analysis/network_config.h"
#include "brv_core/analysis/statistics.h"
#include "brv_core/analysis/task_requests.h"
#include "brv_core/analysis/view_snapshot.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"

namespace brv {

// Progress states shown in the status bar.
enum EtatProgression : int {
  PROG_ATTENTE_TRAFIC = 1,
  PROG_ATTENTE_RETRAFIC = 2,
  PROG_ATTENTE_DECLENCHEMENT = 3,
  PROG_ACQUISITION = 4,
  PROG_FORMATAGE = 5,
};

inline constexpr uint32_t kMaxLignesAffichables = 2147483647u;

// What the task tells the program while it runs (from the task's thread).
class IObservateurTache {
 public:
  virtual ~IObservateurTache() = default;
  virtual void Etat(int) {}
  virtual void Pourcentage(int) {}
  virtual void Progression(uint64_t /*octetsLus*/, uint64_t /*octetsTotal*/) {}
  virtual void NbLignes(uint32_t) {}
  virtual void LigneInformation(std::string_view) {}
  // Live: milliseconds since the acquisition started.
  virtual void Ecoule(uint64_t /*ms*/) {}
  // Live: the header the task took from the engine, before it reads the records it describes.
  virtual void EnTete(const vandrel::ENTETE_FICHIER&) {}
  // An error box of the end of an acquisition.
  virtual void BoiteErreur(std::string_view) {}
  // At most once a second: counters, meters and network tree may be redrawn.
  virtual void Rafraichit() {}
  // With each refresh and at the end, when the observer asks for them: the figures of the views,
  // copied in the task's thread so that another thread may keep them.
  virtual bool VeutInstantanes() const { return false; }
  virtual void Instantane(const InstantaneVues&) {}
  // The task's last call.
  virtual void Fin() {}
};

// The work of one run on one document: per-record accounting and row indexing.
class CMoniteur {
 public:
  CMoniteur(CBrenvaleDoc& doc, const AcqFile& fichier, IObservateurTache& obs);

  // One record in reading order.
  void TraiteEnregistrement(const FrameRecord& rec);
  // Closes the last index record, computes the averages, stores the totals.
  void Termine();

  BourrageEnVigueur Bourrage() const { return bourrage_; }
  CStatistiques& Statistiques() { return stats_; }
  int64_t DerniereDateNs() const { return derniereDateNs_; }

 private:
  void FermeIndex();

  CBrenvaleDoc& doc_;
  const AcqFile& fichier_;
  IObservateurTache& obs_;
  AcqResults& res_;
  BourrageEnVigueur bourrage_;
  CStatistiques stats_;
  CFiltreAffichage filtre_;
  CListeCompilee evenements_;
  uint64_t facteur_;
  int64_t dateMax_;  // dates are bounded to it (date_max)
  std::string annotation_;

  // Index record under construction.
  bool indexOuvert_ = false;
  uint32_t zoneIndex_ = 0;
  INDEX_TRAMES index_;
  uint64_t octetsBloc_ = 0;
  bool pleinSignale_ = false;
  bool vuDonnees_ = false;
  int64_t derniereDateNs_ = 0;
};

// What a run leaves beside the document's results: the padding it applied and the data-rate
// points of its chart.
struct ResultatTache {
  BourrageEnVigueur bourrage;
  std::vector<PointDebit> points;
};

// Reads the document's acquisition file: the whole of it for a re-calculation, or, given the
// engine of a live acquisition, as the engine writes it until it ends. The document's results and
// network table are rebuilt; stop requests are honoured between records. A live run ends by
// stopping and releasing the engine and writing configuration part A behind the data.
void FncTacheAcq(CBrenvaleDoc& doc, IObservateurTache& obs, CFileRequetes& requetes, ResultatTache& resultat,
                 ISuiviAcquisition* live = nullptr, const ParametresSuivi& suivi = {});

}  // namespace brv
