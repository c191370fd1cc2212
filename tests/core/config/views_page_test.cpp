// The "Views" page: integration times and chart points brought within their limits, told once.

#include <gtest/gtest.h>

#include "brv_core/config/views_page.h"

namespace brv {
namespace {

TEST(ViewsPage, OutOfRangeValuesBecomeTheirLimits) {
  const struct {
    const char* nombre;
    int unite;
    const char* montre;
    int uniteMontree;
    uint64_t ns;
    bool corrige;
  } cas[] = {
      {"50", 0, "100", 0, 100000000ULL, true},
      {"100", 0, "100", 0, 100000000ULL, false},
      {"2", 2, "2", 2, 120000000000ULL, false},
      {"61", 2, "60", 2, 3600000000000ULL, true},
      {"3600", 1, "3600", 1, 3600000000000ULL, false},
      {"3601", 1, "60", 2, 3600000000000ULL, true},
      {"", 1, "100", 0, 100000000ULL, true},
      {"99999999999999999999", 2, "60", 2, 3600000000000ULL, true},
  };
  for (const auto& c : cas) {
    SaisiePageVues s = SaisiePageVuesDe(ConfigVues{});
    s.configReseau = {c.nombre, c.unite};
    ConfigVues v;
    EXPECT_EQ(VerifiePageVues(s, v), c.corrige) << c.nombre;
    EXPECT_EQ(s.configReseau.nombre, c.montre) << c.nombre;
    EXPECT_EQ(s.configReseau.unite, c.uniteMontree) << c.nombre;
    EXPECT_EQ(v.configReseau.ullNs, c.ns) << c.nombre;
    // The corrected page passes the second time.
    EXPECT_FALSE(VerifiePageVues(s, v)) << c.nombre;
  }
}

TEST(ViewsPage, ChartPoints) {
  const struct {
    const char* tape;
    const char* montre;
    uint16_t retenu;
  } cas[] = {{"5", "10", 10}, {"10", "10", 10}, {"6000", "6000", 6000}, {"10000", "6000", 6000}, {"", "10", 10}};
  for (const auto& c : cas) {
    SaisiePageVues s = SaisiePageVuesDe(ConfigVues{});
    s.nbPoints = c.tape;
    s.ouvertureAuto = true;
    ConfigVues v;
    EXPECT_EQ(VerifiePageVues(s, v), std::string(c.tape) != c.montre) << c.tape;
    EXPECT_EQ(s.nbPoints, c.montre);
    EXPECT_EQ(v.usNbPointsMemorises, c.retenu);
    EXPECT_EQ(v.bOuvertureAuto, 1u);
  }
}

TEST(PaddingPage, AnotherIdentifierForTheDisplay) {
  TripletBourrage b{1, 0x9080, 0};
  EXPECT_EQ(VerifiePageBourrage(true, "", b), kMsgBourrageRecalcul);
  EXPECT_EQ(VerifiePageBourrage(true, "12345", b), kMsgBourrageRecalcul);
  EXPECT_EQ(b, (TripletBourrage{1, 0x9080, 0}));
  EXPECT_FALSE(VerifiePageBourrage(true, "9002", b));
  EXPECT_EQ(b, (TripletBourrage{1, 0x9002, 0}));
  EXPECT_FALSE(VerifiePageBourrage(false, "9002", b));
  EXPECT_EQ(b, TripletBourrage{});
}

}  // namespace
}  // namespace brv
