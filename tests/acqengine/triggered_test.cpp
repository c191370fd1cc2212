// Triggered captures and the padding filter end to end on the simulated card.

#include <gtest/gtest.h>

#include <vandrel/bitfield.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;

// Rank in the delivered frames of the first frame satisfying every condition.
size_t first_matching(const std::vector<simcard::TruthFrame>& truth, const std::vector<struct_CHAMP_BIT_SYNCHRO>& cs,
                      size_t from = 0) {
  for (size_t i = from; i < truth.size(); ++i) {
    bool ok = true;
    for (const auto& c : cs) {
      ok = ok && bitfield::satisfait(truth[i].bytes.data(), static_cast<uint16_t>(truth[i].bytes.size()), c);
    }
    if (ok) return i;
  }
  return SIZE_MAX;
}

class TriggeredCapture : public ::testing::TestWithParam<bool> {};

TEST_P(TriggeredCapture, TheTriggerFrameOpensTheFileWithDateAndStatusZero) {
  const bool circular = GetParam();
  simcard::Scenario sc = fast_scenario(circular ? "ENGTRIGC" : "ENGTRIGL");
  // The ring is stopped by the user: every frame sent until then must have been kept.
  if (circular) sc.max_fps = 50000;
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  // The trigger: the padding identifier's ID_DAT after any ID_DAT.
  auto p = s.free_run(circular ? 3 * 3 * 30 * 4096 : 120000, circular);
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.ucNbTramesSynchro = 2;
  p.ini.ucMethodeSynchro = 1;  // F1 Then F2
  p.champs[0] = {control_is(0x03)};
  p.champs[1] = {control_is(0x03), identifier_is(0x9080)};  // the padding identifier's ID_DAT
  ASSERT_EQ(s.start(p), 0u);
  if (circular) {
    ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER&) { return s.card->frames_sent() > 60000; }));
    ASSERT_EQ(s.state(), ACQ_EN_COURS);
  } else {
    ASSERT_TRUE(s.wait_final());
    EXPECT_EQ(s.state(), FIN_NORMALE);
  }
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);

  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  ASSERT_GT(r.records.size(), 100u);
  const auto truth = s.delivered();
  const size_t f1 = first_matching(truth, p.champs[0]);
  const size_t trig = first_matching(truth, p.champs[1], f1 + 1);
  ASSERT_NE(trig, SIZE_MAX);
  size_t first = trig;
  if (circular) {
    const size_t sent = s.card->frames_sent();
    first = sent - r.records.size();
    ASSERT_GT(first, trig);
  } else {
    EXPECT_EQ(r.records[0].date, 0u);
    EXPECT_EQ(r.records[0].status, 0);
  }
  for (size_t i = 0; i < r.records.size(); ++i) {
    const auto& t = truth[first + i];
    ASSERT_EQ(r.records[i].bytes, t.bytes) << i;
    if (first + i != trig) {
      ASSERT_EQ(r.records[i].status, t.status) << i;
    }
    ASSERT_EQ(r.records[i].date, t.date - truth[trig].date) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(LinearAndCircular, TriggeredCapture, ::testing::Bool());

TEST(TriggeredCaptureEnds, FilteredTypeEndsWithBufferErrorAtItsTrigger) {
  EngineSession s(fast_scenario("ENGTRIGF"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(100000);
  p.ini.enTypeAcq = SYN_FILTRE;
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {identifier_is(0x9080)};
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), ERR_BUFFERS);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_TRUE(r.records.empty());
}

TEST(TriggeredCaptureEnds, WithoutItsTriggerTheCaptureWaitsAndKeepsNothing) {
  EngineSession s(fast_scenario("ENGTRIGN"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(100000);
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {identifier_is(0xFFFF)};
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ATTENTE_SYN; }));
  ASSERT_TRUE(s.wait_for([&](const ENTETE_FICHIER&) { return s.card->frames_sent() > 20000; }));
  EXPECT_EQ(s.state(), ATTENTE_SYN);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, ARRET_UTILISATEUR);
  EXPECT_TRUE(r.records.empty());
}

TEST(PaddingFilter, PaddingFramesAreDroppedAndTheNextRecordIsMarked) {
  EngineSession s(fast_scenario("ENGPAD01"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(150000);
  pose_filtre_bourrage(p.ini, s.card->scenario().padding_id);
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;

  const uint16_t pad = s.card->scenario().padding_id;
  auto is_padding = [&](const std::vector<uint8_t>& b) {
    return b.size() == 5 && b[0] == 0x03 && b[1] == (pad >> 8) && b[2] == (pad & 0xFF);
  };
  const auto truth = s.delivered();
  size_t t = 0, dropped = 0;
  for (size_t i = 0; i < r.records.size(); ++i, ++t) {
    bool marked = false;
    while (t < truth.size() && is_padding(truth[t].bytes)) {
      ++t;
      ++dropped;
      marked = true;
    }
    ASSERT_LT(t, truth.size());
    ASSERT_EQ(r.records[i].bytes, truth[t].bytes) << i;
    ASSERT_EQ(r.records[i].filter_mark, marked) << i;
    // Dropped frames keep their time: the dates stay those of the bus.
    ASSERT_EQ(r.records[i].date, truth[t].date - truth[0].date) << i;
  }
  EXPECT_GT(dropped, 10u);
}

}  // namespace
}  // namespace brv::test

namespace brv::test {
namespace {

TEST(TriggeredCaptureEnds, TheDurationCountsFromTheTrigger) {
  EngineSession s(fast_scenario("ENGTRIGD"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(1ull << 32);
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.llDureeZonePostTrig = -3000000;  // 0.3 s
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {identifier_is(0x9080)};
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_final());
  EXPECT_EQ(s.state(), FIN_NORMALE);
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  const ReadBack r = read_capture(s.path);
  ASSERT_TRUE(r.clean) << r.problem;
  ASSERT_GT(r.records.size(), 1000u);
  EXPECT_EQ(r.records[0].date, 0u);
}

TEST(TriggeredCaptureEnds, SilenceBeforeTheTriggerWaitsForTrafficThenForTheTriggerAgain) {
  simcard::Scenario sc = *simcard::preset("clean");
  sc.serial = "ENGTRIGW";
  sc.interruption_ms = 1500;
  sc.faults[simcard::Fault::Interruption].at = {3000};
  EngineSession s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  s.engine.reglages().lgp_buffer_acq = 1;
  s.engine.reglages().echeance_trafic = -3000000;  // 0.3 s
  auto p = s.free_run(1ull << 32);
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.ucNbTramesSynchro = 1;
  p.champs[0] = {identifier_is(0xFFFF)};  // never on this bus
  ASSERT_EQ(s.start(p), 0u);
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ATTENTE_SYN; }));
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ATTENTE_RETRAFIC; }));
  ASSERT_TRUE(s.wait_for([](const ENTETE_FICHIER& h) { return h.enEtatAcq == ATTENTE_SYN; }));
  ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  EXPECT_TRUE(read_capture(s.path).records.empty());
}

}  // namespace
}  // namespace brv::test
