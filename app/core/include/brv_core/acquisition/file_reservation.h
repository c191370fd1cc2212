#pragma once
// The acquisition file taken when the acquisition really starts, which may be long after the start
// checks chose its name (a deferred start): the name is created exclusively then, an existing file
// is judged as it is then, and the file stays locked while the acquisition writes it, so that two
// captures never share a file.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <brv_platform/files.h>

#include "brv_core/config/configuration.h"
#include "brv_core/document/doc_reporter.h"

namespace brv {

// What the start checks decided about the file, carried to the real start.
struct FichierPrevu {
  std::string chemin;  // the name the checks chose
  std::string modele;  // the name the user entered, which the increment numbers
  uint32_t action = ACTION_DEMANDER;
  std::optional<platform::FileId> accepte;  // the existing file the user agreed to overwrite
};

// An acquisition file held open with an exclusive advisory lock (flock): other captures that find
// it locked know that it is being written. Closing it releases the lock.
class ReservationFichierAcq {
 public:
  ReservationFichierAcq() = default;
  ReservationFichierAcq(int fd, std::string chemin, bool cree) : fd_(fd), chemin_(std::move(chemin)), cree_(cree) {}
  ~ReservationFichierAcq() { Libere(); }
  ReservationFichierAcq(ReservationFichierAcq&& o) noexcept;
  ReservationFichierAcq& operator=(ReservationFichierAcq&& o) noexcept;
  ReservationFichierAcq(const ReservationFichierAcq&) = delete;
  ReservationFichierAcq& operator=(const ReservationFichierAcq&) = delete;

  bool Valide() const { return fd_ >= 0; }
  const std::string& Chemin() const { return chemin_; }
  // The file did not exist before this reservation made it.
  bool Cree() const { return cree_; }
  // The acquisition did not start: a file made for it is removed (the lock still keeps its name
  // from others while it goes), then the lock is released.
  void Abandonne();
  void Libere();

 private:
  int fd_ = -1;
  std::string chemin_;
  bool cree_ = false;
};

enum class IssueReservation {
  Ok,            // the file is held
  Refus,         // the user said No, or the reason was shown
  ErreurFichier  // the file can be neither created nor opened for writing (erreur holds errno)
};

struct ResultatReservation {
  IssueReservation issue = IssueReservation::ErreurFichier;
  ReservationFichierAcq fichier;
  int erreur = 0;
};

// Takes the planned file at the real start. A free name is created exclusively. A name taken
// meanwhile gives, with the increment, the next free number; otherwise the existing file as it is
// now: refused while another capture writes it, asked about again under the ask policy unless it is
// the very file the user agreed to overwrite, overwritten under the overwrite policy.
ResultatReservation ReserveFichierAcq(const FichierPrevu& prevu, IRapportDocument& rapport);

}  // namespace brv
