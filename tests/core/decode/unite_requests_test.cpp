#include "brv_core/decode/unite_requests.h"

#include <gtest/gtest.h>

#include <set>

#include "brv_core/decode/frame_types.h"

namespace brv {
namespace {

TEST(UniteRequests, ReportsAreNamedByRequestCodePlus30) {
  EXPECT_EQ(NomCompteRenduUniTe(0x30), "READ_INTERNAL_BIT");  // not PROTOCOL_VERSION
  EXPECT_EQ(NomCompteRenduUniTe(0x34), "READ_INTERNAL_WORD");
  EXPECT_EQ(NomCompteRenduUniTe(0xFE), "Success");
  EXPECT_EQ(NomCompteRenduUniTe(0xFD), "Failure");
  EXPECT_EQ(NomCompteRenduUniTe(0x0F), "");
  EXPECT_EQ(NomRequeteUniTe(0x02), "");
  // FAH + 30H does not wrap onto 2AH.
  EXPECT_EQ(NomCompteRenduUniTe(0x2A), "");
}

TEST(UniteRequests, MirrorReportOnlyWhenAsked) {
  EXPECT_EQ(NomCompteRenduUniTe(0xFB), "");
  EXPECT_EQ(NomCompteRenduUniTe(0xFB, true), "MIRROR");
  EXPECT_EQ(NomCompteRenduUniTe(0xFE, true), "Success");
}

TEST(UniteRequests, EveryEntryIsReachable) {
  std::set<uint8_t> codes;
  for (const RequeteUniTe& r : kRequetesUniTe) {
    codes.insert(r.ucCode);
    EXPECT_EQ(NomRequeteUniTe(r.ucCode), r.nom);
    if (r.ucCode + 0x30 <= 0xFF) {
      EXPECT_EQ(NomCompteRenduUniTe(static_cast<uint8_t>(r.ucCode + 0x30)), r.nom);
    }
  }
  EXPECT_EQ(codes.size(), 40u);
}

TEST(FrameTypes, IndexCoversExactlyTheTableInOrder) {
  int connus = 0;
  for (unsigned c = 0; c < 256; ++c) {
    const TypeTrame* t = TypeTrameDe(static_cast<uint8_t>(c));
    if (t == nullptr) {
      EXPECT_EQ(RangTypeTrame(static_cast<uint8_t>(c)), -1);
      continue;
    }
    ++connus;
    EXPECT_EQ(t->ucControle, c);
    EXPECT_EQ(&kTypesTrame[static_cast<size_t>(RangTypeTrame(static_cast<uint8_t>(c)))], t);
  }
  EXPECT_EQ(connus, 20);
  EXPECT_EQ(kTypesTrame.front().nom, "ID_DAT");
  EXPECT_EQ(kTypesTrame.back().nom, "RP_FIN");
  EXPECT_TRUE(EstReponseDonnee(0x2E));
  EXPECT_FALSE(EstReponseDonnee(0x28));
}

}  // namespace
}  // namespace brv
