#include "brv_core/analysis/view_snapshot.h"

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/acq_description.h"
#include "brv_core/document/brenvale_doc.h"

namespace brv {

namespace {

InstantaneVues Commun(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage, int64_t referenceNs) {
  InstantaneVues v;
  const AcqResults& r = doc.Resultats;
  v.ullNbTramesAcquises = r.ullNbTramesAcquises;
  v.ulNbTramesAffichables = r.ulNbTramesAffichables;
  v.ullNbEvenements = r.ullNbEvenements;
  v.stats = r.stats;
  v.comptesParType = r.comptesParType;
  v.compteursErreur = r.compteursErreur;
  // From the header: a live run rewrites it as the engine goes.
  v.voie1 = Voie1Surveillee(doc.Entete);
  v.voie2 = Voie2Surveillee(doc.Entete);
  v.bourrage = bourrage;
  v.ullIntervalleNs = doc.Config.vues.debitInstantane.ullNs;
  v.reseau = doc.Reseau.Table();
  v.referenceReseauNs = referenceNs;
  v.ullDelaiPresenceNs = doc.Config.vues.configReseau.ullNs;
  v.entete = doc.Entete;
  return v;
}

}  // namespace

InstantaneVues InstantaneDocument(const CBrenvaleDoc& doc, const ResultatTache& resultat) {
  InstantaneVues v = Commun(doc, resultat.bourrage, doc.ReferenceReseauNs);
  v.points = resultat.points;
  v.final = true;
  return v;
}

InstantaneVues InstantaneEnCours(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage,
                                 const CStatistiques& stats, int64_t referenceNs, bool final) {
  InstantaneVues v = Commun(doc, bourrage, referenceNs);
  stats.CalculeMoyennes(v.stats);
  v.points = stats.Points();
  v.final = final;
  return v;
}

}  // namespace brv
