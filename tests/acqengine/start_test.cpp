// start_acquisition's checks and results, and what stop_acquisition undoes after them.

#include <gtest/gtest.h>

#include <brv_platform/endian.h>

#include "engine_session.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using namespace vandrel;

TEST(EngineStart, AShortBlockIsRefusedAfterTheCardIsResetAndPurged) {
  EngineSession s(fast_scenario("ENGST001"));
  ASSERT_EQ(s.connect_result, 0u);
  // Traffic running from an earlier start: the failed start still stops it.
  const uint8_t start = 4;
  ASSERT_EQ(s.engine.rq_write_by_id(1, 3, 1, &start, false), 0u);
  ASSERT_TRUE(s.card->traffic_running());
  const std::vector<uint8_t> block = construit_ini_acq(s.free_run(1000));
  EXPECT_EQ(s.engine.start_acquisition(block.data(), kTailleIniAcq - 1), VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(s.card->traffic_running());
  EXPECT_TRUE(s.engine.read_event_frames().empty());
  EXPECT_EQ(s.engine.ucEtatRessource(), 0);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
  EXPECT_EQ(s.engine.start_acquisition(nullptr, 4096), VANDREL_ERROR_INVALID_PARAMETER);
}

TEST(EngineStart, OffsetsAndCountsInsideTheBlockAreChecked) {
  EngineSession s(fast_scenario("ENGST002"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(1000);
  p.ini.ucNbTramesSynchro = 1;
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.champs[0].push_back(struct_CHAMP_BIT_SYNCHRO{});
  const std::vector<uint8_t> good = construit_ini_acq(p);

  auto with = [&](auto change) {
    std::vector<uint8_t> b = good;
    change(b);
    return s.engine.start_acquisition(b.data(), static_cast<unsigned long>(b.size()));
  };
  // The path offset past the end, a path without its zero, bit fields past the end, a filter
  // pattern longer than its table.
  EXPECT_EQ(with([](auto& b) { platform::store_le32(b.data() + 596, static_cast<uint32_t>(b.size())); }),
            VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(with([](std::vector<uint8_t>& b) { b[b.size() - 1] = 'x'; }), VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(with([](auto& b) { platform::store_le16(b.data() + 540, 1000); }), VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(with([](std::vector<uint8_t>& b) {
              b.at(6) = 1;
              platform::store_le16(b.data() + 8, 300);
            }),
            VANDREL_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
}

TEST(EngineStart, TheBusSpeedComesFromTheCardStatusByte) {
  struct Case {
    uint8_t status;
    unsigned long result;
    uint32_t speed;
  };
  for (const Case c : {Case{0x00, VANDREL_ERROR_BAD_DEVICE_TYPE, 0}, Case{0x07, 0, VITESSE_5M},
                       Case{0x03, 0, VITESSE_2M5}, Case{0x02, 0, VITESSE_1M}, Case{0x01, 0, VITESSE_31K25}}) {
    simcard::Scenario sc = fast_scenario("ENGSPB" + std::to_string(c.status));
    sc.status_byte = c.status;
    EngineSession s(sc, false);
    ASSERT_EQ(s.connect_result, 0u);
    EXPECT_EQ(s.start(s.free_run(100000)), c.result) << int{c.status};
    if (c.result == 0) {
      EXPECT_EQ(s.header().enVitesse, c.speed) << int{c.status};
    }
    EXPECT_EQ(s.engine.stop_acquisition(), 0u);
  }
}

TEST(EngineStart, AnUnwritablePathFailsWithNoSuchFile) {
  EngineSession s(fast_scenario("ENGST003"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(1000);
  p.chemin = s.dir.file("missing/acq.dat");
  EXPECT_EQ(s.start(p), VANDREL_ERROR_NO_SUCH_FILE);
  EXPECT_EQ(s.engine.ucEtatRessource(), 3);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
}

TEST(EngineStart, TriggerFramesMustFitTheMethod) {
  EngineSession s(fast_scenario("ENGST004"));
  ASSERT_EQ(s.connect_result, 0u);
  auto p = s.free_run(1000);
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.ucNbTramesSynchro = 2;
  p.ini.ucMethodeSynchro = 0;  // "F1"
  EXPECT_EQ(s.start(p), VANDREL_ERROR_INVALID_PARAMETERS);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
}

TEST(EngineStart, BufferSizesFollowTheZoneAndTheDuration) {
  EngineSession s(fast_scenario("ENGST005"), false);
  ASSERT_EQ(s.connect_result, 0u);
  struct Case {
    uint64_t size;
    int64_t duration;
    size_t first;
  };
  // 1 Mbit/s: 30 pages, so 983040 bytes for the large buffer.
  for (const Case c : {Case{1000, 0, 12288}, Case{100000, 0, 100000}, Case{1000, -10000000, 983040},
                       Case{122880, 0, 983040}}) {
    auto p = s.free_run(c.size);
    p.ini.llDureeZonePostTrig = c.duration;
    ASSERT_EQ(s.start(p), 0u);
    {
      std::lock_guard lock(s.engine.interne().mutex_buffers);
      EXPECT_EQ(s.engine.interne().buffers[0].taille, c.first) << c.size;
      EXPECT_EQ(s.engine.interne().buffers[1].taille, 983040u) << c.size;
    }
    EXPECT_EQ(s.engine.ucEtatRessource(), 6);
    ASSERT_EQ(s.engine.stop_acquisition(), 0u);
  }
}

TEST(EngineStart, AStartWhileRunningIsRefusedAndTheHeaderCopyNeedsRoom) {
  EngineSession s(fast_scenario("ENGST006"));
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.start(s.free_run(1ull << 30)), 0u);
  EXPECT_EQ(s.start(s.free_run(1000)), VANDREL_ERROR_INVALID_PARAMETERS);
  uint8_t small[87];
  EXPECT_EQ(s.engine.get_header_file(small, sizeof small), 0u);
  EXPECT_EQ(s.engine.stop_acquisition(), 0u);
  EXPECT_EQ(read_capture(s.path).header.enEtatAcq, ARRET_UTILISATEUR);
}

}  // namespace
}  // namespace brv::test
