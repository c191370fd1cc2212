#include "brv_core/compare/capture_compare.h"

#include <cmath>
#include <cstdio>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/results_fields.h"
#include "brv_core/report/html_text.h"

namespace brv {

namespace {

std::string Hex(uint16_t id) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X", id);
  return t;
}

std::string Nombre(double v, const char* unite = "") {
  char t[48];
  std::snprintf(t, sizeof t, "%.2f%s", v, unite);
  return t;
}

std::string Duree(double ns) {
  if (ns >= 1e6) return Nombre(ns / 1e6, " ms");
  return Nombre(ns / 1e3, " us");
}

// Beyond a relative tolerance of the larger value; two zeros never differ.
bool DiffereRelatif(double a, double b, double tolerance) {
  const double m = std::max(std::fabs(a), std::fabs(b));
  return m > 0 && std::fabs(a - b) > tolerance * m;
}

double ParMillion(uint64_t n, uint64_t trames) { return trames ? static_cast<double>(n) * 1e6 / static_cast<double>(trames) : 0; }

}  // namespace

const char* NomEtatReseau(EtatReseau e) {
  switch (e) {
    case EtatReseau::Present: return "present";
    case EtatReseau::Manquant: return "missing";
    case EtatReseau::NonAppele: return "not called";
  }
  return "?";
}

ResumeCapture ResumeDe(const CBrenvaleDoc& doc) {
  ResumeCapture r;
  const AcqResults& res = doc.Resultats;
  r.trames = res.ullNbTramesAcquises;
  r.chargeDonnees = res.stats.fChargeDonnees;
  r.chargeMessages = res.stats.fChargeMessages;
  r.tauxErreur = res.stats.fTauxErreur;
  r.compteurs = res.compteursErreur;
  for (const auto& id : doc.Reseau.Table()) {
    r.etats[id.usIdentifiant] = EtatIdentifiant(id, doc.ReferenceReseauNs, doc.Config.vues.configReseau.ullNs);
  }
  return r;
}

void AjouteTiming(const ResultatTiming& timing, ResumeCapture& resume) {
  for (const TimingIdentifiant& t : timing.identifiants) {
    if (t.periodes.nominalNs == 0) continue;  // called once or never: no period to compare
    resume.temps[t.identifiant] = {static_cast<double>(t.periodes.nominalNs), static_cast<double>(t.periodes.pireEcartNs),
                                   t.retournement.moyenneNs};
  }
  // The measured macrocycle: its nominal multiple hangs on the rounding of every period.
  if (timing.macrocycle.mesure.n > 0) resume.macrocycleNs = timing.macrocycle.mesure.moyenneNs;
}

bool AjouteTiming(const CBrenvaleDoc& doc, ResumeCapture& resume, std::string& erreur) {
  ResultatTiming timing;
  if (AnalyseTimingChemin(doc.AcqFilePath, IdentifiantExcluTiming(doc.BourrageRecalcul()), timing, erreur) !=
      FinTiming::Complete) {
    return false;
  }
  AjouteTiming(timing, resume);
  return true;
}

std::vector<Ecart> CompareCaptures(const ResumeCapture& a, const ResumeCapture& b, const TolerancesComparaison& t) {
  std::vector<Ecart> e;
  // Identifiers, in identifier order: appeared, disappeared, changed state.
  auto ia = a.etats.begin();
  auto ib = b.etats.begin();
  while (ia != a.etats.end() || ib != b.etats.end()) {
    if (ib == b.etats.end() || (ia != a.etats.end() && ia->first < ib->first)) {
      e.push_back({"identifier " + Hex(ia->first), NomEtatReseau(ia->second), ""});
      ++ia;
    } else if (ia == a.etats.end() || ib->first < ia->first) {
      e.push_back({"identifier " + Hex(ib->first), "", NomEtatReseau(ib->second)});
      ++ib;
    } else {
      if (ia->second != ib->second) {
        e.push_back({"identifier " + Hex(ia->first), NomEtatReseau(ia->second), NomEtatReseau(ib->second)});
      }
      ++ia;
      ++ib;
    }
  }
  // Scan timing of the identifiers both captures measured.
  for (const auto& [id, ta] : a.temps) {
    const auto it = b.temps.find(id);
    if (it == b.temps.end()) continue;
    const TempsIdentifiant& tb = it->second;
    const std::string nom = "identifier " + Hex(id) + " ";
    if (DiffereRelatif(ta.periodeNominaleNs, tb.periodeNominaleNs, t.relative)) {
      e.push_back({nom + "period", Duree(ta.periodeNominaleNs), Duree(tb.periodeNominaleNs)});
    }
    // The worst deviation is an extreme: it counts when it crosses the tolerance of the period.
    const bool irregulierAvant = ta.gigueMaxNs > t.relative * ta.periodeNominaleNs;
    const bool irregulierApres = tb.gigueMaxNs > t.relative * tb.periodeNominaleNs;
    if (irregulierAvant != irregulierApres) {
      e.push_back({nom + "jitter", Duree(ta.gigueMaxNs), Duree(tb.gigueMaxNs)});
    }
    if (DiffereRelatif(ta.retournementMoyenNs, tb.retournementMoyenNs, t.relative)) {
      e.push_back({nom + "turnaround", Duree(ta.retournementMoyenNs), Duree(tb.retournementMoyenNs)});
    }
  }
  if (a.macrocycleNs && b.macrocycleNs && DiffereRelatif(*a.macrocycleNs, *b.macrocycleNs, t.relative)) {
    e.push_back({"macrocycle period", Duree(*a.macrocycleNs), Duree(*b.macrocycleNs)});
  }
  const auto charge = [&](const char* sujet, double va, double vb) {
    if (std::fabs(va - vb) > t.pointsCharge) e.push_back({sujet, Nombre(va, " %"), Nombre(vb, " %")});
  };
  charge("data load", a.chargeDonnees, b.chargeDonnees);
  charge("message load", a.chargeMessages, b.chargeMessages);
  charge("error rate", a.tauxErreur, b.tauxErreur);
  for (size_t i = 0; i < kNbCompteursErreur; ++i) {
    const double pa = ParMillion(a.compteurs[i], a.trames), pb = ParMillion(b.compteurs[i], b.trames);
    // An error that appears or goes away always counts; otherwise its rate must move.
    if ((a.compteurs[i] == 0) != (b.compteurs[i] == 0) || DiffereRelatif(pa, pb, t.relative)) {
      e.push_back({std::string(kNomsCompteursErreur[i]) + " per million frames", Nombre(pa), Nombre(pb)});
    }
  }
  return e;
}

namespace {

// The reading's last information line: why it stopped short, when it did.
class FinLecture : public IObservateurTache {
 public:
  void LigneInformation(std::string_view texte) override { derniere = texte; }
  std::string derniere;
};

}  // namespace

std::optional<ResumeCapture> ResumeFichier(const std::string& chemin, CFileRequetes& requetes, std::string& erreur) {
  CRapportPremiereErreur rapport;
  CBrenvaleDoc doc(rapport);
  if (!doc.OuvrirAcquisition(chemin)) {
    erreur = rapport.erreur.empty() ? "Acquisition file invalid." : rapport.erreur;
    return std::nullopt;
  }
  doc.ResetResults(false);
  FinLecture fin;
  ResultatTache resultat;
  FncTacheAcq(doc, fin, requetes, resultat);
  if (doc.Resultats.RecalcEndReason != RECALCUL_AUCUNE) {
    erreur = fin.derniere.empty() ? "The capture could not be read to its end." : fin.derniere;
    return std::nullopt;
  }
  ResumeCapture r = ResumeDe(doc);
  if (!AjouteTiming(doc, r, erreur)) return std::nullopt;
  return r;
}

std::string PageComparaison(std::string_view avant, std::string_view apres, const std::vector<Ecart>& ecarts) {
  std::string p = "<html><head><meta charset=\"utf-8\"><title>Comparison</title></head><body>\n<h2>Comparison</h2>\n";
  p += "<p><b>Before:</b> " + EchappeHtml(avant) + "<br>\n<b>After:</b> " + EchappeHtml(apres) + "</p>\n";
  if (ecarts.empty()) return p + "<p>No difference beyond the tolerances.</p>\n</body></html>\n";
  p += "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\">\n<tr><th>What</th><th>Before</th><th>After</th></tr>\n";
  for (const Ecart& e : ecarts) {
    p += "<tr><td>" + EchappeHtml(e.sujet) + "</td><td>" + (e.avant.empty() ? "(absent)" : EchappeHtml(e.avant)) +
         "</td><td>" + (e.apres.empty() ? "(absent)" : EchappeHtml(e.apres)) + "</td></tr>\n";
  }
  return p + "</table>\n</body></html>\n";
}

}  // namespace brv
