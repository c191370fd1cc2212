// The moving absolute date: which rows a scroll redraws so that only the top row shows a date.

#include <gtest/gtest.h>

#include <iterator>
#include <optional>

#include "brv_core/listing/moving_date.h"

namespace brv {
namespace {

TEST(DateMobile, RedrawsTheNewTopAndAnOldTopStillOnScreen) {
  const auto N = std::nullopt;
  const struct {
    uint64_t haut;
    uint32_t parPage;
    bool pendantRedessin;
    std::optional<uint64_t> nouveau, ancien;
  } pas[] = {
      {10, 20, false, 10, N},  // first request
      {10, 20, false, N, N},   // nothing moved
      {11, 20, false, 11, N},  // down a row: the old top left the screen
      {10, 20, false, 10, 11}, // up a row: the old top is now second
      {30, 20, false, 30, N},  // page down
      {10, 20, false, 10, N},  // page up: the old top is just below the page
      {10, 25, false, N, N},   // taller window, same top
      {12, 25, true, N, N},    // during the redraw
      {8, 25, false, 8, 10},   // after it, from the values last remembered
  };
  CDateMobile d;
  for (size_t i = 0; i < std::size(pas); ++i) {
    if (pas[i].pendantRedessin) d.DebutRedessin();
    const RedessinDateMobile r = d.Deplace(pas[i].haut, pas[i].parPage);
    d.FinRedessin();
    EXPECT_EQ(r.nouveauHaut, pas[i].nouveau) << i;
    EXPECT_EQ(r.ancienHaut, pas[i].ancien) << i;
  }
  EXPECT_TRUE(d.Affiche(8) && !d.Affiche(10));
  d.Oublie();
  EXPECT_FALSE(d.Affiche(8));
  EXPECT_EQ(d.Deplace(8, 25).nouveauHaut, 8u);
}

}  // namespace
}  // namespace brv
