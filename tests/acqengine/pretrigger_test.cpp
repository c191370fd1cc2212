// Pre-trigger captures: the history before the trigger in its zone, held in memory and copied
// whole (small zone) or rotated in the file itself (large zone), then the post-trigger zone.

#include <gtest/gtest.h>

#include <simcard/network.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;

struct PretrigCase {
  const char* name;
  simcard::Speed speed;
  uint64_t max_pre;       // ullLgMaxZonePreTrig
  uint64_t trigger_at;    // bus frame carrying the glitch that triggers
  bool tournant;
  bool wrapped;
};

class PretriggerCapture : public ::testing::TestWithParam<PretrigCase> {};

TEST_P(PretriggerCapture, HistoryHoldsTheLastFramesBeforeTheTriggerThenThePostTriggerZoneFollows) {
  const PretrigCase& c = GetParam();
  simcard::Scenario sc = fast_scenario(std::string("ENGPT") + c.name);
  sc.speed = c.speed;
  if (c.speed == simcard::Speed::k31_25k) sc.max_fps = 20000;
  sc.faults[simcard::Fault::Glitch].at = {c.trigger_at};
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(60000);
  p.ini.enTypeAcq = SYN_PRETRIG;
  p.ini.ullLgMaxZonePreTrig = c.max_pre;
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {control_is(PSEUDO_GLITCH)};
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), FIN_NORMALE);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  const ENTETE_FICHIER& h = r.header;
  const uint64_t zone = (std::max<uint64_t>(c.max_pre, 3100) / 10) * 11;
  const uint64_t sb = zone / 11;
  EXPECT_EQ(h.ullPosZonePreTrig, 88u);
  if (!c.tournant || c.wrapped) {
    EXPECT_EQ(h.ullPosZonePostTrig, 88 + zone);
    ASSERT_EQ(r.layout, AcqLayout::Pretrigger);
  }

  const auto truth = s.delivered();
  size_t trig = 0;
  while (trig < truth.size() && truth[trig].bytes != std::vector<uint8_t>{0xFD, 0xFD}) ++trig;
  ASSERT_LT(trig, truth.size());
  size_t pre = 0;
  uint64_t pre_bytes = 0;
  while (pre < r.records.size() && r.records[pre].zone == 0) pre_bytes += r.records[pre++].length;
  ASSERT_GT(pre, 0u);
  ASSERT_LE(pre, trig);
  // The history: consecutive frames ending just before the trigger, dated on its own time base.
  const size_t first = trig - pre;
  for (size_t i = 0; i < pre; ++i) {
    ASSERT_EQ(r.records[i].bytes, truth[first + i].bytes) << i;
    ASSERT_EQ(r.records[i].status, truth[first + i].status) << i;
    ASSERT_EQ(h.ullDateTrig - r.records[i].date, truth[trig].date - truth[first + i].date) << i;
  }
  EXPECT_LE(pre_bytes, zone);
  if (c.wrapped) {
    EXPECT_GE(pre_bytes, zone - 3 * sb);
  } else {
    EXPECT_EQ(first, 0u);  // everything since the start fitted
  }
  // The post-trigger zone: the trigger frame at date 0 and status 0, then the traffic after it.
  ASSERT_LT(pre, r.records.size());
  EXPECT_EQ(r.records[pre].bytes, truth[trig].bytes);
  EXPECT_EQ(r.records[pre].date, 0u);
  EXPECT_EQ(r.records[pre].status, 0);
  EXPECT_GT(r.records.size() - pre, 1000u);
  for (size_t i = pre + 1; i < r.records.size(); ++i) {
    const auto& t = truth[trig + (i - pre)];
    ASSERT_EQ(r.records[i].bytes, t.bytes) << i;
    ASSERT_EQ(r.records[i].date, t.date - truth[trig].date) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PretriggerCapture,
    ::testing::Values(PretrigCase{"CShort", simcard::Speed::k1M, 1000, 60, false, false},
                      PretrigCase{"CFull", simcard::Speed::k1M, 1000, 20000, false, true},
                      PretrigCase{"TShort", simcard::Speed::k31_25k, 100000, 1500, true, false},
                      PretrigCase{"TWrap", simcard::Speed::k31_25k, 100000, 9000, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Complete mode with a history buffer of a few zones: the buffer restarts after each whole copy,
// and the trigger copies what the new one holds over the front of the last whole copy.
constexpr uint32_t kLgpPetit = 1;  // a history buffer of 12288 bytes
constexpr uint64_t kMaxPre = 3100;
constexpr uint64_t kZone = kMaxPre / 10 * 11, kSousBloc = kZone / 11;
constexpr uint64_t kTailleBuffer = 3 * kLgpPetit * 4096;

struct RestartCase {
  const char* name;
  uint64_t lo, hi;  // bytes in the buffer when the trigger comes
};

// What the file thread holds before a trigger at each frame: the bytes in its buffer and how many
// whole copies it made. The buffer restarts when it has fewer than 278 bytes of room.
struct Remplissage {
  uint64_t octets = 0;
  unsigned copies = 0;
  void ajoute(size_t frame_bytes) {
    const uint64_t lg = frame_bytes + kSurchargeEnreg;
    if (kTailleBuffer - octets < lg) relance();
    octets += lg;
    if (kTailleBuffer - octets < kMargeTournant) relance();
  }
  void relance() {
    octets = 0;
    ++copies;
  }
};

class PretriggerRestart : public ::testing::TestWithParam<RestartCase> {};

TEST_P(PretriggerRestart, ThePartialCopyAtTheTriggerKeepsTheFramesJustBeforeIt) {
  const RestartCase& c = GetParam();
  simcard::Scenario sc = fast_scenario(std::string("ENGPR") + c.name);
  // The first bus frame after two whole copies that leaves the wanted fill.
  uint64_t trigger_at = 0;
  {
    simcard::NetworkModel bus(sc);
    Remplissage r;
    while (r.copies < 2 || r.octets < c.lo || r.octets > c.hi) {
      r.ajoute(simcard::stored_bytes(bus.next()).size());
      ++trigger_at;
      ASSERT_LT(trigger_at, 100000u);
    }
  }
  sc.faults[simcard::Fault::Glitch].at = {trigger_at};
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  s.engine.reglages().lgp_buffer_acq = kLgpPetit;
  auto p = s.free_run(20000);
  p.ini.enTypeAcq = SYN_PRETRIG;
  p.ini.ullLgMaxZonePreTrig = kMaxPre;
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {control_is(PSEUDO_GLITCH)};
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;

  const auto truth = s.delivered();
  size_t trig = 0;
  Remplissage plein;
  for (; trig < truth.size() && truth[trig].bytes != std::vector<uint8_t>{0xFD, 0xFD}; ++trig) {
    plein.ajoute(truth[trig].bytes.size());
  }
  ASSERT_LT(trig, truth.size());
  // The case is the one it is meant to be.
  ASSERT_GE(plein.copies, 2u);
  ASSERT_GE(plein.octets, c.lo);
  ASSERT_LE(plein.octets, c.hi);

  size_t pre = 0;
  uint64_t pre_bytes = 0;
  while (pre < r.records.size() && r.records[pre].zone == 0) pre_bytes += r.records[pre++].length;
  ASSERT_LE(pre, trig);
  const size_t first = trig - pre;
  for (size_t i = 0; i < pre; ++i) {
    ASSERT_EQ(r.records[i].bytes, truth[first + i].bytes) << i;
    ASSERT_EQ(r.records[i].status, truth[first + i].status) << i;
    ASSERT_EQ(r.header.ullDateTrig - r.records[i].date, truth[trig].date - truth[first + i].date) << i;
  }
  // Only what lies before the first sub-block start past the new bytes is given up.
  EXPECT_LE(pre_bytes, kZone);
  EXPECT_GT(pre_bytes + kSousBloc + simcard::kMaxFrameBytes + kSurchargeEnreg, kZone);
  ASSERT_LT(pre, r.records.size());
  EXPECT_EQ(r.records[pre].bytes, truth[trig].bytes);
}

INSTANTIATE_TEST_SUITE_P(Shapes, PretriggerRestart,
                         ::testing::Values(RestartCase{"NothingNew", 0, 0}, RestartCase{"FirstBlock", 1, kSousBloc - 1},
                                           RestartCase{"Middle", 5 * kSousBloc, 6 * kSousBloc - 1},
                                           RestartCase{"LastBlock", 10 * kSousBloc, kZone - 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PretriggerZones, ASmallMaximumGivesElevenSubBlocksOfATenth) {
  EngineSession s(fast_scenario("ENGPTZ01"), false);
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(10000);
  p.ini.enTypeAcq = SYN_PRETRIG;
  p.ini.ullLgMaxZonePreTrig = 1000;
  p.ini.ucNbTramesSynchro = 1;
  ASSERT_EQ(s.start(p), 0u);
  const ENTETE_FICHIER h = s.header();
  EXPECT_EQ(h.ullPosZonePreTrig, 88u);
  EXPECT_EQ(h.ullPosZonePostTrig, 3498u);
  EXPECT_EQ(s.engine.interne().ullTaillePreTrig, 3410u);
  EXPECT_EQ(s.engine.interne().ullTailleSousBlocTournant, 310u);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
}

TEST(PretriggerZones, AStopBeforeTheTriggerKeepsTheHistory) {
  for (const bool tournant : {false, true}) {
    simcard::Scenario sc = fast_scenario(tournant ? "ENGPTS02" : "ENGPTS01");
    if (tournant) {
      sc.speed = simcard::Speed::k31_25k;
      sc.max_fps = 20000;
    }
    EngineSession s(sc);
    ASSERT_EQ(s.connect_result, 0u);
    auto p = s.free_run(10000);
    p.ini.enTypeAcq = SYN_PRETRIG;
    p.ini.ullLgMaxZonePreTrig = tournant ? 100000 : 1000;
    p.ini.ucNbTramesSynchro = 1;
    p.champs[0] = {control_is(0xEE)};  // never on this bus
    ASSERT_EQ(s.start(p), 0u);
    ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER&) { return s.card->frames_sent() > 8000; }));
    EXPECT_EQ(s.state(), ATTENTE_SYN);
    ASSERT_EQ(s.engine.stop_acquisition(), 0u);
    const ReadBack r = read_capture(s.path);
    ASSERT_TRUE(r.clean) << r.problem;
    EXPECT_EQ(r.header.enEtatAcq, ARRET_UTILISATEUR);
    ASSERT_FALSE(r.records.empty()) << tournant;
    // The newest frames the card sent, up to the last one.
    const auto truth = s.delivered();
    const size_t sent = s.card->frames_sent();
    const size_t first = sent - r.records.size();
    for (size_t i = 0; i < r.records.size(); ++i) {
      ASSERT_EQ(r.records[i].zone, 0u);
      ASSERT_EQ(r.records[i].bytes, truth[first + i].bytes) << i;
    }
  }
}

}  // namespace
}  // namespace brv::test
