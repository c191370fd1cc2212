// The frames list's row cache: what a hint keeps and reads, rows outside it, short reads.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "brv_core/listing/row_cache.h"

namespace brv {
namespace {

auto Champs(const PlanCache& p) {
  return std::make_tuple(p.toutLire, p.garderDe, p.nbGarder, p.avantDe, p.nbAvant, p.apresDe, p.nbApres);
}

TEST(PlanCache, KeepsWhatTheNewRangeCoversAndReadsTheRest) {
  // Cached rows [10, 21) unless said otherwise.
  const struct {
    uint64_t nb, de, a;
    PlanCache attendu;
  } cas[] = {
      {0, 10, 20, {.toutLire = true}},                                                    // empty cache
      {11, 10, 20, {.garderDe = 10, .nbGarder = 11}},                                     // same range
      {11, 9, 20, {.garderDe = 10, .nbGarder = 11, .avantDe = 9, .nbAvant = 1}},          // one before
      {11, 10, 21, {.garderDe = 10, .nbGarder = 11, .apresDe = 21, .nbApres = 1}},        // one after
      {11, 21, 31, {.garderDe = 21, .apresDe = 21, .nbApres = 11}},                       // page down
      {11, 0, 9, {.garderDe = 10, .avantDe = 0, .nbAvant = 10}},                          // page up
      {11, 50, 60, {.toutLire = true}},                                                   // jump away
      {11, 0, 8, {.toutLire = true}},                                                     // jump before
      {11, 12, 15, {.garderDe = 12, .nbGarder = 4}},                                      // shrink
      {11, 5, 25, {.garderDe = 10, .nbGarder = 11, .avantDe = 5, .nbAvant = 5, .apresDe = 21, .nbApres = 5}},
  };
  for (const auto& c : cas) EXPECT_EQ(Champs(PlanifieCache(10, c.nb, c.de, c.a)), Champs(c.attendu)) << c.de;
}

// Rows [0, 1000) with a text long enough to live on the heap; a read stops on the first row
// at or past `fin` or in [casse, casse + 3).
class SourceTable : public ISourceLignes {
 public:
  uint64_t fin = 1000, casse = UINT64_MAX;
  size_t Lit(uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& lignes) override {
    size_t n = 0;
    for (uint64_t l = premiere; n < nombre && l < fin && (l < casse || l >= casse + 3); ++l, ++n) {
      if (lignes.size() == n) lignes.emplace_back();
      lignes[n].iLigne = static_cast<int32_t>(l);
      lignes[n].texte = "control and data of row " + std::to_string(l);
    }
    lignes.resize(n);
    return n;
  }
};

void VerifieCache(CCacheLignes& c) {
  for (uint64_t i = c.Premiere(); i < c.Premiere() + c.Nombre(); ++i) {
    const LIGNE_TRAME* l = c.Ligne(i);
    ASSERT_TRUE(l && l->iLigne == static_cast<int32_t>(i) && l->texte == "control and data of row " + std::to_string(i))
        << i;
  }
}

TEST(CacheLignes, HintsReadOnlyTheMissingRows) {
  const struct {
    uint64_t de, a, lues, premiere, nombre;  // rows asked of the source; the cache afterwards
  } indices[] = {
      {10, 29, 20, 10, 20},   {10, 29, 0, 10, 20},    {9, 29, 1, 9, 21},      {9, 30, 1, 9, 22},
      {19, 38, 8, 19, 20},    {5, 24, 14, 5, 20},     {25, 44, 20, 25, 20},   {500, 519, 20, 500, 20},
      {505, 510, 0, 505, 6},  {500, 519, 14, 500, 20}, {990, 1009, 20, 990, 10},  // the data ends at 1000
  };
  SourceTable source;
  CCacheLignes c(source);
  for (const auto& h : indices) {
    const uint64_t avant = c.LignesLues();
    c.Indique(h.de, h.a);
    EXPECT_EQ(std::make_tuple(c.LignesLues() - avant, c.Premiere(), c.Nombre()),
              std::make_tuple(h.lues, h.premiere, h.nombre))
        << h.de << ".." << h.a;
    VerifieCache(c);
  }
}

TEST(CacheLignes, KeptRowsMoveWithoutCopying) {
  SourceTable source;
  CCacheLignes c(source);
  c.Indique(100, 149);
  const char* texte = c.Ligne(120)->texte.data();
  c.Indique(101, 150);
  c.Indique(99, 148);
  EXPECT_EQ(c.Ligne(120)->texte.data(), texte);
}

TEST(CacheLignes, RowsOutsideAreReadAloneOnce) {
  SourceTable source;
  source.fin = 25;
  CCacheLignes c(source);
  c.Indique(10, 29);
  EXPECT_EQ(c.Nombre(), 15u);
  const uint64_t lues = c.LignesLues();
  EXPECT_EQ(c.Ligne(27), nullptr);
  EXPECT_EQ(c.Ligne(27), nullptr);
  ASSERT_NE(c.Ligne(3), nullptr);
  EXPECT_EQ(c.Ligne(3)->iLigne, 3);
  c.Indique(10, 29);
  EXPECT_EQ(c.LignesLues(), lues + 2);

  // Damaged rows among the rows before: the cache stays one run; the rows before them still come.
  source.fin = 1000;
  source.casse = 7;
  c.Invalide();
  c.Indique(10, 29);
  c.Indique(5, 29);
  EXPECT_EQ(std::make_pair(c.Premiere(), c.Nombre()), std::make_pair(uint64_t{10}, size_t{20}));
  VerifieCache(c);
  EXPECT_EQ(c.Ligne(7), nullptr);
  ASSERT_NE(c.Ligne(6), nullptr);
  EXPECT_EQ(c.Ligne(6)->iLigne, 6);
}

}  // namespace
}  // namespace brv
