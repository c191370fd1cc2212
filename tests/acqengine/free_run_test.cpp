// Free-run captures end to end: simulated card, card link, engine, file, reader.

#include <gtest/gtest.h>

#include <algorithm>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;

// Every record equals the delivered frame at the same rank: bytes, status and date.
void expect_matches_truth(const std::vector<Record>& recs, const std::vector<simcard::TruthFrame>& truth,
                          size_t first = 0) {
  ASSERT_LE(first + recs.size(), truth.size());
  const uint64_t base = truth.empty() ? 0 : truth[0].date;
  const uint64_t offset = recs.empty() ? 0 : recs[0].date - (truth[first].date - base);
  for (size_t i = 0; i < recs.size(); ++i) {
    const auto& t = truth[first + i];
    ASSERT_EQ(recs[i].bytes, t.bytes) << "record " << i;
    ASSERT_EQ(recs[i].status, t.status) << "record " << i;
    ASSERT_EQ(recs[i].date, t.date - base + offset) << "record " << i;
  }
}

struct Bus {
  simcard::Speed speed;
  bool worldfip;
};

class EngineEverySpeed : public ::testing::TestWithParam<Bus> {};

TEST_P(EngineEverySpeed, LinearCaptureEndsWhenFullAndEqualsTheGroundTruth) {
  simcard::Scenario sc = fast_scenario("ENGSPD" + std::to_string(static_cast<int>(GetParam().speed)) +
                                       (GetParam().worldfip ? "W" : "F"));
  sc.speed = GetParam().speed;
  sc.worldfip = GetParam().worldfip;
  // The slowest bus has the smallest buffers; it carries some hundred frames a second.
  if (sc.speed == simcard::Speed::k31_25k) sc.max_fps = 20000;
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  constexpr uint64_t kSize = 150000;
  ASSERT_EQ(s.start(s.free_run(kSize)), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), FIN_NORMALE);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, FIN_NORMALE);
  EXPECT_EQ(r.header.enVitesse, static_cast<uint32_t>(GetParam().speed));
  EXPECT_EQ(r.header.bTramesTypeFip, GetParam().worldfip ? 0 : 1);
  EXPECT_NE(r.header.uliDateDetect, 0u);
  // Full: no more than the zone, and the next record would not have fitted.
  EXPECT_LE(r.header.ullLgZonePostTrig, kSize);
  EXPECT_GT(r.header.ullLgZonePostTrig + 300, kSize);
  EXPECT_GT(r.records.size(), 1000u);
  expect_matches_truth(r.records, s.delivered());
}

INSTANTIATE_TEST_SUITE_P(SpeedsAndStandards, EngineEverySpeed,
                         ::testing::Values(Bus{simcard::Speed::k31_25k, false}, Bus{simcard::Speed::k31_25k, true},
                                           Bus{simcard::Speed::k1M, false}, Bus{simcard::Speed::k1M, true},
                                           Bus{simcard::Speed::k2_5M, false}, Bus{simcard::Speed::k2_5M, true},
                                           Bus{simcard::Speed::k5M, false}, Bus{simcard::Speed::k5M, true}));

TEST(EngineFreeRun, UserStopKeepsEveryFrameTheCardSent) {
  EngineSession s(fast_scenario("ENGSTOP1"));
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.start(s.free_run(1ull << 32)), 0u);
  // Long enough for several buffer switches and frames waiting in every stage.
  ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER&) { return s.card->frames_sent() > 30000; }));
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const uint64_t sent = s.card->frames_sent();

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, ARRET_UTILISATEUR);
  EXPECT_EQ(r.records.size(), sent);
  expect_matches_truth(r.records, s.delivered());
  EXPECT_EQ(s.engine.ucEtatRessource(), 0);
}

TEST(EngineFreeRun, DurationEndsNormallyWithEveryFrameUpToIt) {
  EngineSession s(fast_scenario("ENGDUR01"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(1ull << 32);
  p.ini.llDureeZonePostTrig = -3000000;  // 0.3 s
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  const auto elapsed = std::chrono::steady_clock::now() - t0;
  EXPECT_EQ(s.state(), FIN_NORMALE);
  EXPECT_GE(elapsed, 300ms);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, FIN_NORMALE);
  EXPECT_GT(r.records.size(), 1000u);
  expect_matches_truth(r.records, s.delivered());
}

TEST(EngineFreeRun, CircularCaptureWrapsAndReadsFromTheOldestSubBlockToTheLastRecord) {
  simcard::Scenario sc = fast_scenario("ENGCIRC1");
  sc.speed = simcard::Speed::k31_25k;  // small buffers: sub-blocks of 24576 bytes
  sc.max_fps = 20000;
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  constexpr uint64_t kSousBloc = 3 * 2 * 4096;
  // Three sub-blocks and a remainder that the engine cuts off.
  ASSERT_EQ(s.start(s.free_run(3 * kSousBloc + 1000, true)), 0u);
  ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER&) { return s.card->frames_sent() > 15000; }));
  // Stop while the newest data sits in the first sub-block, so the record across the zone end of
  // the last wrap is still in the ring.
  ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER& h) {
    return h.ullLgZonePostTrig == 3 * kSousBloc && h.ullPosTournantFin < h.ullPosZonePostTrig + kSousBloc;
  }));
  EXPECT_EQ(s.state(), ACQ_EN_COURS);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  const ENTETE_FICHIER& h = r.header;
  EXPECT_EQ(h.enEtatAcq, ARRET_UTILISATEUR);
  EXPECT_EQ(h.ulLgBlocTournant, kSousBloc);
  EXPECT_EQ(h.ullLgZonePostTrig, 3 * kSousBloc);  // wrapped: the whole zone
  const uint64_t fin_zone = h.ullPosZonePostTrig + 3 * kSousBloc;

  // The ring holds a run of consecutive frames that ends with the last frame the card sent.
  const auto truth = s.delivered();
  ASSERT_FALSE(r.records.empty());
  const size_t sent = s.card->frames_sent();
  ASSERT_LE(r.records.size(), sent);
  const size_t first = sent - r.records.size();
  expect_matches_truth(r.records, truth, first);
  // At least two sub-blocks' worth survives, and the last wrap is read through: a record split
  // across the zone end, or (when the records happened to fill it exactly) one at its start.
  uint64_t bytes = 0;
  bool split = false, at_start = false;
  for (const Record& rec : r.records) {
    bytes += rec.length;
    split = split || rec.offset + rec.length > fin_zone;
    at_start = at_start || rec.offset == h.ullPosZonePostTrig;
  }
  EXPECT_GE(bytes, 2 * kSousBloc);
  EXPECT_TRUE(split || at_start);
}

// A quiet bus fills neither a buffer nor the write interval for minutes: what it sent still
// reaches the file while the capture runs, the watchdog keeps seeing traffic, and nothing is lost.
TEST(EngineFreeRun, AQuietBusReachesTheFileWhileItRuns) {
  for (const bool circular : {false, true}) {
    SCOPED_TRACE(circular ? "circular" : "linear");
    simcard::Scenario sc = *simcard::preset("clean");
    sc.serial = circular ? "ENGQUIETC" : "ENGQUIETL";
    sc.padding = false;
    sc.cycle_us = 20000;
    sc.variables = {{0x0101, 1, 5, 8}, {0x0102, 2, 10, 16}};
    sc.message_rate = sc.aperiodic_rate = 0;
    EngineSession s(sc);
    ASSERT_EQ(s.connect_result, 0u);
    s.engine.reglages().intervalle_flush = 1ull << 40;
    s.engine.reglages().echeance_trafic = -3000000;  // 0.3 s
    ASSERT_EQ(s.start(s.free_run(circular ? 4u << 20 : 1ull << 32, circular)), 0u);
    ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.ullLgZonePostTrig > 0; }, 10s));
    // A second of traffic with several watchdog periods in it.
    const auto end = std::chrono::steady_clock::now() + 1s;
    while (std::chrono::steady_clock::now() < end) {
      ASSERT_EQ(s.state(), ACQ_EN_COURS);
      std::this_thread::sleep_for(20ms);
    }
    const uint64_t written = s.engine.bytes_written();
    EXPECT_GT(written, 0u);
    ASSERT_EQ(s.engine.stop_acquisition(), 0u);
    const uint64_t sent = s.card->frames_sent();

    const ReadBack r = read_capture(s.path);
    ASSERT_TRUE(r.clean) << r.problem;
    EXPECT_EQ(r.records.size(), sent);
    expect_matches_truth(r.records, s.delivered());
  }
}

TEST(EngineFreeRun, ACircularZoneBelowOneSubBlockIsRefused) {
  EngineSession s(fast_scenario("ENGCIRC2"));
  ASSERT_EQ(s.connect_result, 0u);
  EXPECT_EQ(s.start(s.free_run(3 * 30 * 4096 - 1, true)), VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
}

}  // namespace
}  // namespace brv::test
