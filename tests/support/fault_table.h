#pragma once
// The fault-injection tables' report: one markdown row per case, appended to the file that
// BRV_FAULT_TABLE names (nothing when it is unset), from which docs/reliability.md takes its table.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace brv::test {

struct FaultRow {
  std::string mode, speed, fault, moment, end, kept;
  uint64_t seed = 0;
};

// Call at the end of a case: its outcome is whether the case has failed so far.
inline void report_fault_row(const FaultRow& r) {
  const char* path = std::getenv("BRV_FAULT_TABLE");
  if (!path || !*path) return;
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::ofstream out(path, std::ios::app);
  out << "| " << r.mode << " | " << r.speed << " | " << r.fault << " | " << r.moment << " | " << r.end << " | "
      << r.kept << " | " << (::testing::Test::HasFailure() ? "**red**" : "green") << " | `" << info->test_suite_name()
      << "." << info->name() << "` " << r.seed << " |\n";
}

// The seed of a case: BRV_FAULT_SEED when set, so that a failing case can be replayed, else the
// case's own default.
inline uint64_t fault_seed(uint64_t own) {
  const char* s = std::getenv("BRV_FAULT_SEED");
  return s && *s ? std::strtoull(s, nullptr, 10) : own;
}

}  // namespace brv::test
