#pragma once
// Local FILETIME: 100 ns units since 1601-01-01 of the local wall clock, the time
// base of acquisition files. Conversions back to calendar fields apply no time zone.

#include <cstdint>

namespace brv::platform {

// 100 ns units between 1601-01-01 and 1970-01-01.
inline constexpr uint64_t kFiletimeUnixEpoch = 116444736000000000ULL;
inline constexpr uint64_t kFiletimeTicksPerSecond = 10000000ULL;

struct CalendarFields {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The local wall clock now, as a local FILETIME.
uint64_t local_filetime_now();

// Splits a FILETIME into calendar fields without any time-zone conversion.
// Fails (returns false) for values beyond year 30827, like the system call it stands for.
bool filetime_to_fields(uint64_t filetime, CalendarFields& out);

// The reverse, for tests and for writers of sample captures.
bool fields_to_filetime(const CalendarFields& in, uint64_t& filetime);

}  // namespace brv::platform
