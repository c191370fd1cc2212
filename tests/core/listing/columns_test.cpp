// The channel columns a capture shows after the captures loaded before it, and widths that
// survive hiding.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "brv_core/listing/columns.h"

namespace brv {
namespace {

TEST(ColonnesListe, ChannelColumnsFollowTheCapturesLoaded) {
  using V = std::pair<bool, bool>;
  const V std{false, false}, mono{true, false}, bi{true, true}, voie2{false, true};
  const struct {
    std::vector<V> captures;
    bool voie, tx1, tx2;
  } cas[] = {
      {{std}, false, false, false},       {{mono}, false, true, false},
      {{bi}, true, true, true},           {{std, mono, bi}, true, true, true},
      {{bi, mono}, false, true, false},   {{bi, std}, false, false, false},
      {{mono, mono}, false, true, false}, {{std, voie2}, true, false, true},
      {{mono, voie2}, false, false, false},  // a removal: nothing inserted by the same update
  };
  for (const auto& c : cas) {
    CColonnesListe cols;
    for (const auto& [v1, v2] : c.captures) cols.MetAJourVoies(v1, v2);
    const auto n = c.captures.size();
    EXPECT_EQ(cols.Visible(COL_VOIE), c.voie) << n;
    EXPECT_EQ(cols.Visible(COL_ERR_TX1), c.tx1) << n;
    EXPECT_EQ(cols.Visible(COL_ERR_TX2), c.tx2) << n;
    EXPECT_TRUE(cols.Visible(COL_TRAFIC) && cols.Visible(COL_DONNEES) && cols.Visible(COL_FIPIO));
  }
}

TEST(ColonnesListe, HiddenColumnKeepsItsWidth) {
  CColonnesListe cols;
  cols.DefinitLargeur(COL_VOIE, 99);  // hidden: ignored
  EXPECT_EQ(cols.Largeur(COL_VOIE), 50);
  cols.MetAJourVoies(true, true);
  cols.DefinitLargeur(COL_VOIE, 80);
  cols.DefinitLargeur(COL_DONNEES, -1);
  cols.MetAJourVoies(true, false);
  cols.RestaureLargeur(COL_ERR_TX2, 33);  // stored widths apply to hidden columns too
  cols.MetAJourVoies(true, true);
  EXPECT_EQ(cols.Largeur(COL_VOIE), 80);
  EXPECT_EQ(cols.Largeur(COL_ERR_TX2), 33);
  EXPECT_EQ(cols.Largeur(COL_DONNEES), 400);
}

}  // namespace
}  // namespace brv
