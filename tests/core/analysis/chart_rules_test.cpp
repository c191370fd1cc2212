// The data-rate chart's rules: axis unit, logarithmic scale, pop-up, followed window, reduction.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "brv_core/analysis/chart_rules.h"

namespace brv {
namespace {

constexpr uint64_t kMs = 1'000'000;
constexpr uint64_t kS = 1000 * kMs;
constexpr uint64_t kMin = 60 * kS;

TEST(ChartRules, TimeAxisUnitHoldsUpToItsLimit) {
  struct Cas {
    uint64_t etendueNs;
    const char* nom;
    double nsParUnite;
  };
  const Cas cas[] = {
      {0, "Milliseconds", 1e6},
      {1000 * kMs, "Milliseconds", 1e6},
      {1000 * kMs + 1, "Seconds", 1e9},
      {100 * kS, "Seconds", 1e9},
      {100 * kS + 1, "Minutes", 60e9},
      {120 * kMin, "Minutes", 60e9},
      {120 * kMin + 1, "Hours", 3600e9},
      {UINT64_MAX, "Hours", 3600e9},
  };
  for (const Cas& c : cas) {
    const UniteAxeTemps u = UniteAxe(c.etendueNs);
    EXPECT_STREQ(u.nom, c.nom) << c.etendueNs;
    EXPECT_EQ(u.nsParUnite, c.nsParUnite) << c.etendueNs;
  }
}

TEST(ChartRules, LogScaleFromOneHundredthOfAPercent) {
  struct Cas {
    double pourcent, y;
  };
  const Cas cas[] = {{-1, 0},   {0, 0},    {0.0099, 0}, {0.01, 0},    {0.1, 25},
                     {1, 50},   {10, 75},  {100, 100},  {0.5, 42.474}, {std::nan(""), 0}};
  for (const Cas& c : cas) EXPECT_NEAR(EchelleLog(c.pourcent), c.y, 1e-3) << c.pourcent;

  // The inverse reads the axis back; its bottom reads 0, not 0.01.
  struct Inverse {
    double y, pourcent;
  };
  const Inverse inverses[] = {{-5, 0}, {0, 0}, {1e-9, 0.01}, {25, 0.1}, {50, 1}, {100, 100}};
  for (const Inverse& c : inverses) EXPECT_NEAR(InverseEchelleLog(c.y), c.pourcent, 1e-9) << c.y;
  for (const double v : {0.02, 0.37, 3.3, 42.0, 99.9}) EXPECT_NEAR(InverseEchelleLog(EchelleLog(v)), v, 1e-9 * v);
}

TEST(ChartRules, PopUpShowsTimeAndValueWithTwoDecimals) {
  struct Cas {
    double temps, ordonnee;
    SerieDebit serie;
    const char* texte;
  };
  const Cas cas[] = {
      {1.234, 5.678, SERIE_DONNEES, "(1.23, 5.68)"},
      {0, 0, SERIE_DONNEES, "(0.00, 0.00)"},
      {12.5, 50, SERIE_MESSAGES, "(12.50, 1.00)"},
      {3, 0, SERIE_ERREURS, "(3.00, 0.00)"},  // the floor of the log scale reads 0
      {3, 25, SERIE_ERREURS, "(3.00, 0.10)"},
      {7200, 100, SERIE_DONNEES, "(7200.00, 100.00)"},
  };
  for (const Cas& c : cas) EXPECT_EQ(TexteInfoBulle(c.temps, c.ordonnee, c.serie), c.texte);
}

TEST(ChartRules, GraduationStepIsOneTwoOrFive) {
  struct Cas {
    double etendue;
    int nb;
    double pas;
  };
  const Cas cas[] = {{10, 8, 2},  {100, 8, 20}, {1, 8, 0.2},  {16, 8, 2},   {17, 8, 5},
                     {80, 8, 10}, {0.5, 5, 0.1}, {3600, 6, 1000}, {0, 8, 1}, {10, 0, 1}};
  for (const Cas& c : cas) EXPECT_NEAR(PasGraduation(c.etendue, c.nb), c.pas, 1e-12 * c.pas) << c.etendue;
}

std::vector<PointDebit> Points(uint64_t premier, uint64_t pas, size_t n) {
  std::vector<PointDebit> v(n);
  for (size_t i = 0; i < n; ++i) v[i].ullTempsGraphe = premier + i * pas;
  return v;
}

TEST(ChartRules, FollowedWindowShowsTheLastIntervals) {
  struct Cas {
    const char* quoi;
    uint64_t premier;
    size_t n;
    uint64_t intervalle;
    uint32_t nb;
    FenetreTemps attendue;
  };
  const Cas cas[] = {
      {"no points", 0, 0, 100 * kMs, 100, {0, 10 * kS}},
      {"no points, no interval", 0, 0, 0, 100, {0, kS}},
      {"short run fills from the left", 100 * kMs, 5, 100 * kMs, 100, {0, 10 * kS}},
      {"short run after a gap", 50 * kS, 5, 100 * kMs, 100, {50 * kS - 100 * kMs, 60 * kS - 100 * kMs}},
      {"exactly the window", 100 * kMs, 100, 100 * kMs, 100, {0, 10 * kS}},
      {"long run scrolls", 100 * kMs, 1000, 100 * kMs, 100, {90 * kS, 100 * kS}},
      {"unknown interval: the points' span", 2 * kS, 11, 0, 100, {2 * kS, 12 * kS}},
      {"one point, no interval", 2 * kS, 1, 0, 100, {2 * kS, 2 * kS + 1}},
      {"zero points asked counts as one", 100 * kMs, 50, 100 * kMs, 0, {4900 * kMs, 5000 * kMs}},
  };
  for (const Cas& c : cas) {
    const auto pts = Points(c.premier, c.intervalle != 0 ? c.intervalle : kS, c.n);
    const FenetreTemps f = FenetreSuivie(pts, c.intervalle, c.nb);
    EXPECT_EQ(f.debutNs, c.attendue.debutNs) << c.quoi;
    EXPECT_EQ(f.finNs, c.attendue.finNs) << c.quoi;
  }
}

// Points with values from a seeded generator, one series slowly varying and two noisy.
std::vector<PointDebit> Aleatoires(size_t n, uint64_t pas, unsigned graine) {
  std::mt19937 gen(graine);
  std::uniform_real_distribution<float> charge(20, 60), msg(1, 5), err(0, 0.5f);
  auto v = Points(pas, pas, n);
  for (auto& p : v) {
    p.fChargeDonnees = charge(gen);
    p.fChargeMessages = msg(gen);
    p.fTauxErreur = err(gen);
  }
  return v;
}

void VerifieReduction(const std::vector<PointDebit>& pts, FenetreTemps f, int largeur, const CReductionPoints& r) {
  const auto it0 = std::lower_bound(pts.begin(), pts.end(), f.debutNs,
                                    [](const PointDebit& p, uint64_t t) { return p.ullTempsGraphe < t; });
  const auto it1 = std::upper_bound(pts.begin(), pts.end(), f.finNs,
                                    [](uint64_t t, const PointDebit& p) { return t < p.ullTempsGraphe; });
  const size_t i0 = size_t(it0 - pts.begin()), i1 = size_t(it1 - pts.begin());
  for (int s = 0; s < kNbSeriesDebit; ++s) {
    const auto serie = SerieDebit(s);
    const auto& idx = r.Indices(serie);
    ASSERT_LE(idx.size(), size_t(4 * largeur + 2)) << s;
    EXPECT_TRUE(std::is_sorted(idx.begin(), idx.end()) && std::adjacent_find(idx.begin(), idx.end()) == idx.end());
    if (i0 == i1) continue;
    // The window's extremes, its first and last points and one neighbour on each side are drawn.
    const auto [mini, maxi] = std::minmax_element(pts.begin() + long(i0), pts.begin() + long(i1),
                                                  [serie](const PointDebit& a, const PointDebit& b) {
                                                    return ValeurSerie(a, serie) < ValeurSerie(b, serie);
                                                  });
    const auto tient = [&idx](size_t i) { return std::binary_search(idx.begin(), idx.end(), i); };
    EXPECT_TRUE(tient(size_t(mini - pts.begin()))) << s;
    EXPECT_TRUE(tient(size_t(maxi - pts.begin()))) << s;
    EXPECT_TRUE(tient(i0) && tient(i1 - 1)) << s;
    EXPECT_EQ(i0 > 0, tient(i0 - 1)) << s;
    EXPECT_EQ(i1 < pts.size(), tient(i1)) << s;
    EXPECT_EQ(idx.front(), i0 > 0 ? i0 - 1 : i0) << s;
    EXPECT_EQ(idx.back(), i1 < pts.size() ? i1 : i1 - 1) << s;
  }
}

TEST(ChartRules, ReductionKeepsExtremesAndEdges) {
  struct Cas {
    const char* quoi;
    size_t n;
    FenetreTemps fenetre;  // in units of the point step
    int largeur;
  };
  const Cas cas[] = {
      {"everything, dense", 200'000, {0, 200'000}, 640},
      {"everything in one column", 1000, {0, 1000}, 1},
      {"zero width counts as one column", 1000, {0, 1000}, 0},
      {"sparse: fewer points than columns", 50, {0, 50}, 800},
      {"middle of the run", 100'000, {30'000, 40'000}, 300},
      {"window between two points", 100, {10, 10}, 300},
      {"window before the run", 100, {0, 0}, 300},
      {"window after the run", 100, {500, 600}, 300},
  };
  constexpr uint64_t pas = 100 * kMs;
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.quoi);
    const auto pts = Aleatoires(c.n, pas, 7);
    const FenetreTemps f{c.fenetre.debutNs * pas + pas / 2, c.fenetre.finNs * pas + pas / 2};
    CReductionPoints r;
    r.Reduit(pts, f, c.largeur);
    VerifieReduction(pts, f, std::max(c.largeur, 1), r);
  }
}

TEST(ChartRules, ReductionPerColumn) {
  // Ten points per column over four columns: each column keeps its first, lowest, highest, last.
  std::vector<PointDebit> pts = Points(0, 10, 40);
  for (size_t i = 0; i < pts.size(); ++i) pts[i].fChargeDonnees = float((i * 7) % 10);  // min/max move
  CReductionPoints r;
  r.Reduit(pts, {0, 400}, 4);
  std::vector<size_t> attendu;
  for (size_t col = 0; col < 4; ++col) {
    std::vector<size_t> k{col * 10, col * 10 + 9};
    for (size_t i = col * 10; i < col * 10 + 10; ++i) {
      if (pts[i].fChargeDonnees == 0 || pts[i].fChargeDonnees == 9) k.push_back(i);
    }
    std::sort(k.begin(), k.end());
    k.erase(std::unique(k.begin(), k.end()), k.end());
    attendu.insert(attendu.end(), k.begin(), k.end());
  }
  EXPECT_EQ(r.Indices(SERIE_DONNEES), attendu);
  // Flat series: only each column's first and last point.
  EXPECT_EQ(r.Indices(SERIE_ERREURS).size(), 8u);
  // A spike confined to one series leaves the other series' choice alone.
  pts[15].fTauxErreur = 0.4f;
  r.Reduit(pts, {0, 400}, 4);
  EXPECT_EQ(r.Indices(SERIE_ERREURS).size(), 9u);
  EXPECT_EQ(r.Indices(SERIE_MESSAGES).size(), 8u);
}

}  // namespace
}  // namespace brv
