#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include <brv_platform/filetime.h>
#include <brv_platform/trace.h>

namespace brv::platform {
namespace {

TEST(Trace, InstalledSinkReceivesEveryLine) {
  std::vector<std::string> lines;
  auto previous = set_trace_sink([&](std::string_view l) { lines.emplace_back(l); });
  EXPECT_TRUE(trace_enabled());
  trace("KESTRIN: one");
  trace("KESTRIN: two");
  set_trace_sink(std::move(previous));
  trace("not captured");
  EXPECT_EQ(lines, (std::vector<std::string>{"KESTRIN: one", "KESTRIN: two"}));
}

struct DateCase {
  uint64_t filetime;
  CalendarFields fields;
};

TEST(Filetime, CalendarFieldsBothWays) {
  const DateCase cases[] = {
      {0, {1601, 1, 1, 0, 0, 0, 0}},
      {kFiletimeUnixEpoch, {1970, 1, 1, 0, 0, 0, 0}},
      // 2024-02-29 23:59:59.999: leap day, last millisecond.
      {kFiletimeUnixEpoch + (1709251199ULL * 1000 + 999) * 10000, {2024, 2, 29, 23, 59, 59, 999}},
      {kFiletimeUnixEpoch + 4102444800ULL * kFiletimeTicksPerSecond, {2100, 1, 1, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    CalendarFields f;
    ASSERT_TRUE(filetime_to_fields(c.filetime, f));
    EXPECT_EQ(f.year, c.fields.year);
    EXPECT_EQ(f.month, c.fields.month);
    EXPECT_EQ(f.day, c.fields.day);
    EXPECT_EQ(f.hour, c.fields.hour);
    EXPECT_EQ(f.minute, c.fields.minute);
    EXPECT_EQ(f.second, c.fields.second);
    EXPECT_EQ(f.millisecond, c.fields.millisecond);
    uint64_t back = 1;
    ASSERT_TRUE(fields_to_filetime(c.fields, back));
    EXPECT_EQ(back, c.filetime);
  }
}

TEST(Filetime, RefusesWhatTheSystemCallRefuses) {
  CalendarFields f;
  EXPECT_FALSE(filetime_to_fields(0x8000000000000000ULL, f));
  uint64_t ft = 0;
  EXPECT_FALSE(fields_to_filetime({1600, 12, 31, 0, 0, 0, 0}, ft));
  EXPECT_FALSE(fields_to_filetime({2024, 13, 1, 0, 0, 0, 0}, ft));
}

TEST(Filetime, NowIsLocalWallClock) {
  const std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  CalendarFields f;
  ASSERT_TRUE(filetime_to_fields(local_filetime_now(), f));
  // Same local calendar day and hour, unless the clock ticked over between the two reads.
  const bool same = f.year == local.tm_year + 1900 && f.month == local.tm_mon + 1 && f.day == local.tm_mday &&
                    f.hour == local.tm_hour;
  const bool rolled = f.minute == 0 && f.second < 2;
  EXPECT_TRUE(same || rolled);
}

}  // namespace
}  // namespace brv::platform
