#include <gtest/gtest.h>

#include <vector>

#include "brv_core/timing/period_stats.h"
#include "brv_core/timing/timing_params.h"

namespace brv {
namespace {

TEST(TimingHistogramme, BucketBoundaries) {
  struct Cas {
    int64_t ns;
    int classe;
  };
  const std::vector<Cas> cas = {
      {-5, 0}, {0, 0}, {999, 0}, {1000, 1}, {1999, 1}, {2000, 2}, {3999, 2}, {4000, 3},
      {10'000'000, 14},  // 10 ms: [8192, 16384) µs
      {(int64_t{1} << 29) * 1000 - 1, 29}, {(int64_t{1} << 29) * 1000, 30}, {(int64_t{1} << 30) * 1000, 31},
      {INT64_MAX, 31},
  };
  for (const auto& c : cas) {
    const int k = ClasseHistogramme(c.ns);
    EXPECT_EQ(k, c.classe) << c.ns;
    if (c.ns >= 0) {
      EXPECT_LE(BorneBasseClasseNs(k), c.ns) << c.ns;
    }
    if (k + 1 < kNbClassesHistogramme) {
      EXPECT_GT(BorneBasseClasseNs(k + 1), c.ns) << c.ns;
    }
  }
}

TEST(TimingPeriodes, StatisticsNominalAndTolerance) {
  struct Cas {
    const char* nom;
    std::vector<int64_t> periodes;
    double tolerance;
    int64_t min, max;
    double moyenne, ecartType;
    int64_t nominal;
    uint64_t hors;
    int64_t pire;
    uint64_t pireScan;  // which period is furthest: the one whose scan Goto shows
  };
  std::vector<int64_t> longue(kEchantillonNominal, 1000);
  longue.insert(longue.end(), 50, 2000);  // after the nominal period is fixed: judged as they come
  std::vector<int64_t> debutLent(40, 3000);
  debutLent.insert(debutLent.end(), 100, 1000);
  const std::vector<Cas> cas = {
      {"steady", {1000, 1000, 1000}, 10, 1000, 1000, 1000, 0, 1000, 0, 0, 0},
      {"one beyond", {100, 100, 100, 111}, 10, 100, 111, 102.75, 4.763, 100, 1, 11, 3},
      {"on the edge", {100, 100, 100, 110, 90}, 10, 90, 110, 100, 6.325, 100, 0, 10, 3},
      {"even count takes the upper middle", {100, 110}, 10, 100, 110, 105, 5, 110, 0, 10, 0},
      {"textbook deviation", {2, 4, 4, 4, 5, 5, 7, 9}, 50, 2, 9, 5, 2, 5, 2, 4, 7},
      {"long periods keep their spread", {1'000'000'000'000, 1'000'000'000'002}, 10, 1'000'000'000'000,
       1'000'000'000'002, 1'000'000'000'001, 1, 1'000'000'000'002, 0, 2, 0},
      {"sample then stream", longue, 10, 1000, 2000, (127 * 1000.0 + 50 * 2000.0) / 177, 450.21, 1000, 50, 1000, 127},
      {"slow start stays in the sample", debutLent, 5, 1000, 3000, (40 * 3000.0 + 100 * 1000.0) / 140, 903.5, 1000,
       40, 2000, 0},
      {"zero tolerance", {100, 101, 100}, 0, 100, 101, 100.333, 0.4714, 100, 1, 1, 1},
  };
  for (const auto& c : cas) {
    CPeriodes p(c.tolerance);
    for (size_t i = 0; i < c.periodes.size(); ++i) p.Ajoute(c.periodes[i], Scan{static_cast<int64_t>(i) * 7, i});
    const ResumePeriodes r = p.Resume();
    EXPECT_EQ(r.pire.repere, c.pireScan) << c.nom;
    EXPECT_EQ(r.pire.dateNs, static_cast<int64_t>(c.pireScan) * 7) << c.nom;
    EXPECT_EQ(r.periode.n, c.periodes.size()) << c.nom;
    EXPECT_EQ(r.periode.minNs, c.min) << c.nom;
    EXPECT_EQ(r.periode.maxNs, c.max) << c.nom;
    EXPECT_NEAR(r.periode.moyenneNs, c.moyenne, 0.01) << c.nom;
    EXPECT_NEAR(r.periode.ecartTypeNs, c.ecartType, 0.01) << c.nom;
    EXPECT_EQ(r.nominalNs, c.nominal) << c.nom;
    EXPECT_EQ(r.horsTolerance, c.hors) << c.nom;
    EXPECT_EQ(r.pireEcartNs, c.pire) << c.nom;
    uint64_t total = 0;
    for (const uint64_t n : r.histogramme) total += n;
    EXPECT_EQ(total, c.periodes.size()) << c.nom;
  }
}

TEST(TimingPeriodes, NoPeriodLeavesEverythingZero) {
  CPeriodes p;
  const ResumePeriodes r = p.Resume();
  EXPECT_EQ(r.periode.n, 0u);
  EXPECT_EQ(r.nominalNs, 0);
  EXPECT_EQ(r.pireEcartNs, 0);
}

TEST(TimingParametres, DefaultsBySpeed) {
  struct Cas {
    uint32_t vitesse;
    int64_t min, silence;
  };
  for (const Cas& c : std::vector<Cas>{{0, 460'000, 4'096'000},
                                       {1, 10'000, 150'000},
                                       {2, 5'000, 96'000},
                                       {3, 2'500, 48'000},
                                       {7, 10'000, 150'000}}) {
    const ParametresTiming p = ParametresTimingDefaut(c.vitesse);
    EXPECT_EQ(p.retournementMinNs, c.min) << c.vitesse;
    EXPECT_EQ(p.silenceNs, c.silence) << c.vitesse;
    EXPECT_EQ(p.tardifNs, c.silence / 2) << c.vitesse;
    EXPECT_EQ(p.tolerancePct, 10.0);
  }
}

}  // namespace
}  // namespace brv
