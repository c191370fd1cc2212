#include "brv_core/acquisition/acquisition_controller.h"

#include <sys/utsname.h>

#include <chrono>
#include <cstdio>
#include <string>

#include <brv_platform/files.h>
#include <brv_platform/trace.h>
#include <vandrel/vandrel.h>

#include "brv_core/acquisition/ini_acq_fill.h"
#include "brv_core/errors/error_text.h"

namespace brv {

using platform::trace;

void VersionSystemeDe(const char* release, uint8_t& majeur, uint8_t& mineur) {
  majeur = mineur = 0;
  unsigned a = 0, b = 0;
  const int n = std::sscanf(release, "%u.%u", &a, &b);
  // A number that does not fit the engine's byte is not one the engine can use.
  if (n >= 1 && a <= 255) majeur = static_cast<uint8_t>(a);
  if (n >= 2 && b <= 255) mineur = static_cast<uint8_t>(b);
}

void VersionSysteme(uint8_t& majeur, uint8_t& mineur) {
  majeur = mineur = 0;
  utsname u{};
  if (::uname(&u) != 0) return;
  VersionSystemeDe(u.release, majeur, mineur);
}

CControleurAcquisition::CControleurAcquisition(CBrenvaleDoc& doc, IRapportDocument& rapport, IObservateurTache& obs)
    : doc_(doc), rapport_(rapport), obs_(obs) {}

CControleurAcquisition::~CControleurAcquisition() {
  AnnuleDiffere();
  if (tache_.joinable()) {
    requetes_.Poste(RequeteTache::ArretUtilisateur);
    tache_.join();
  }
  Libere();
}

bool CControleurAcquisition::MoteurPresent() const {
  std::lock_guard lock(moteurMutex_);
  return moteur_ != nullptr;
}

void CControleurAcquisition::AfficheErreur(unsigned long code) {
  std::string texte = error_text(code);
  while (!texte.empty() && texte.back() == '\n') texte.pop_back();
  rapport_.BoiteMessage(texte, IconeMessage::Erreur);
}

bool CControleurAcquisition::Demarre(bool declenche) {
  const VerificationDemarrage verif =
      VerifieDemarrage(doc_.Config, declenche, MoteurPresent() || enCours_.load(), rapport_, espaceLibre);
  if (!verif.ok) return false;

  // The document takes the settings of this acquisition.
  doc_.AcqFilePath = verif.AcqFilePath;
  doc_.PostTrigEnVigueur = doc_.Config.postTrig;
  doc_.PreTrigEnVigueur = doc_.Config.preTrig;
  doc_.ReconstruitCopiesEvenements();
  doc_.AppliqueBourrageRecalcul();
  doc_.ResetResults(true);

  auto moteur = std::make_shared<CVandrel>(0);
  {
    std::lock_guard lock(moteurMutex_);
    moteur_ = moteur;
  }
  const unsigned long rc = moteur->connect(static_cast<unsigned char>(carte));
  if (rc != 0) {
    AfficheErreur(rc);
    Libere();
    doc_.AcqFilePath.clear();
    return false;
  }
  moteur->rq_reset(1, 2, false);
  moteur->get_last_reply_frame();

  uint8_t majeur, mineur;
  VersionSysteme(majeur, mineur);
  const RemplissageIniAcq rempli = RemplitIniAcq(doc_.Config, verif, majeur, mineur, espaceLibre);
  parametres_ = rempli.parametres;
  bloc_ = vandrel::construit_ini_acq(parametres_);
  prevu_ = FichierPrevu{verif.AcqFilePath, doc_.Config.cheminFichierAcq, doc_.Config.ulActionDebut, verif.fichierAccepte};
  doc_.DureePostTrigMs = rempli.dureePostTrigMs;
  suivi_ = ParametresSuivi{};
  suivi_.typeAcq = static_cast<uint32_t>(rempli.parametres.ini.enTypeAcq);
  suivi_.continu = rempli.parametres.ini.bAcqContinue != 0;
  suivi_.octetsAttendus = doc_.Config.postTrig.bTailleChoisie ? doc_.Config.postTrig.taille_octets() : 0;
  suivi_.dureeMs = rempli.dureePostTrigMs;
  suivi_.tailleAnneau = rempli.parametres.ini.ullLgZonePostTrig;

  {
    std::lock_guard lock(differeMutex_);
    differeAnnule_ = false;
    differeMs_ = DelaiDiffere(doc_.Config);
  }
  if (differeMs_.load() != 0) {
    obs_.Etat(PROG_ATTENTE_DIFFERE);
    return true;
  }
  return DemarreAcqFin();
}

bool CControleurAcquisition::AttendDiffere() {
  if (differeMs_.load() == 0) return MoteurPresent();
  {
    std::unique_lock lock(differeMutex_);
    differeCv_.wait_for(lock, std::chrono::milliseconds(differeMs_.load()), [&] { return differeAnnule_; });
    // Decided under the lock: a cancel either came before (no start) or finds nothing to cancel.
    if (differeAnnule_) return false;
    differeMs_ = 0;
  }
  return DemarreAcqFin();
}

bool CControleurAcquisition::DemarreDiffere() {
  {
    std::lock_guard lock(differeMutex_);
    if (differeAnnule_ || differeMs_.load() == 0) return false;
    differeMs_ = 0;
  }
  return DemarreAcqFin();
}

bool CControleurAcquisition::AnnuleDiffere() {
  {
    std::lock_guard lock(differeMutex_);
    if (differeMs_.load() == 0) return false;
    differeAnnule_ = true;
    differeMs_ = 0;
  }
  differeCv_.notify_all();
  Libere();
  doc_.AcqFilePath.clear();
  return true;
}

bool CControleurAcquisition::DemarreAcqFin() {
  std::shared_ptr<CVandrel> moteur;
  {
    std::lock_guard lock(moteurMutex_);
    moteur = moteur_;
  }
  if (!moteur) return false;
  ResultatReservation reservation = ReserveFichierAcq(prevu_, rapport_);
  if (reservation.issue != IssueReservation::Ok) {
    if (reservation.issue == IssueReservation::ErreurFichier) {
      trace("DemarreAcqFin : " + prevu_.chemin + " : " + platform::errno_text(reservation.erreur) + "\n");
      AfficheErreur(VANDREL_ERROR_NO_SUCH_FILE);
    }
    Libere();
    doc_.AcqFilePath.clear();
    return false;
  }
  ReservationFichierAcq fichier = std::move(reservation.fichier);
  if (fichier.Chemin() != parametres_.chemin) {
    parametres_.chemin = fichier.Chemin();
    bloc_ = vandrel::construit_ini_acq(parametres_);
  }
  doc_.AcqFilePath = fichier.Chemin();
  if (platform::trace_enabled()) {
    const vandrel::INI_ACQ i = vandrel::lire_ini_acq(bloc_.data());
    char ligne[96];
    std::string t = "BRV : DemarreAcqFin :\n";
    auto champ = [&](const char* nom, unsigned long long v) {
      std::snprintf(ligne, sizeof ligne, "INI_ACQ : %s = 0x%llX\n", nom, v);
      t += ligne;
    };
    champ("enTypeAcq", static_cast<unsigned>(i.enTypeAcq));
    champ("bAcqContinue", i.bAcqContinue);
    champ("bFiltreBourrage", i.bFiltreBourrage);
    champ("ucNbTramesSynchro", i.ucNbTramesSynchro);
    champ("ucMethodeSynchro", i.ucMethodeSynchro);
    champ("ullLgZonePostTrig", i.ullLgZonePostTrig);
    champ("llDureeZonePostTrig", static_cast<unsigned long long>(i.llDureeZonePostTrig));
    champ("ullLgMaxZonePreTrig", i.ullLgMaxZonePreTrig);
    champ("usLgPathFichierAcq", i.usLgPathFichierAcq);
    champ("enSelectCanal", static_cast<unsigned>(i.enSelectCanal));
    trace(t);
  }
  const unsigned long rc = moteur->start_acquisition(bloc_.data(), static_cast<unsigned long>(bloc_.size()));
  if (rc != 0) {
    AfficheErreur(rc);
    trace("DEBUG BRV: DemarreAcqFin - pApp->StopAcquisition()");
    Libere();
    fichier.Abandonne();
    doc_.AcqFilePath.clear();
    return false;
  }
  doc_.TypeAcq = suivi_.typeAcq;
  doc_.TickDebut = 0;
  enCours_ = true;
  if (tache_.joinable()) tache_.join();
  // The task holds the file until it has written its part too.
  tache_ = std::thread([this, fichier = std::move(fichier)]() mutable {
    FncTacheAcq(doc_, obs_, requetes_, resultat_, this, suivi_);
    fichier.Libere();
    enCours_ = false;
  });
  return true;
}

void CControleurAcquisition::Attend() {
  if (tache_.joinable()) tache_.join();
}

bool CControleurAcquisition::EnTete(vandrel::ENTETE_FICHIER& h) {
  std::shared_ptr<CVandrel> moteur;
  {
    std::lock_guard lock(moteurMutex_);
    moteur = moteur_;
  }
  uint8_t octets[vandrel::kTailleEntete];
  if (!moteur || moteur->get_header_file(octets, sizeof octets) == 0) return false;
  h = vandrel::lire_entete(octets);
  return true;
}

uint64_t CControleurAcquisition::OctetsEcrits() {
  std::shared_ptr<CVandrel> moteur;
  {
    std::lock_guard lock(moteurMutex_);
    moteur = moteur_;
  }
  return moteur ? moteur->bytes_written() : 0;
}

void CControleurAcquisition::StopAcquisition() {
  std::shared_ptr<CVandrel> moteur;
  {
    std::lock_guard lock(moteurMutex_);
    moteur = moteur_;
  }
  if (!moteur) return;
  const unsigned long rc = moteur->stop_acquisition();
  if (rc != 0) AfficheErreur(rc);
}

void CControleurAcquisition::Libere() {
  std::shared_ptr<CVandrel> moteur;
  {
    std::lock_guard lock(moteurMutex_);
    moteur.swap(moteur_);
  }
  if (!moteur) return;
  unsigned long rc = moteur->stop_acquisition();
  if (rc != 0) AfficheErreur(rc);
  rc = moteur->disconnect();
  if (rc != 0) AfficheErreur(rc);
}

}  // namespace brv
