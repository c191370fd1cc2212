#include "brv_core/analysis/chart_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace brv {

namespace {

constexpr uint64_t kNsMs = 1'000'000;
constexpr uint64_t kNsS = 1'000 * kNsMs;
constexpr uint64_t kNsMin = 60 * kNsS;
constexpr uint64_t kNsH = 60 * kNsMin;

// Two decimals whatever the process locale (the GUI sets the user's, which may use a comma).
void AjouteDeuxDecimales(std::string& s, double v) {
  char tampon[64];
  const auto r = std::to_chars(tampon, tampon + sizeof tampon, v, std::chars_format::fixed, 2);
  s.append(tampon, r.ptr);
}

}  // namespace

UniteAxeTemps UniteAxe(uint64_t etendueNs) {
  if (etendueNs <= 1000 * kNsMs) return {"Milliseconds", double(kNsMs)};
  if (etendueNs <= 100 * kNsS) return {"Seconds", double(kNsS)};
  if (etendueNs <= 120 * kNsMin) return {"Minutes", double(kNsMin)};
  return {"Hours", double(kNsH)};
}

bool SerieLogarithmique(SerieDebit serie) { return serie != SERIE_DONNEES; }

float ValeurSerie(const PointDebit& p, SerieDebit serie) {
  switch (serie) {
    case SERIE_DONNEES: return p.fChargeDonnees;
    case SERIE_MESSAGES: return p.fChargeMessages;
    case SERIE_ERREURS: return p.fTauxErreur;
  }
  return 0;
}

double EchelleLog(double pourcent) {
  // Also keeps NaN at the floor: the comparison is false for it.
  if (!(pourcent >= 0.01)) return 0;
  return (std::log10(pourcent) + 2) * 25;
}

double InverseEchelleLog(double y) {
  if (!(y > 0)) return 0;
  return std::pow(10.0, y / 25 - 2);
}

double OrdonneeSerie(const PointDebit& p, SerieDebit serie) {
  const double v = ValeurSerie(p, serie);
  return SerieLogarithmique(serie) ? EchelleLog(v) : v;
}

std::string TexteInfoBulle(double tempsUnite, double ordonnee, SerieDebit serie) {
  std::string s = "(";
  AjouteDeuxDecimales(s, tempsUnite);
  s += ", ";
  AjouteDeuxDecimales(s, SerieLogarithmique(serie) ? InverseEchelleLog(ordonnee) : ordonnee);
  s += ')';
  return s;
}

double PasGraduation(double etendue, int nbVise) {
  if (!(etendue > 0) || nbVise < 1) return 1;
  const double brut = etendue / nbVise;
  const double puissance = std::pow(10.0, std::floor(std::log10(brut)));
  for (const double m : {1.0, 2.0, 5.0}) {
    // A small tolerance so that an exact 2 × 10^k is not pushed to 5 by rounding.
    if (m * puissance >= brut * (1 - 1e-9)) return m * puissance;
  }
  return 10 * puissance;
}

FenetreTemps FenetreSuivie(std::span<const PointDebit> pts, uint64_t intervalleNs, uint32_t nbPoints) {
  const uint64_t n = std::max<uint32_t>(nbPoints, 1);
  if (pts.empty()) return {0, intervalleNs != 0 ? n * intervalleNs : kNsS};
  const uint64_t premier = pts.front().ullTempsGraphe;
  const uint64_t dernier = pts.back().ullTempsGraphe;
  if (intervalleNs == 0) {
    return {premier, std::max(dernier, premier + 1)};
  }
  const uint64_t largeur = n > UINT64_MAX / intervalleNs ? UINT64_MAX : n * intervalleNs;
  // A point stands at the end of its interval: the run starts one interval before its first.
  const uint64_t debutRun = premier >= intervalleNs ? premier - intervalleNs : 0;
  const uint64_t debut = dernier >= largeur ? dernier - largeur : 0;
  if (debut <= debutRun) {
    const uint64_t fin = UINT64_MAX - debutRun < largeur ? UINT64_MAX : debutRun + largeur;
    return {debutRun, fin};
  }
  return {debut, dernier};
}

void CReductionPoints::Ferme(const std::array<Colonne, kNbSeriesDebit>& c, size_t dernier) {
  for (int s = 0; s < kNbSeriesDebit; ++s) {
    std::array<size_t, 4> k{c[s].premier, c[s].mini, c[s].maxi, dernier};
    std::sort(k.begin(), k.end());
    auto& sortie = indices_[s];
    for (size_t i = 0; i < k.size(); ++i) {
      if (i == 0 || k[i] != k[i - 1]) sortie.push_back(k[i]);
    }
  }
}

void CReductionPoints::Reduit(std::span<const PointDebit> pts, FenetreTemps fenetre, int largeurPx) {
  for (auto& v : indices_) v.clear();
  if (pts.empty() || fenetre.finNs < fenetre.debutNs) return;
  const auto avant = [](const PointDebit& p, uint64_t t) { return p.ullTempsGraphe < t; };
  const auto apres = [](uint64_t t, const PointDebit& p) { return t < p.ullTempsGraphe; };
  const size_t i0 = size_t(std::lower_bound(pts.begin(), pts.end(), fenetre.debutNs, avant) - pts.begin());
  const size_t i1 = size_t(std::upper_bound(pts.begin(), pts.end(), fenetre.finNs, apres) - pts.begin());

  if (i0 > 0) {
    for (auto& v : indices_) v.push_back(i0 - 1);
  }
  const int colonnes = std::max(largeurPx, 1);
  const double etendue = std::max(double(fenetre.finNs - fenetre.debutNs), 1.0);
  std::array<Colonne, kNbSeriesDebit> c{};
  int colonne = -1;
  for (size_t i = i0; i < i1; ++i) {
    const PointDebit& p = pts[i];
    // Multiplied before divided: a point on a column's boundary lands in that column.
    const int col = std::min(int(double(p.ullTempsGraphe - fenetre.debutNs) * colonnes / etendue), colonnes - 1);
    if (col != colonne) {
      if (colonne >= 0) Ferme(c, i - 1);
      colonne = col;
      for (int s = 0; s < kNbSeriesDebit; ++s) {
        const float v = ValeurSerie(p, SerieDebit(s));
        c[s] = {i, i, i, v, v};
      }
      continue;
    }
    for (int s = 0; s < kNbSeriesDebit; ++s) {
      const float v = ValeurSerie(p, SerieDebit(s));
      if (v < c[s].vMini) c[s].vMini = v, c[s].mini = i;
      if (v > c[s].vMaxi) c[s].vMaxi = v, c[s].maxi = i;
    }
  }
  if (colonne >= 0) Ferme(c, i1 - 1);
  if (i1 < pts.size()) {
    for (auto& v : indices_) v.push_back(i1);
  }
}

}  // namespace brv
