#include "brv_core/analysis/view_snapshot.h"

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"

namespace brv {

InstantaneVues InstantaneDocument(const CBrenvaleDoc& doc, const ResultatTache& resultat) {
  InstantaneVues v;
  const AcqResults& r = doc.Resultats;
  v.ullNbTramesAcquises = r.ullNbTramesAcquises;
  v.ulNbTramesAffichables = r.ulNbTramesAffichables;
  v.ullNbEvenements = r.ullNbEvenements;
  v.stats = r.stats;
  v.comptesParType = r.comptesParType;
  v.compteursErreur = r.compteursErreur;
  v.voie1 = doc.Voie1;
  v.voie2 = doc.Voie2;
  v.bourrage = resultat.bourrage;
  v.points = resultat.points;
  v.ullIntervalleNs = doc.Config.vues.debitInstantane.ullNs;
  v.reseau = doc.Reseau.Table();
  v.referenceReseauNs = doc.ReferenceReseauNs;
  v.ullDelaiPresenceNs = doc.Config.vues.configReseau.ullNs;
  v.final = true;
  return v;
}

}  // namespace brv
