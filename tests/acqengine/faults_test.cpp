// Line faults, card faults and the ends they cause, end to end on the simulated card.

#include <gtest/gtest.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;
using simcard::Fault;

bool is_marker(const Record& r, uint8_t b) { return r.bytes.size() == 2 && r.bytes[0] == b && r.bytes[1] == b; }

// The records are the delivered frames with an FC FC marker before the last frame delivered ahead
// of each run of dropped ones; returns the number of markers.
size_t expect_delivered_with_markers(const ReadBack& r, const std::vector<simcard::TruthFrame>& all, size_t min_records) {
  std::vector<simcard::TruthFrame> expected;
  std::vector<size_t> rank;  // position in the ground truth; SIZE_MAX for the marker
  for (size_t i = 0; i < all.size(); ++i) {
    if (!all[i].delivered) continue;
    if (i + 1 < all.size() && !all[i + 1].delivered) {
      expected.push_back(simcard::TruthFrame{{0xFC, 0xFC}, 0, all[i].date, true});
      rank.push_back(SIZE_MAX);
    }
    expected.push_back(all[i]);
    rank.push_back(i);
  }
  EXPECT_LE(r.records.size(), expected.size());
  EXPECT_GT(r.records.size(), min_records);
  size_t markers = 0;
  bool dates_shifted = false;
  for (size_t i = 0; i < std::min(r.records.size(), expected.size()); ++i) {
    if (r.records[i].bytes != expected[i].bytes || r.records[i].status != expected[i].status) {
      ADD_FAILURE() << "record " << i << " is not the frame delivered there";
      return markers;
    }
    // Dropped frames take their time with them: dates match up to the marker, then keep their spacing.
    if (!dates_shifted) {
      EXPECT_EQ(r.records[i].date, expected[i].date - all[0].date) << "record " << i;
    } else if (rank[i - 1] != SIZE_MAX && rank[i] == rank[i - 1] + 1) {
      EXPECT_EQ(r.records[i].date - r.records[i - 1].date, expected[i].date - expected[i - 1].date) << "record " << i;
    }
    if (is_marker(r.records[i], 0xFC)) {
      ++markers;
      EXPECT_EQ(r.records[i].status, 0);
      if (i + 1 < r.records.size()) {
        EXPECT_EQ(r.records[i].date, r.records[i + 1].date);
      }
      dates_shifted = true;
    }
  }
  return markers;
}

// A free run of 400000 bytes to its end, read back; the test fails at once when it cannot be read.
ReadBack full_free_run(EngineSession& s) {
  EXPECT_EQ(s.connect_result, 0u);
  EXPECT_EQ(s.start(s.free_run(400000)), 0u);
  EXPECT_TRUE(s.wait_final());
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
  ReadBack r = read_capture(s.path);
  if (!r.clean) ADD_FAILURE() << r.problem;
  return r;
}

TEST(EngineFaults, OverflowMarkerGlitchesDelimitersAndChannelErrorsAreRecorded) {
  simcard::Scenario sc = fast_scenario("ENGFLT01");
  sc.faults[Fault::Glitch].at = {1000};
  sc.faults[Fault::BadDelimiter].at = {2000, 2001};
  sc.faults[Fault::TxErrorCh1].at = {3000};
  sc.faults[Fault::TxErrorCh2].at = {3100};
  sc.faults[Fault::FifoOverflow].at = {5000};
  EngineSession s(sc);
  ReadBack r;
  ASSERT_NO_FATAL_FAILURE(r = full_free_run(s));
  EXPECT_EQ(expect_delivered_with_markers(r, s.card->ground_truth(), 5100), 1u);
  size_t glitches = 0, delimiters = 0, tx1 = 0, tx2 = 0;
  for (const Record& rec : r.records) {
    if (is_marker(rec, 0xFD)) glitches += (rec.status & STATUT_GLITCH) != 0;
    if (is_marker(rec, 0xFE)) delimiters += (rec.status & (STATUT_DELIMITEUR_1 | STATUT_DELIMITEUR_2)) != 0;
    tx1 += (rec.status & STATUT_ERR_TX_VOIE1) != 0;
    tx2 += (rec.status & STATUT_ERR_TX_VOIE2) != 0;
  }
  EXPECT_EQ(glitches, 1u);
  EXPECT_EQ(delimiters, 2u);
  EXPECT_EQ(tx1, 1u);
  EXPECT_EQ(tx2, 1u);
}

// An event frame that never reached the engine (a gap in its counter) loses its bus frames: the
// capture marks the place as after an overflow, and the frames after it are all kept.
TEST(EngineFaults, MissingEventFramesAreMarkedWhereTheirFramesAreMissing) {
  struct Case {
    const char* name;
    std::vector<uint64_t> lost_at;  // bus frames whose event frame is never sent
    size_t markers;
  };
  const std::vector<Case> cases{
      {"one event", {5000}, 1},
      {"two events apart", {3000, 9000}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    simcard::Scenario sc = fast_scenario("ENGLOST1");
    sc.faults[Fault::LostEvent].at = c.lost_at;
    EngineSession s(sc);
    ReadBack r;
    ASSERT_NO_FATAL_FAILURE(r = full_free_run(s));
    EXPECT_EQ(expect_delivered_with_markers(r, s.card->ground_truth(), 10000), c.markers);
  }
}

TEST(EngineFaults, SilenceLongerThanTheWatchdogWaitsForTrafficThenResumes) {
  simcard::Scenario sc = *simcard::preset("clean");
  sc.serial = "ENGWDOG1";
  sc.pacing = simcard::Pacing::RealTime;
  sc.interruption_ms = 1500;
  sc.faults[Fault::Interruption].at = {3000};
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  // Small buffers switch often enough at this pace for a short watchdog to see the traffic.
  s.engine.reglages().lgp_buffer_acq = 1;
  s.engine.reglages().echeance_trafic = -3000000;  // 0.3 s
  s.engine.reglages().intervalle_flush = 500000;   // 50 ms of bus time at 1 Mbit/s
  ASSERT_EQ(s.start(s.free_run(1ull << 32)), 0u);
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ACQ_EN_COURS; }));
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ATTENTE_RETRAFIC; }));
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ACQ_EN_COURS; }));
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  ASSERT_GT(r.records.size(), 3001u);
  // The frame after the silence: bit 3, and a date from the PC clock that spans the silence.
  const Record& after = r.records[3000];
  EXPECT_TRUE(after.status & STATUT_INTERRUPTION_TRAFIC);
  const uint64_t gap = after.date - r.records[2999].date;
  EXPECT_GT(gap, 10000000u);  // more than 1 s in tenths of a bit time at 1 Mbit/s
  EXPECT_LT(gap, 30000000u);
  for (size_t i = 0; i < r.records.size(); ++i) {
    if (i != 3000) {
      EXPECT_FALSE(r.records[i].status & STATUT_INTERRUPTION_TRAFIC) << i;
    }
  }
}

TEST(EngineFaults, AFileThreadHeldUpEndsWithBufferOverflowAndAReadableFile) {
  simcard::Scenario sc = fast_scenario("ENGHOLD1");
  sc.max_fps = 0;
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  s.engine.reglages().delai_tache_fichier_ms = 300;
  ASSERT_EQ(s.start(s.free_run(1ull << 32)), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), ERR_BUFFERS);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, ERR_BUFFERS);
  // What was written before the overflow is the start of the traffic, frame for frame.
  const auto truth = s.delivered();
  ASSERT_LE(r.records.size(), truth.size());
  for (size_t i = 0; i < r.records.size(); ++i) ASSERT_EQ(r.records[i].bytes, truth[i].bytes) << i;
}

TEST(EngineFaults, AnUnpluggedCardEndsTheCaptureAndStopLeavesAReadableFile) {
  simcard::Scenario sc = fast_scenario("ENGUNPL1");
  sc.faults[Fault::Unplug].at = {20000};
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.start(s.free_run(1ull << 32)), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), ERR_BUFFERS);
  EXPECT_TRUE(s.card->unplugged());
  EXPECT_FALSE(s.engine.is_open());
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, ERR_BUFFERS);
  // The frames that reached the host before the card left are in the file, in order; bytes still
  // in flight when it left are gone with it.
  EXPECT_LE(r.records.size(), s.card->frames_sent());
  EXPECT_GT(r.records.size(), 1000u);
  const auto truth = s.delivered();
  for (size_t i = 0; i < r.records.size(); ++i) ASSERT_EQ(r.records[i].bytes, truth[i].bytes) << i;
}

}  // namespace
}  // namespace brv::test
