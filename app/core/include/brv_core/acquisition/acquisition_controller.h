#pragma once
// The program's side of an acquisition: the start procedure after its checks (engine created,
// connected to the chosen card and reset, parameter block filled, deferred or immediate start),
// the monitor task that follows the capture, and the stop and release of the engine. The GUI and
// the CLI drive it; it shows nothing itself but through the reporter and the task observer.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <vandrel/ini_acq.h>

#include "brv_core/acquisition/file_reservation.h"
#include "brv_core/acquisition/start_checks.h"
#include "brv_core/analysis/live_source.h"
#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"

class CVandrel;

namespace brv {

// The progress state of a deferred start.
inline constexpr int PROG_ATTENTE_DIFFERE = 0;

class CControleurAcquisition : private ISuiviAcquisition {
 public:
  CControleurAcquisition(CBrenvaleDoc& doc, IRapportDocument& rapport, IObservateurTache& obs);
  ~CControleurAcquisition() override;
  CControleurAcquisition(const CControleurAcquisition&) = delete;
  CControleurAcquisition& operator=(const CControleurAcquisition&) = delete;

  // The card the engine connects to: its device-list index.
  uint16_t carte = 0;
  EspaceLibre espaceLibre = EspaceLibreSysteme;

  // The Free run (false) or Triggered (true) command. False when the procedure stopped (the
  // reason was shown). When it returns true with DiffereEnAttente(), the start waits for its delay.
  bool Demarre(bool declenche);
  bool DiffereEnAttente() const { return differeMs_.load() != 0; }
  uint64_t DelaiDiffereMs() const { return differeMs_.load(); }
  // Waits for the deferred start's delay, then starts; false when it was cancelled or failed.
  bool AttendDiffere();
  // The deferred start's delay was counted by the caller (a window's timer): starts now unless it
  // was cancelled; false when it was cancelled or failed.
  bool DemarreDiffere();
  // Cancels a deferred start (from any thread): the engine is released, the path emptied. False
  // when there was nothing to cancel (no deferral, or its start has begun).
  bool AnnuleDiffere();

  // Takes the acquisition file (the name may change from the checks', see ReserveFichierAcq: the
  // document's AcqFilePath follows), then starts the engine with the filled block and the monitor
  // task, which holds the file locked until it ends.
  bool DemarreAcqFin();
  // A stop, user stop or standby request to the monitor task (from any thread).
  void Demande(RequeteTache r) { requetes_.Poste(r); }
  // Waits for the monitor task to end.
  void Attend();
  bool EnCours() const { return enCours_.load(); }
  bool MoteurPresent() const;

  const ResultatTache& Resultat() const { return resultat_; }
  const std::vector<uint8_t>& BlocIniAcq() const { return bloc_; }

 private:
  bool EnTete(vandrel::ENTETE_FICHIER& h) override;
  uint64_t OctetsEcrits() override;
  void StopAcquisition() override;
  void Libere() override;
  void AfficheErreur(unsigned long code);

  CBrenvaleDoc& doc_;
  IRapportDocument& rapport_;
  IObservateurTache& obs_;
  mutable std::mutex moteurMutex_;
  std::shared_ptr<CVandrel> moteur_;
  vandrel::ParametresAcq parametres_;
  FichierPrevu prevu_;
  std::vector<uint8_t> bloc_;
  ParametresSuivi suivi_;
  std::atomic<uint64_t> differeMs_{0};
  std::mutex differeMutex_;
  std::condition_variable differeCv_;
  bool differeAnnule_ = false;
  CFileRequetes requetes_;
  ResultatTache resultat_;
  std::thread tache_;
  std::atomic<bool> enCours_{false};
};

// The operating system's major and minor version numbers.
void VersionSysteme(uint8_t& majeur, uint8_t& mineur);
// The same from a kernel release such as "6.1.0-18-amd64"; 0 where unreadable.
void VersionSystemeDe(const char* release, uint8_t& majeur, uint8_t& mineur);

}  // namespace brv
