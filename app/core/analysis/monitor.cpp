#include "brv_core/analysis/monitor.h"

#include <chrono>

#include <brv_platform/trace.h>

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
      facteur_(doc.Decodeur.FacteurNs()) {
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
  const int64_t date = timeline_date(fichier_, rec);
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

void FncTacheAcq(CBrenvaleDoc& doc, IObservateurTache& obs, CFileRequetes& requetes, ResultatTache& resultat) {
  using Horloge = std::chrono::steady_clock;
  obs.Etat(PROG_FORMATAGE);
  AcqFile fichier;
  if (fichier.open(doc.AcqFilePath) != AcqOpenStatus::Ok) {
    obs.LigneInformation("Re-calculation aborted because of error accessing the acquisition file.");
    doc.Resultats.RecalcEndReason = RECALCUL_ERREUR_FICHIER;
    return;
  }

  CMoniteur moniteur(doc, fichier, obs);
  RecordCursor curseur(fichier);
  FrameRecord rec;
  uint64_t total = 0;
  for (const auto& z : fichier.zones()) total += z.length();
  uint64_t lus = 0;
  auto dernierRafraichissement = Horloge::now();
  WalkStatus st;
  bool arrete = false;
  while (!arrete && (st = curseur.next(rec)) == WalkStatus::Record) {
    RequeteTache req;
    while (requetes.Prend(req)) {
      if (req == RequeteTache::Veille) {
        obs.LigneInformation("Acquisition aborted because of operating system standby.");
      } else {
        obs.LigneInformation("Re-calculation terminated by user.");
        doc.Resultats.RecalcEndReason = RECALCUL_UTILISATEUR;
      }
      arrete = true;
    }
    if (arrete) break;
    moniteur.TraiteEnregistrement(rec);
    lus += rec.length;
    // Clock reads are spread out: a tick count per record would cost more than the record.
    if ((doc.Resultats.ullNbTramesAcquises & 0xFFFF) == 0 && Horloge::now() - dernierRafraichissement >= std::chrono::seconds(1)) {
      dernierRafraichissement = Horloge::now();
      obs.Progression(lus, total);
      obs.NbLignes(doc.Resultats.ulNbTramesAffichables);
      obs.Rafraichit();
    }
  }
  if (!arrete && st == WalkStatus::Invalid) {
    platform::trace("DEBUG BRV: FncTacheAcq - " + curseur.invalid_message());
    obs.LigneInformation("Re-calculation aborted because of invalid end of file error.");
    doc.Resultats.RecalcEndReason = RECALCUL_FIN_FICHIER_INVALIDE;
  }
  platform::trace("DEBUG BRV: FncTacheAcq - pApp->StopAcquisition() - ArretAcquisition \n");
  moniteur.Termine();
  obs.Progression(lus, total);
  obs.NbLignes(doc.Resultats.ulNbTramesAffichables);
  doc.ReferenceReseauNs = moniteur.DerniereDateNs();
  resultat.bourrage = moniteur.Bourrage();
  resultat.points = moniteur.Statistiques().Points();
  obs.Rafraichit();
}

}  // namespace brv
