#include "brv_core/decode/crc.h"

#include <gtest/gtest.h>

#include "outils_trame.h"

namespace brv {
namespace {

const uint8_t kControle[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST(CrcTrame, CheckValuesOfBothFramings) {
  DescriptionCapture fip;
  fip.bTramesTypeFip = 1;
  DescriptionCapture worldFip;
  worldFip.bTramesTypeFip = 0;
  EXPECT_EQ(CDecodageTrame(fip).CalculeCrc(9, kControle), 0xCE3C);
  EXPECT_EQ(CDecodageTrame(worldFip).CalculeCrc(9, kControle), 0xA819);
  // The reference used to build test frames agrees with the pinned values.
  EXPECT_EQ(test::CrcReference(true, kControle, 9), 0xCE3C);
  EXPECT_EQ(test::CrcReference(false, kControle, 9), 0xA819);
}

TEST(CrcTrame, TablesAgreeWithBitwiseComputation) {
  test::Octets donnees(300);
  uint32_t x = 12345;
  for (auto& o : donnees) {
    x = x * 1103515245u + 12345u;
    o = static_cast<uint8_t>(x >> 16);
  }
  for (size_t n : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 128u, 263u, 300u}) {
    EXPECT_EQ(CrcTrame(true, donnees.data(), n), test::CrcReference(true, donnees.data(), n)) << n;
    EXPECT_EQ(CrcTrame(false, donnees.data(), n), test::CrcReference(false, donnees.data(), n)) << n;
  }
}

TEST(CrcTrame, VerifieCrcReadsTheLastTwoBytesMostSignificantFirst) {
  DescriptionCapture fip;
  CDecodageTrame d(fip);
  uint8_t trame[] = {0x03, 0x90, 0x02, 0x9E, 0x06};
  uint16_t calcule = 0;
  EXPECT_TRUE(d.VerifieCrc(5, trame, calcule));
  EXPECT_EQ(calcule, 0x9E06);

  std::swap(trame[3], trame[4]);
  calcule = 0;
  EXPECT_FALSE(d.VerifieCrc(5, trame, calcule));
  EXPECT_EQ(calcule, 0x9E06);
}

}  // namespace
}  // namespace brv
