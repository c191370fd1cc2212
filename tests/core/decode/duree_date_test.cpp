#include <gtest/gtest.h>

#include <limits>

#include "brv_core/decode/decodage_trame.h"
#include "brv_platform/filetime.h"

namespace brv {
namespace {

constexpr int64_t kUs = 1000;
constexpr int64_t kMs = 1000 * kUs;
constexpr int64_t kS = 1000 * kMs;

struct CasDuree {
  int64_t ns;
  const char* texte;
};

std::string Courte(int64_t ns) {
  std::string t = "old";
  CDecodageTrame::FormateDureeCourte(ns, t);
  return t;
}

std::string Longue(int64_t ns) {
  std::string t = "old";
  CDecodageTrame::FormateDuree(ns, t);
  return t;
}

TEST(DureeFormat, ShortRuleLevelsAndInclusiveThresholds) {
  const CasDuree cas[] = {
      {0, "0µs"},
      {123, "0.123µs"},
      {999 * kUs, "999µs"},
      {kMs, "1ms"},
      {1234567, "1.2346ms"},
      {999 * kMs, "999ms"},
      {kS, "1s"},
      {59 * kS + 500 * kMs, "59.5s"},
      {60 * kS, "1mn 0s"},
      {61 * kS + 500 * kMs, "1mn 1.5s"},
      {3600 * kS, "1h 0mn 0s"},
      {3723 * kS + 500 * kMs, "1h 2mn 3.5s"},
      {90000 * kS, "25h 0mn 0s"},
      {-1, "unknown"},
      {std::numeric_limits<int64_t>::min(), "unknown"},
  };
  for (const CasDuree& c : cas) EXPECT_EQ(Courte(c.ns), c.texte) << c.ns;
}

TEST(DureeFormat, LongRuleAddsDaysAndSign) {
  const CasDuree cas[] = {
      {90000 * kS, "1d 1h 0.00mn"},
      {86400 * kS, "1d 0h 0.00mn"},
      {2 * 86400 * kS + 3 * 3600 * kS + 90 * kS, "2d 3h 1.50mn"},
      {86399 * kS, "23h 59mn 59s"},
      {3723 * kS + 500 * kMs, "1h 2mn 3.5s"},
      {-2 * kMs, "-2ms"},
      {-90000 * kS, "-1d 1h 0.00mn"},
      {0, "0µs"},
  };
  for (const CasDuree& c : cas) EXPECT_EQ(Longue(c.ns), c.texte) << c.ns;
  const std::string extreme = Longue(std::numeric_limits<int64_t>::min());
  EXPECT_EQ(extreme.rfind("-106751d ", 0), 0u) << extreme;
}

class DureeCapture : public ::testing::Test {
 protected:
  DescriptionCapture capture_;
  CDecodageTrame decodeur_{capture_};
};

TEST_F(DureeCapture, SpeedFactors) {
  struct Cas {
    uint32_t vitesse;
    uint64_t facteur;
    const char* dixUnites;
  };
  const Cas cas[] = {
      {0, 3200, "32µs"}, {1, 100, "1µs"}, {2, 40, "0.4µs"}, {3, 20, "0.2µs"}, {7, 100, "1µs"},
  };
  for (const Cas& c : cas) {
    capture_.enVitesse = c.vitesse;
    EXPECT_EQ(decodeur_.FacteurNs(), c.facteur);
    std::string t;
    EXPECT_EQ(decodeur_.FormateDateRel(10, false, &t), static_cast<int64_t>(10 * c.facteur));
    EXPECT_EQ(t, c.dixUnites);
  }
}

TEST_F(DureeCapture, RelativeDate) {
  capture_.enVitesse = 1;
  std::string t;
  EXPECT_EQ(decodeur_.FormateDateRel(10'000'000, false, &t), kS);
  EXPECT_EQ(t, "1s");
  EXPECT_EQ(decodeur_.FormateDateRel(10'000, true, &t), kMs);
  EXPECT_EQ(t, "- 1ms");
  EXPECT_EQ(decodeur_.FormateDateRel(25, false, nullptr), 2500);
}

TEST_F(DureeCapture, InterFrameTimeStartsAtTheEndOfThePreviousFrame) {
  capture_.enVitesse = 1;  // one bit = 1000 ns
  std::string t;
  decodeur_.FormateInterTrame(1000, 5, t);  // 100 µs - 61 bits
  EXPECT_EQ(t, "39µs");
  capture_.bTramesTypeFip = 0;
  decodeur_.FormateInterTrame(1000, 5, t);  // 100 µs - 64 bits
  EXPECT_EQ(t, "36µs");
  EXPECT_EQ(decodeur_.DureeTrameBits(265, 32000), int64_t{24 + 8 * 265} * 32000);
  decodeur_.FormateInterTrame(600, 5, t);
  EXPECT_EQ(t, "unknown");
  capture_.enVitesse = 0;  // one bit = 32 µs
  capture_.bTramesTypeFip = 1;
  decodeur_.FormateInterTrame(10 * (21 + 8 * 5) + 10, 5, t);
  EXPECT_EQ(t, "32µs");
}

class DateFormat : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::CalendarFields debut;
    debut.year = 2024;
    debut.month = 3;
    debut.day = 5;
    debut.hour = 10;
    debut.minute = 20;
    debut.second = 30;
    ASSERT_TRUE(platform::fields_to_filetime(debut, capture_.uliDateDetect));
    capture_.enVitesse = 1;
  }
  std::string Abs(uint64_t date, bool avant) {
    std::string t = "old";
    decodeur_.FormateDateAbs(date, avant, t);
    return t;
  }
  DescriptionCapture capture_;
  CDecodageTrame decodeur_{capture_};
};

TEST_F(DateFormat, MonthBeforeDayAndAvantSubtracts) {
  EXPECT_EQ(Abs(0, false), "10h20mn30s the 3/5/2024");
  EXPECT_EQ(Abs(10'000'000, false), "10h20mn31s the 3/5/2024");
  EXPECT_EQ(Abs(10'000'000, true), "10h20mn29s the 3/5/2024");
  EXPECT_EQ(Abs(11 * 3600 * 10'000'000ULL, true), "23h20mn30s the 3/4/2024");
  // 9 999 999 units at 1 Mbit/s fall short of a whole second.
  EXPECT_EQ(Abs(9'999'999, false), "10h20mn30s the 3/5/2024");
}

TEST_F(DateFormat, SpeedFactorApplies) {
  capture_.enVitesse = 0;
  EXPECT_EQ(Abs(312'500, false), "10h20mn31s the 3/5/2024");  // 312 500 x 3.2 µs = 1 s
}

TEST_F(DateFormat, EmptyWhenTheConversionFails) {
  capture_.uliDateDetect = 0;
  EXPECT_EQ(Abs(10, true), "");
  capture_.uliDateDetect = std::numeric_limits<uint64_t>::max() - 5;
  EXPECT_EQ(Abs(0, false), "");
}

}  // namespace
}  // namespace brv
