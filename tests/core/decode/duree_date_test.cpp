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

// The texts of the floating-point rule (printf's %g of the durations as doubles) at the edges of
// its rounding: ties, level thresholds, counts beyond 2^53, remainders below the double's precision.
TEST(DureeFormat, SameTextsAsTheFloatingPointRule) {
  struct Cas {
    int64_t ns;
    const char* courte;
    const char* longue;
  };
  const Cas cas[] = {
      {0, "0µs", "0µs"},
      {1, "0.001µs", "0.001µs"},
      {5, "0.005µs", "0.005µs"},
      {123, "0.123µs", "0.123µs"},
      {999, "0.999µs", "0.999µs"},
      {1000, "1µs", "1µs"},
      {9999, "9.999µs", "9.999µs"},
      {12345, "12.35µs", "12.35µs"},
      {12355, "12.36µs", "12.36µs"},
      {99995, "100µs", "100µs"},
      {99999, "100µs", "100µs"},
      {100000, "100µs", "100µs"},
      {123450, "123.5µs", "123.5µs"},
      {999949, "999.9µs", "999.9µs"},
      {999950, "1000µs", "1000µs"},
      {999999, "1000µs", "1000µs"},
      {1000000, "1ms", "1ms"},
      {1234550, "1.2346ms", "1.2346ms"},
      {9999950, "10ms", "10ms"},
      {10000000, "10ms", "10ms"},
      {12345500, "12.345ms", "12.345ms"},
      {99999500, "99.999ms", "99.999ms"},
      {999995000, "1000ms", "1000ms"},
      {999999999, "1000ms", "1000ms"},
      {1000000000, "1s", "1s"},
      {1234567500, "1.234568s", "1.234568s"},
      {9999999500, "9.999999s", "9.999999s"},
      {59999995000, "60s", "60s"},
      {59999999999, "60s", "60s"},
      {60000000000, "1mn 0s", "1mn 0s"},
      {60000000001, "1mn 1.000004e-09s", "1mn 1.000004e-09s"},
      {60000000123, "1mn 1.23e-07s", "1mn 1.23e-07s"},
      {61500000000, "1mn 1.5s", "1mn 1.5s"},
      {3599999999999, "59mn 60s", "59mn 60s"},
      {3600000000000, "1h 0mn 0s", "1h 0mn 0s"},
      {3600000000123, "1h 0mn 1.230001e-07s", "1h 0mn 1.230001e-07s"},
      {3600000500000, "1h 0mn 0.0005s", "1h 0mn 0.0005s"},
      {3723500000000, "1h 2mn 3.5s", "1h 2mn 3.5s"},
      {86399999999999, "23h 59mn 60s", "23h 59mn 60s"},
      {86400000000000, "24h 0mn 0s", "1d 0h 0.00mn"},
      {86407500000000, "24h 0mn 7.5s", "1d 0h 0.12mn"},
      {90000000000000, "25h 0mn 0s", "1d 1h 0.00mn"},
      {9007199254740991, "2501h 59mn 59.25474s", "104d 5h 59.99mn"},
      {9007199254740992, "2501h 59mn 59.25474s", "104d 5h 59.99mn"},
      {9007199254740993, "2501h 59mn 59.25474s", "104d 5h 59.99mn"},
      {4611686018427387904, "1281023h 53mn 38.42739s", "53375d 23h 53.64mn"},
      {std::numeric_limits<int64_t>::max(), "2562047h 47mn 16.85477s", "106751d 23h 47.28mn"},
      {-1, "unknown", "-0.001µs"},
      {-2000000, "unknown", "-2ms"},
      {-90000000000000, "unknown", "-1d 1h 0.00mn"},
      {std::numeric_limits<int64_t>::min(), "unknown", "-106751d 23h 47.28mn"},
  };
  for (const Cas& c : cas) {
    EXPECT_EQ(Courte(c.ns), c.courte) << c.ns;
    EXPECT_EQ(Longue(c.ns), c.longue) << c.ns;
  }
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

TEST_F(DureeCapture, SameTextsAsTheFloatingPointRuleAtEverySpeed) {
  struct CasDate {
    uint32_t vitesse;
    uint64_t date;
    bool negatif;
    const char* texte;
  };
  const CasDate dates[] = {
      {0, 1ULL, false, "3.2µs"},
      {0, 312499ULL, false, "1000ms"},
      {0, 1234567ULL, true, "- 3.950614s"},
      {0, 1125899906842624ULL, false, "1000799h 55mn 1.896397s"},
      {1, 1ULL, false, "0.1µs"},
      {1, 312499ULL, false, "31.25ms"},
      {1, 1234567ULL, true, "- 123.46ms"},
      {1, 1125899906842624ULL, false, "31274h 59mn 50.68426s"},
      {2, 1ULL, false, "0.04µs"},
      {2, 312499ULL, false, "12.5ms"},
      {2, 1234567ULL, true, "- 49.383ms"},
      {2, 1125899906842624ULL, false, "12509h 59mn 56.2737s"},
      {3, 1ULL, false, "0.02µs"},
      {3, 312499ULL, false, "6.25ms"},
      {3, 1234567ULL, true, "- 24.691ms"},
      {3, 1125899906842624ULL, false, "6254h 59mn 58.13685s"},
      {7, 1ULL, false, "0.1µs"},
      {7, 312499ULL, false, "31.25ms"},
      {7, 1234567ULL, true, "- 123.46ms"},
      {7, 1125899906842624ULL, false, "31274h 59mn 50.68426s"},
  };
  std::string t;
  for (const CasDate& c : dates) {
    capture_.enVitesse = c.vitesse;
    decodeur_.FormateDateRel(c.date, c.negatif, &t);
    EXPECT_EQ(t, c.texte) << c.vitesse << " " << c.date;
  }
  struct CasEcart {
    uint32_t vitesse;
    uint32_t fip;
    uint64_t ecart;
    uint16_t lenPrecedente;
    const char* texte;
  };
  const CasEcart ecarts[] = {
      {0, 1, 123457, 265, "326.55ms"},
      {0, 0, 700, 5, "192µs"},
      {1, 1, 123457, 265, "10.205ms"},
      {1, 0, 700, 5, "6µs"},
      {2, 1, 123457, 265, "4.0819ms"},
      {2, 0, 700, 5, "2.4µs"},
      {3, 1, 123457, 265, "2.0409ms"},
      {3, 0, 700, 5, "1.2µs"},
      {7, 1, 123457, 265, "10.205ms"},
      {7, 0, 700, 5, "6µs"},
  };
  for (const CasEcart& c : ecarts) {
    capture_.enVitesse = c.vitesse;
    capture_.bTramesTypeFip = c.fip;
    decodeur_.FormateInterTrame(c.ecart, c.lenPrecedente, t);
    EXPECT_EQ(t, c.texte) << c.vitesse << " " << c.fip << " " << c.ecart;
  }
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
  // A date that went backwards arrives as a wrapped difference, and the largest ones of a damaged
  // file as gaps beyond the nanosecond range: unknown, never an overflow.
  for (const uint64_t ecart : {~uint64_t{0}, uint64_t{1} << 63, uint64_t{INT64_MAX} / decodeur_.FacteurNs() + 1}) {
    decodeur_.FormateInterTrame(ecart, 5, t);
    EXPECT_EQ(t, "unknown") << ecart;
  }
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
