// Free-run captures end to end: simulated card, card link, engine, file, reader.

#include <gtest/gtest.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;

// Every record equals the delivered frame at the same rank: bytes, status and date.
void expect_matches_truth(const std::vector<Record>& recs, const std::vector<simcard::TruthFrame>& truth) {
  ASSERT_LE(recs.size(), truth.size());
  const uint64_t base = truth.empty() ? 0 : truth[0].date;
  for (size_t i = 0; i < recs.size(); ++i) {
    ASSERT_EQ(recs[i].bytes, truth[i].bytes) << "record " << i;
    ASSERT_EQ(recs[i].status, truth[i].status) << "record " << i;
    ASSERT_EQ(recs[i].date, truth[i].date - base) << "record " << i;
  }
}

TEST(EngineFreeRun, LinearCaptureEndsWhenTheZoneIsFullAndEqualsTheGroundTruth) {
  EngineSession s(fast_scenario("ENGLIN01"));
  ASSERT_EQ(s.connect_result, 0u);
  constexpr uint64_t kSize = 200000;
  ASSERT_EQ(s.start(s.free_run(kSize)), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), FIN_NORMALE);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, FIN_NORMALE);
  EXPECT_LE(r.header.ullLgZonePostTrig, kSize);
  EXPECT_GE(r.header.ullLgZonePostTrig + 10 + 300, kSize);
  EXPECT_GT(r.records.size(), 1000u);
  expect_matches_truth(r.records, s.delivered());
}

}  // namespace
}  // namespace brv::test
