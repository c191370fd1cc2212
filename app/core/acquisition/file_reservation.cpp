#include "brv_core/acquisition/file_reservation.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "brv_core/acquisition/start_checks.h"

namespace brv {

namespace {

// A name removed or replaced between the open and the lock is tried again, this many times.
constexpr int kEssaisMax = 8;

struct Prise {
  enum Etat { Prise_, Occupe, Verrouille, Disparu, Echec } etat;
  int fd = -1;
  int erreur = 0;
};

Prise echec(int fd, int erreur) {
  if (fd >= 0) ::close(fd);
  return {Prise::Echec, -1, erreur};
}

// The lock that a capture holds on the file it writes; EWOULDBLOCK when another one holds it.
Prise verrouille(int fd) {
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return {Prise::Prise_, fd, 0};
  const int e = errno;
  ::close(fd);
  return {e == EWOULDBLOCK ? Prise::Verrouille : Prise::Echec, -1, e};
}

// A name that nobody has taken: created here, or Occupe.
Prise cree(const std::string& chemin) {
  const int fd = ::open(chemin.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) return errno == EEXIST ? Prise{Prise::Occupe} : echec(-1, errno);
  // Verrouille: another capture opened it between the creation and the lock, and writes it now.
  return verrouille(fd);
}

// The file that the name holds now, for writing over it.
Prise ouvre(const std::string& chemin) {
  const int fd = ::open(chemin.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Prise{Prise::Disparu} : echec(-1, errno);
  struct stat st {};
  if (::fstat(fd, &st) != 0) return echec(fd, errno);
  if (!S_ISREG(st.st_mode)) return echec(fd, EINVAL);
  Prise p = verrouille(fd);
  if (p.etat != Prise::Prise_) return p;
  // The lock must be on what the name designates, not on a file removed meanwhile.
  const auto tenu = platform::file_id(p.fd);
  if (!tenu || platform::file_id(chemin) != tenu) {
    ::close(p.fd);
    return {Prise::Disparu};
  }
  return p;
}

void SignaleEnEcriture(IRapportDocument& rapport, const std::string& chemin) {
  rapport.BoiteMessage("Another acquisition is writing the acquisition file:\n" + chemin + "\nPlease, enter another one.",
                       IconeMessage::Erreur);
}

ResultatReservation Incremente(const FichierPrevu& prevu, IRapportDocument& rapport) {
  ResultatReservation r;
  Prise tenue{Prise::Echec};
  std::string nom;
  const IssueIncrement issue = ParcourtNomsIncrementes(
      prevu.modele,
      [&tenue](const std::string& candidat) {
        tenue = cree(candidat);
        switch (tenue.etat) {
          case Prise::Prise_: return EssaiNom::Pris;
          case Prise::Echec: return EssaiNom::Echec;
          default: return EssaiNom::Occupe;
        }
      },
      nom);
  switch (issue) {
    case IssueIncrement::Pris:
      r.issue = IssueReservation::Ok;
      r.fichier = ReservationFichierAcq(tenue.fd, nom, true);
      break;
    case IssueIncrement::Echec:
      r.erreur = tenue.erreur;
      break;
    case IssueIncrement::SansPoint:
    case IssueIncrement::Epuise:
      SignaleIncrementImpossible(rapport, issue == IssueIncrement::SansPoint);
      r.issue = IssueReservation::Refus;
      break;
  }
  return r;
}

}  // namespace

ReservationFichierAcq::ReservationFichierAcq(ReservationFichierAcq&& o) noexcept
    : fd_(std::exchange(o.fd_, -1)), chemin_(std::move(o.chemin_)), cree_(o.cree_) {}

ReservationFichierAcq& ReservationFichierAcq::operator=(ReservationFichierAcq&& o) noexcept {
  if (this != &o) {
    Libere();
    fd_ = std::exchange(o.fd_, -1);
    chemin_ = std::move(o.chemin_);
    cree_ = o.cree_;
  }
  return *this;
}

void ReservationFichierAcq::Abandonne() {
  if (fd_ >= 0 && cree_) ::unlink(chemin_.c_str());
  Libere();
}

void ReservationFichierAcq::Libere() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

ResultatReservation ReserveFichierAcq(const FichierPrevu& prevu, IRapportDocument& rapport) {
  ResultatReservation r;
  const bool incremente = prevu.action == ACTION_INCREMENTER;
  for (int essai = 0; essai < kEssaisMax; ++essai) {
    Prise p = cree(prevu.chemin);
    const bool cree = p.etat == Prise::Prise_;
    if (p.etat == Prise::Occupe && !incremente) p = ouvre(prevu.chemin);
    switch (p.etat) {
      case Prise::Prise_:
        // A file that was not there when the user agreed, or is another one now, is asked about again.
        if (!cree && prevu.action == ACTION_DEMANDER && (!prevu.accepte || platform::file_id(p.fd) != prevu.accepte) &&
            !rapport.QuestionOuiNon(QuestionEcrasement(prevu.chemin))) {
          ::close(p.fd);
          r.issue = IssueReservation::Refus;
          return r;
        }
        r.issue = IssueReservation::Ok;
        r.fichier = ReservationFichierAcq(p.fd, prevu.chemin, cree);
        return r;
      case Prise::Disparu:
        continue;
      case Prise::Echec:
        r.erreur = p.erreur;
        return r;
      case Prise::Verrouille:
      case Prise::Occupe:
        if (incremente) return Incremente(prevu, rapport);
        SignaleEnEcriture(rapport, prevu.chemin);
        r.issue = IssueReservation::Refus;
        return r;
    }
  }
  r.erreur = EAGAIN;
  return r;
}

}  // namespace brv
