#include "brv_platform/filetime.h"

#include <chrono>
#include <ctime>

namespace brv::platform {
namespace {

// Days from 1970-01-01 to a proleptic Gregorian date, and back (H. Hinnant's algorithms).
constexpr int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

constexpr void civil_from_days(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

constexpr int64_t kDaysFrom1601To1970 = 134774;
constexpr uint64_t kTicksPerDay = 86400ULL * kFiletimeTicksPerSecond;
constexpr uint64_t kMaxFiletime = 0x7FFFFFFFFFFFFFFFULL;  // the system refuses larger values

}  // namespace

uint64_t local_filetime_now() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const int64_t ticks = duration_cast<nanoseconds>(now.time_since_epoch()).count() / 100;
  const std::time_t secs = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&secs, &local);
  const int64_t offset = static_cast<int64_t>(local.tm_gmtoff) * static_cast<int64_t>(kFiletimeTicksPerSecond);
  return static_cast<uint64_t>(ticks + offset) + kFiletimeUnixEpoch;
}

bool filetime_to_fields(uint64_t filetime, CalendarFields& out) {
  if (filetime > kMaxFiletime) return false;
  const int64_t days = static_cast<int64_t>(filetime / kTicksPerDay);
  uint64_t rest = filetime % kTicksPerDay;
  int64_t y = 0;
  unsigned m = 0, d = 0;
  civil_from_days(days - kDaysFrom1601To1970, y, m, d);
  out.year = static_cast<int>(y);
  out.month = static_cast<int>(m);
  out.day = static_cast<int>(d);
  out.hour = static_cast<int>(rest / (3600ULL * kFiletimeTicksPerSecond));
  rest %= 3600ULL * kFiletimeTicksPerSecond;
  out.minute = static_cast<int>(rest / (60ULL * kFiletimeTicksPerSecond));
  rest %= 60ULL * kFiletimeTicksPerSecond;
  out.second = static_cast<int>(rest / kFiletimeTicksPerSecond);
  rest %= kFiletimeTicksPerSecond;
  out.millisecond = static_cast<int>(rest / 10000ULL);
  return true;
}

bool fields_to_filetime(const CalendarFields& in, uint64_t& filetime) {
  if (in.year < 1601 || in.year > 30827 || in.month < 1 || in.month > 12 || in.day < 1 || in.day > 31 ||
      in.hour < 0 || in.hour > 23 || in.minute < 0 || in.minute > 59 || in.second < 0 || in.second > 59 ||
      in.millisecond < 0 || in.millisecond > 999) {
    return false;
  }
  const int64_t days = days_from_civil(in.year, static_cast<unsigned>(in.month), static_cast<unsigned>(in.day)) +
                       kDaysFrom1601To1970;
  filetime = static_cast<uint64_t>(days) * kTicksPerDay +
             static_cast<uint64_t>(in.hour) * 3600ULL * kFiletimeTicksPerSecond +
             static_cast<uint64_t>(in.minute) * 60ULL * kFiletimeTicksPerSecond +
             static_cast<uint64_t>(in.second) * kFiletimeTicksPerSecond +
             static_cast<uint64_t>(in.millisecond) * 10000ULL;
  return true;
}

}  // namespace brv::platform
