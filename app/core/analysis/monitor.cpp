#include "brv_core/analysis/monitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include <brv_platform/trace.h>

#include "brv_core/document/acq_description.h"
#include "brv_core/file/capture_info.h"

namespace brv {

namespace {

BourrageEnVigueur BourrageDe(const CBrenvaleDoc& doc) {
  const TripletBourrage& t = doc.BourrageRecalcul();
  BourrageEnVigueur b;
  b.identifiantDefini = t.bActif != 0;
  b.identifiant = static_cast<uint16_t>(t.ulIdentifiant);
  b.filtreAcquisition = t.bActif && t.bFiltreAcq && &t == &doc.Config.bourrageAcq;
  return b;
}

}  // namespace

CMoniteur::CMoniteur(CBrenvaleDoc& doc, const AcqFile& fichier, IObservateurTache& obs)
    : doc_(doc),
      fichier_(fichier),
      obs_(obs),
      res_(doc.Resultats),
      bourrage_(BourrageDe(doc)),
      stats_(doc.Decodeur.FacteurNs(), doc.Capture.bTramesTypeFip != 0, doc.Config.vues.debitInstantane.ullNs, bourrage_,
             doc.Reseau),
      filtre_(doc.CopieFiltre, doc.FiltreUtilisable, doc.Config.ulModeFiltre),
      evenements_(doc.CopieEvenements),
      facteur_(doc.Decodeur.FacteurNs()),
      dateMax_(date_max(facteur_)) {
  res_.ullPosPremiereTrame =
      fichier.layout() == AcqLayout::Pretrigger ? vandrel::kTailleEntete : fichier.header().ullPosZonePostTrig;
}

void CMoniteur::FermeIndex() {
  if (!indexOuvert_) return;
  (zoneIndex_ == 0 && fichier_.layout() == AcqLayout::Pretrigger ? res_.indexPreTrig : res_.indexPostTrig)
      .Ajoute(index_);
  indexOuvert_ = false;
}

void CMoniteur::TraiteEnregistrement(const FrameRecord& rec) {
  const CDecodageTrame& dec = doc_.Decodeur;
  const ErreurTrame r = dec.DecodeTrame(rec.frame_len, rec.frame, nullptr, false, annotation_);
  // Bounded once: the load statistics take differences of these dates too.
  const int64_t date = borne_date(timeline_date(fichier_, rec), dateMax_);
  const int64_t dateNs = date * static_cast<int64_t>(facteur_);
  derniereDateNs_ = dateNs;

  const ClasseCharge classe = stats_.Classe(r, rec.frame, rec.frame_len, dateNs);
  stats_.ChargeTrame(classe, date, rec.frame_len);
  CompteTrame(r, rec.frame, rec.frame_len, rec.status, classe == CLASSE_BOURRAGE, res_);

  const bool evenement = doc_.EvenementsUtilisables && evenements_.Premiere(rec.frame_len, rec.frame) >= 0;
  if (evenement) ++res_.ullNbEvenements;

  const bool etaitEnAttente = filtre_.Etat().enAttente;
  const ResultatFiltre f = filtre_.Teste(rec.frame_len, rec.frame);
  const bool pretrig = fichier_.layout() == AcqLayout::Pretrigger && rec.at.zone == 0;

  if (f.affichee) {
    if (res_.ulNbTramesAffichables >= kMaxLignesAffichables) {
      if (!pleinSignale_) obs_.LigneInformation("The frames list view is full.");
      pleinSignale_ = true;
    } else {
      const uint64_t ligne = res_.ulNbTramesAffichables++;
      // A block starts on a row that a fresh filter state judges the same way, so that row
      // reading from the block's record reproduces the same rows.
      if (indexOuvert_ && (rec.at.zone != zoneIndex_ || (octetsBloc_ >= res_.ulTailleBlocIndex && !etaitEnAttente))) {
        FermeIndex();
      }
      if (!indexOuvert_ && !etaitEnAttente) {
        index_ = INDEX_TRAMES{};
        index_.ullPremiereLigne = ligne;
        index_.ullPosFichier = rec.offset;
        index_.bDateZero = rec.at.pos == 0 && (rec.at.zone == 1 || fichier_.layout() != AcqLayout::Pretrigger);
        indexOuvert_ = true;
        zoneIndex_ = rec.at.zone;
        octetsBloc_ = 0;
      }
      const bool erreur = r != TRAME_OK || (rec.status & vandrel::STATUT_INTERRUPTION_TRAFIC);
      if (erreur) {
        ++res_.ullNbLignesErreur;
        if (indexOuvert_) {
          if (index_.ullNbLignesErreur++ == 0) index_.ullPremiereErreur = ligne;
          index_.ullDerniereErreur = ligne;
        }
      }
      if (evenement) {
        ++res_.ullNbLignesEvenement;
        if (indexOuvert_) {
          if (index_.ullNbLignesEvenement++ == 0) index_.ullPremierEvenement = ligne;
          index_.ullDernierEvenement = ligne;
        }
      }
      if (pretrig) res_.ulDerniereLignePreTrig = static_cast<uint32_t>(ligne);
    }
  }
  if (pretrig) {
    res_.usLgDernierEnregPreTrig = rec.length;
    res_.ullDateDernierEnregPreTrig = rec.date_raw;
  }
  octetsBloc_ += rec.length;
  ++res_.ullNbTramesAcquises;
}

void CMoniteur::Termine() {
  FermeIndex();
  stats_.FermeIntervalle();
  stats_.CalculeMoyennes(res_.stats);
}

namespace {

using Horloge = std::chrono::steady_clock;

// The state the wait dialog shows for an engine state; 0 for the final states.
int EtatProgressionDe(uint32_t etat) {
  switch (etat) {
    case vandrel::ATTENTE_TRAFIC: return PROG_ATTENTE_TRAFIC;
    case vandrel::ATTENTE_SYN: return PROG_ATTENTE_DECLENCHEMENT;
    case vandrel::ACQ_EN_COURS: return PROG_ACQUISITION;
    case vandrel::ATTENTE_RETRAFIC: return PROG_ATTENTE_RETRAFIC;
    default: return 0;
  }
}

// One run of the task: the reading loop shared by re-calculations and live acquisitions.
class TacheLecture {
 public:
  TacheLecture(CBrenvaleDoc& doc, IObservateurTache& obs, CFileRequetes& requetes, ISuiviAcquisition* live,
               const ParametresSuivi& suivi)
      : doc_(doc), obs_(obs), requetes_(requetes), live_(live), suivi_(suivi), final_(live == nullptr) {}

  void Execute(ResultatTache& resultat);

 private:
  enum class Suite { Continue, Fin };
  Suite Requetes();
  Suite SuitMoteur();
  // Reads what the file holds beyond the last record read; false when the run must end.
  bool Lit();
  // anneau: a live ring's pass, whose invalid end the caller judges.
  bool LitEnregistrements(bool anneau);
  // The reading ended on bad data, or on a read error (erreurLecture_).
  void InvalideFin();
  void FinMoteur(uint32_t etat);
  void EcritPartieA();
  // The views' refresh, with their figures when the observer wants them.
  void Rafraichit(bool fin);
  // A header of the engine in the document, told to the observer before its records are read.
  // The description the list's decoder reads changes only when it must: the list reads it meanwhile.
  void PrendEnTete(const vandrel::ENTETE_FICHIER& h) {
    doc_.Entete = h;
    const DescriptionCapture c = capture_description(h);
    if (!(c == doc_.Capture)) doc_.Capture = c;
    obs_.EnTete(h);
  }
  CMoniteur& Moniteur() {
    if (!moniteur_) moniteur_ = std::make_unique<CMoniteur>(doc_, fichier_, obs_);
    return *moniteur_;
  }

  CBrenvaleDoc& doc_;
  IObservateurTache& obs_;
  CFileRequetes& requetes_;
  ISuiviAcquisition* live_;
  ParametresSuivi suivi_;
  AcqFile fichier_;
  std::unique_ptr<CMoniteur> moniteur_;
  RecordPos suivant_{};
  uint64_t lus_ = 0;
  uint64_t total_ = 0;
  bool final_;
  bool fin_ = false;
  bool erreurLecture_ = false;
  bool arretDemande_ = false;
  int etatPoste_ = -1;
  int pourcentPoste_ = -1;
  bool enTeteVue_ = false;
  uint64_t ecritsVus_ = 0;  // the engine's write count at the last look at its header
  Horloge::time_point debut_ = Horloge::now();
  bool debutPris_ = false;
  Horloge::time_point dernierRafraichissement_ = Horloge::now();
  Horloge::time_point dernieresLignes_{};  // the first rows go out at once
  uint32_t lignesPostees_ = 0;
  // Circular file followed live: the read position in the ring and the bytes each side has seen.
  Suite SuitAnneau(const vandrel::ENTETE_FICHIER& h, uint64_t ecrits);
  bool anneauVu_ = false;
  bool anneauVide_ = true;
  uint64_t lectureAnneau_ = 0;
  uint64_t lusAnneau_ = 0;
  uint64_t tailleAnneau_ = 0;  // the ring in whole sub-blocks
};

TacheLecture::Suite TacheLecture::Requetes() {
  RequeteTache req;
  while (requetes_.Prend(req)) {
    switch (req) {
      case RequeteTache::Arret:
        obs_.LigneInformation("Acquisition terminated by user.");
        return Suite::Fin;
      case RequeteTache::Veille:
        obs_.LigneInformation("Acquisition aborted because of operating system standby.");
        return Suite::Fin;
      case RequeteTache::ArretUtilisateur:
        if (live_ && !final_) {
          if (!arretDemande_) {
            arretDemande_ = true;
            live_->StopAcquisition();
            obs_.LigneInformation("Acquisition terminated by user.");
          }
          break;
        }
        if (!live_) {
          obs_.LigneInformation("Re-calculation terminated by user.");
          doc_.Resultats.RecalcEndReason = RECALCUL_UTILISATEUR;
        }
        return Suite::Fin;
    }
  }
  return Suite::Continue;
}

void TacheLecture::FinMoteur(uint32_t etat) {
  live_->Libere();
  const std::string boite = TexteBoiteFinAcq(etat);
  if (!boite.empty()) obs_.BoiteErreur(boite);
  const std::string texte = TexteFinAcq(etat, 0);
  // A user stop was reported when it was asked.
  if (etat != vandrel::ARRET_UTILISATEUR && !texte.empty()) obs_.LigneInformation(texte);
  final_ = true;
  // A ring read live counted frames it has since overwritten: what it holds now is counted again,
  // as a re-calculation of the file would.
  if (suivi_.continu) {
    doc_.ResetResults(false);
    moniteur_.reset();
    suivant_ = RecordPos{};
    lus_ = total_ = 0;
  }
  // The stop rewrote the header on disk: the final zones come from there.
  if (fichier_.open(doc_.AcqFilePath) == AcqOpenStatus::Ok) {
    doc_.Entete = fichier_.header();
    for (const auto& z : fichier_.zones()) total_ += z.length();
  }
  if (total_ > lus_) obs_.Etat(PROG_FORMATAGE);
}

TacheLecture::Suite TacheLecture::SuitMoteur() {
  vandrel::ENTETE_FICHIER h;
  // The count first: it never runs ahead of the header read after it.
  const uint64_t ecrits = live_->OctetsEcrits();
  ecritsVus_ = ecrits;
  if (!live_->EnTete(h)) {
    obs_.BoiteErreur("Error getting information about the acquisition.");
    obs_.LigneInformation("Acquisition aborted because of error getting information from driver.");
    doc_.Resultats.EndReason = FIN_ERREUR_MOTEUR;
    return Suite::Fin;
  }
  const int etat = EtatProgressionDe(h.enEtatAcq);
  if (etat != 0 && etat != etatPoste_) {
    etatPoste_ = etat;
    obs_.Etat(etat);
    // A pre-trigger capture counts its time from the trigger.
    if (etat == PROG_ACQUISITION && !debutPris_) {
      debutPris_ = true;
      if (suivi_.typeAcq == vandrel::SYN_PRETRIG) debut_ = Horloge::now();
    }
  }
  if (!enTeteVue_) {
    enTeteVue_ = true;
    doc_.Entete = h;
    doc_.Capture = capture_description(h);
    doc_.TypeAcq = suivi_.typeAcq;
  }
  if (vandrel::etat_final(h.enEtatAcq)) {
    FinMoteur(h.enEtatAcq);
    return Suite::Continue;
  }
  const uint64_t ms =
      static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Horloge::now() - debut_).count());
  obs_.Ecoule(ms);
  int pourcent = -1;
  if (suivi_.dureeMs) {
    pourcent = static_cast<int>(ms * 100 / suivi_.dureeMs);
  } else if (suivi_.octetsAttendus && !suivi_.continu) {
    pourcent = static_cast<int>(lus_ * 100 / suivi_.octetsAttendus);
  }
  if (pourcent >= 0 && pourcent <= 100 && pourcent != pourcentPoste_) {
    pourcentPoste_ = pourcent;
    obs_.Pourcentage(pourcent);
  }
  if (suivi_.continu) return SuitAnneau(h, ecrits);
  // Frames are counted once the bus speed and framing of the first data are known.
  if (h.enEtatAcq == vandrel::ATTENTE_TRAFIC || (suivi_.typeAcq != vandrel::SANS_SYN && h.enEtatAcq == vandrel::ATTENTE_SYN)) {
    return Suite::Continue;
  }
  PrendEnTete(h);
  if (fichier_.follow(h) != AcqOpenStatus::Ok) {
    obs_.LigneInformation("Acquisition aborted because of error accessing the acquisition file.");
    doc_.Resultats.EndReason = FIN_ERREUR_FICHIER;
    return Suite::Fin;
  }
  return Suite::Continue;
}

TacheLecture::Suite TacheLecture::SuitAnneau(const vandrel::ENTETE_FICHIER& h, uint64_t ecrits) {
  anneauVide_ = true;
  const uint64_t sb = h.ulLgBlocTournant;
  if (sb == 0 || h.ullLgZonePostTrig == 0) return Suite::Continue;
  const uint64_t debut = h.ullPosZonePostTrig;
  const uint64_t taille = suivi_.tailleAnneau / sb * sb;
  if (taille == 0) return Suite::Continue;
  tailleAnneau_ = taille;
  if (!anneauVu_) {
    anneauVu_ = true;
    lectureAnneau_ = debut;
  }
  // The engine has written over records not read yet.
  if (ecrits > lusAnneau_ && ecrits - lusAnneau_ > taille) {
    obs_.LigneInformation("Acquisition aborted because of application not fast enough.");
    doc_.Resultats.EndReason = FIN_TROP_LENT;
    return Suite::Fin;
  }
  uint64_t ecriture = h.ullPosTournantFin + 1;
  if (ecriture >= debut + taille) ecriture = debut;
  if (ecriture == lectureAnneau_) return Suite::Continue;
  // The unread part of the ring, from the read position to the engine's last record.
  vandrel::ENTETE_FICHIER vue = h;
  vue.ullLgZonePostTrig = taille;
  vue.ullPosTournantDebut = lectureAnneau_;
  vue.ullPosTournantFin = (ecriture == debut ? debut + taille : ecriture) - 1;
  PrendEnTete(h);
  if (fichier_.follow(vue) != AcqOpenStatus::Ok) {
    obs_.LigneInformation("Acquisition aborted because of error accessing the acquisition file.");
    doc_.Resultats.EndReason = FIN_ERREUR_FICHIER;
    return Suite::Fin;
  }
  anneauVide_ = false;
  suivant_ = RecordPos{};
  return Suite::Continue;
}

bool TacheLecture::Lit() {
  if (fichier_.zones().empty()) return true;
  // A ring followed live: only its unread part, and the read position moves on with it.
  if (suivi_.continu && !final_) {
    if (anneauVide_) return true;
    anneauVide_ = true;
    const uint64_t taille = tailleAnneau_;
    const uint64_t lusAvant = lusAnneau_;
    const uint64_t avant = lus_;
    const bool ok = LitEnregistrements(true);
    const uint64_t lus = lus_ - avant;
    // The engine went round the ring onto what this pass was reading.
    const uint64_t ecrits = live_->OctetsEcrits();
    if (ecrits > lusAvant && ecrits - lusAvant > taille) {
      obs_.LigneInformation("Acquisition aborted because of application not fast enough.");
      doc_.Resultats.EndReason = FIN_TROP_LENT;
      return false;
    }
    if (!ok) {
      if (!erreurLecture_) InvalideFin();
      return false;
    }
    lusAnneau_ += lus;
    const uint64_t debut = doc_.Entete.ullPosZonePostTrig;
    lectureAnneau_ = debut + (lectureAnneau_ - debut + lus) % taille;
    return true;
  }
  return LitEnregistrements(false);
}

void TacheLecture::InvalideFin() {
  const bool lecture = erreurLecture_;
  if (live_) {
    obs_.LigneInformation(lecture ? "Acquisition aborted because of error accessing the acquisition file."
                                  : "Acquisition aborted because of invalid end of file error.");
    doc_.Resultats.EndReason = lecture ? FIN_ERREUR_FICHIER : FIN_FIN_FICHIER_INVALIDE;
  } else {
    obs_.LigneInformation(lecture ? "Re-calculation aborted because of error accessing the acquisition file."
                                  : "Re-calculation aborted because of invalid end of file error.");
    doc_.Resultats.RecalcEndReason = lecture ? RECALCUL_ERREUR_FICHIER : RECALCUL_FIN_FICHIER_INVALIDE;
  }
}

bool TacheLecture::LitEnregistrements(bool anneau) {
  CMoniteur& moniteur = Moniteur();
  RecordCursor curseur(fichier_);
  curseur.seek(suivant_);
  FrameRecord rec;
  WalkStatus st;
  while ((st = curseur.next(rec)) == WalkStatus::Record) {
    if (Requetes() == Suite::Fin) return false;
    moniteur.TraiteEnregistrement(rec);
    suivant_ = RecordPos{rec.at.zone, rec.at.pos + rec.length};
    lus_ += rec.length;
    // Clock reads are spread out: a tick count per record would cost more than the record.
    // Rows and progress go out ten times a second so that a list fills while the file is read;
    // the views are refreshed once a second.
    if ((doc_.Resultats.ullNbTramesAcquises & 0x3FFF) == 0) {
      const auto maintenant = Horloge::now();
      if (maintenant - dernieresLignes_ >= std::chrono::milliseconds(100)) {
        dernieresLignes_ = maintenant;
        lignesPostees_ = doc_.Resultats.ulNbTramesAffichables;
        obs_.Progression(lus_, total_);
        obs_.NbLignes(lignesPostees_);
      }
      if (maintenant - dernierRafraichissement_ >= std::chrono::seconds(1)) {
        dernierRafraichissement_ = maintenant;
        Rafraichit(false);
      }
    }
  }
  if (st == WalkStatus::Invalid) {
    platform::trace("DEBUG BRV: FncTacheAcq - " + curseur.invalid_message());
    erreurLecture_ = curseur.read_error();
    // A ring followed live decides first whether the engine overwrote what was being read.
    if (!anneau || erreurLecture_) InvalideFin();
    return false;
  }
  return true;
}

void TacheLecture::EcritPartieA() {
  const int fd = ::open(doc_.AcqFilePath.c_str(), O_RDWR | O_CLOEXEC);
  // A file that cannot be opened is left as it is.
  if (fd < 0) return;
  doc_.AppendConfigurationPartA(fd);
  ::close(fd);
}

void TacheLecture::Execute(ResultatTache& resultat) {
  if (live_) {
    obs_.Etat(suivi_.typeAcq == vandrel::SANS_SYN ? PROG_ATTENTE_TRAFIC : PROG_ATTENTE_DECLENCHEMENT);
    etatPoste_ = suivi_.typeAcq == vandrel::SANS_SYN ? PROG_ATTENTE_TRAFIC : PROG_ATTENTE_DECLENCHEMENT;
  } else {
    obs_.Etat(PROG_FORMATAGE);
  }
  if (fichier_.open(doc_.AcqFilePath) != AcqOpenStatus::Ok) {
    if (live_) {
      obs_.LigneInformation("Acquisition aborted because of error accessing the acquisition file.");
      doc_.Resultats.EndReason = FIN_ERREUR_FICHIER;
    } else {
      obs_.LigneInformation("Re-calculation aborted because of error accessing the acquisition file.");
      doc_.Resultats.RecalcEndReason = RECALCUL_ERREUR_FICHIER;
    }
  } else {
    if (!live_) {
      for (const auto& z : fichier_.zones()) total_ += z.length();
    }
    for (;;) {
      if (Requetes() == Suite::Fin) break;
      const bool etaitFinal = final_;
      if (live_ && !final_ && SuitMoteur() == Suite::Fin) break;
      if (!Lit()) break;
      // The final phase drains the file once; a re-calculation is a final phase from the start.
      if (etaitFinal) break;
      // The rows of each pass go out as soon as it ends: a quiet bus never reaches the batch size.
      if (doc_.Resultats.ulNbTramesAffichables != lignesPostees_) {
        lignesPostees_ = doc_.Resultats.ulNbTramesAffichables;
        dernieresLignes_ = Horloge::now();
        obs_.Progression(lus_, total_);
        obs_.NbLignes(lignesPostees_);
      }
      // A live capture refreshes its views once a second however few frames came.
      if (Horloge::now() - dernierRafraichissement_ >= std::chrono::seconds(1)) {
        dernierRafraichissement_ = Horloge::now();
        obs_.Progression(lus_, total_);
        obs_.NbLignes(doc_.Resultats.ulNbTramesAffichables);
        Rafraichit(false);
      }
      // The engine's next write ends the wait, so that its records show as soon as they are on disk.
      if (!final_) {
        for (uint32_t attente = 0;
             attente < suivi_.attenteMs && requetes_.Vide() && live_->OctetsEcrits() == ecritsVus_; attente += 10) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
      }
    }
  }
  platform::trace("DEBUG BRV: FncTacheAcq - pApp->StopAcquisition() - ArretAcquisition \n");
  if (live_) {
    live_->Libere();
    // The header as the stop left it on disk.
    if (fichier_.open(doc_.AcqFilePath) == AcqOpenStatus::Ok) doc_.Entete = fichier_.header();
  }
  CMoniteur& moniteur = Moniteur();
  moniteur.Termine();
  obs_.Progression(lus_, total_);
  obs_.NbLignes(doc_.Resultats.ulNbTramesAffichables);
  doc_.ReferenceReseauNs = moniteur.DerniereDateNs();
  resultat.bourrage = moniteur.Bourrage();
  resultat.points = moniteur.Statistiques().Points();
  if (live_) EcritPartieA();
  Rafraichit(true);
  obs_.Fin();
}

void TacheLecture::Rafraichit(bool fin) {
  obs_.Rafraichit();
  if (!obs_.VeutInstantanes()) return;
  CMoniteur& moniteur = Moniteur();
  obs_.Instantane(InstantaneEnCours(doc_, moniteur.Bourrage(), moniteur.Statistiques(), moniteur.DerniereDateNs(), fin));
}

}  // namespace

void FncTacheAcq(CBrenvaleDoc& doc, IObservateurTache& obs, CFileRequetes& requetes, ResultatTache& resultat,
                 ISuiviAcquisition* live, const ParametresSuivi& suivi) {
  TacheLecture(doc, obs, requetes, live, suivi).Execute(resultat);
}

}  // namespace brv
