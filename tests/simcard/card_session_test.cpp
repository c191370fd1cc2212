// The simulated card end to end: registered in the device list, driven by Kestrin's own session
// (requests, replies, events), its events read back and compared with the ground truth.

#include <gtest/gtest.h>

#include <kestrin/kestrin.h>
#include <kestrin/usb_ftd2xx_com.h>

#include <simcard/simcard.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "tlv_decode.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using simcard::Scenario;

Scenario fast_clean(const std::string& serial) {
  Scenario s = *simcard::preset("clean");
  s.serial = serial;
  s.pacing = simcard::Pacing::AsFastAsPossible;
  s.max_fps = 300000;
  return s;
}

class Session {
 public:
  explicit Session(const Scenario& sc, bool record = true)
      : card(simcard::register_simulated_card(sc)), kestrin(0) {
    card->record_ground_truth(record);
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    EXPECT_EQ(found.size(), 1u);
    if (!found.empty()) connect_result = kestrin.connect(static_cast<unsigned char>(found[0]->m_index));
    kestrin.set_timeout_for_reply(500);
    kestrin.set_timeout_for_event(500);
  }
  ~Session() {
    kestrin.disconnect();
    ftd2xx::unregister_virtual_device(card);
  }
  std::vector<uint8_t> last_data() { return kestrin.get_last_reply_frame()->data; }
  // Waits until at least n events were queued, collecting them.
  void collect(size_t n, std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>>& into) {
    for (int i = 0; i < 400 && into.size() < n; ++i) {
      kestrin.wait_for_event();
      for (auto& e : kestrin.read_event_frames()) into.push_back(std::move(e));
    }
  }

  std::shared_ptr<simcard::SimCard> card;
  CKestrin kestrin;
  unsigned long connect_result = 1;
};

const uint8_t kStart = 4;

TEST(SimcardCard, ListedAsAProbeCardWithItsSerialNumber) {
  auto a = simcard::register_simulated_card(Scenario{});
  Scenario other;
  other.serial = "SIM00002";
  auto b = simcard::register_simulated_card(other);
  b->set_in_use(true);
  const auto cards = CUsbFtd2xxCom::get_com_info_by_name("Brenvale USB");
  int seen = 0;
  for (const auto& c : cards) {
    if (c->m_serial_number == "SIM00001") {
      ++seen;
      EXPECT_FALSE(c->m_in_use);
    }
    if (c->m_serial_number == "SIM00002") {
      ++seen;
      EXPECT_TRUE(c->m_in_use);
    }
  }
  EXPECT_EQ(seen, 2);
  ftd2xx::unregister_virtual_device(a);
  ftd2xx::unregister_virtual_device(b);
}

TEST(SimcardCard, AnswersEachRequest) {
  Scenario sc = fast_clean("SIMREQ01");
  sc.speed = simcard::Speed::k2_5M;
  Session s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
  EXPECT_EQ(s.kestrin.rq_read_by_id(1, 2, 0, false), 0u);
  EXPECT_EQ(s.last_data(), (std::vector<uint8_t>{0x03}));  // bits 0 and 1: 2.5 Mbit/s
  EXPECT_EQ(s.kestrin.rq_read_by_id(1, 7, 0, false), 0x3F10000Au);
  EXPECT_EQ(s.kestrin.rq_read_sn(1, false), 0u);
  const auto sn = s.last_data();
  EXPECT_EQ(std::string(sn.begin(), sn.end()), "SIMREQ01");
  EXPECT_EQ(s.kestrin.rq_set_mode(1, 1, false), 0u);
  EXPECT_EQ(s.kestrin.rq_get_mode(1, false), 0u);
  EXPECT_EQ(s.kestrin.get_mode(), 1);
  // Requests the card does not know, and a request whose CRC the card checks.
  EXPECT_EQ(s.kestrin.rq_read_last_sw(1, false), 0x3F10000Fu);
  EXPECT_EQ(s.kestrin.rq_read_memory(1, 0, 0, false), 0x3F10000Fu);
  EXPECT_EQ(s.kestrin.rq_read_by_id(1, 2, 0, true), 0u);
  auto bad = IProtocol::encode_request(true, 0x30, 1, 2, 0);
  bad.back() ^= 0xFF;
  ASSERT_EQ(s.kestrin.get_com()->write(bad.data(), bad.size()), 0u);
  s.kestrin.wait_for_reply();
  EXPECT_EQ(s.kestrin.get_last_sw(), 0x3007);
  EXPECT_FALSE(s.card->traffic_running());
}

TEST(SimcardCard, RepliesCarryACrcWhenConfigured) {
  Scenario sc = fast_clean("SIMCRC01");
  sc.reply_crc = true;
  Session s(sc);
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.kestrin.rq_read_by_id(1, 2, 0, false), 0u);
  auto reply = s.kestrin.get_last_reply_frame();
  EXPECT_EQ(reply->ucCLA, 0x81);
  const std::vector<uint8_t> covered = {reply->ucCLA, static_cast<uint8_t>(reply->usSW >> 8),
                                        static_cast<uint8_t>(reply->usSW), 0, 1, reply->data.at(0)};
  EXPECT_EQ(IProtocol::crc16(covered.data(), covered.size()), reply->usCRC);
}

TEST(SimcardCard, SessionReceivesTheGroundTruthFrameForFrame) {
  Session s(fast_clean("SIMGT001"));
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
  ASSERT_EQ(s.kestrin.rq_read_by_id(1, 2, 0, false), 0u);
  EXPECT_EQ(s.last_data(), (std::vector<uint8_t>{0x02}));
  ASSERT_EQ(s.kestrin.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> events;
  s.collect(300, events);
  // The reset's reply comes after the last event: nothing follows it.
  ASSERT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
  for (auto& e : s.kestrin.read_event_frames()) events.push_back(std::move(e));
  EXPECT_FALSE(s.card->traffic_running());
  ASSERT_GE(events.size(), 300u);
  EXPECT_EQ(s.kestrin.get_events_lost(), 0u);
  EXPECT_EQ(s.kestrin.get_last_error(), 0u);
  const auto got = frames_of(events);
  const auto truth = s.card->ground_truth();
  ASSERT_LE(got.size(), truth.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(got[i].bytes, truth[i].bytes) << i;
    ASSERT_EQ(got[i].status, truth[i].status) << i;
    ASSERT_EQ(got[i].date, truth[i].date) << i;
  }
  EXPECT_EQ(got.size(), s.card->frames_sent());
}

TEST(SimcardCard, RealTimeTrafficFlowsAndStopsOnReset) {
  Scenario sc = *simcard::preset("demo");
  sc.serial = "SIMRT001";
  Session s(sc, false);
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.kestrin.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> events;
  s.collect(5, events);
  EXPECT_GE(events.size(), 5u);
  ASSERT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
  // Every event came before the reset's reply; none after it.
  s.kestrin.wait_for_event();
  s.kestrin.read_event_frames();
  EXPECT_EQ(s.kestrin.wait_for_event(), 0x3F200011u);
}

TEST(SimcardCard, SessionSeesStreamFaultsAndKeepsItsFooting) {
  Scenario sc = fast_clean("SIMFLT01");
  sc.faults[simcard::Fault::LostEvent].rate = 2e-3;
  sc.faults[simcard::Fault::FifoOverflow].rate = 2e-3;
  sc.faults[simcard::Fault::Garbage].rate = 2e-3;
  Session s(sc, false);
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.kestrin.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> events;
  s.collect(1500, events);
  ASSERT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
  EXPECT_EQ(s.kestrin.get_last_error(), 0u);  // never lost the frame boundaries for good
  EXPECT_GT(s.kestrin.get_events_lost(), 0u);
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const auto& e) { return e->usSW == 0x8001; }));
  bool consistent = false;
  frames_of(events, &consistent);
  EXPECT_TRUE(consistent);
}

TEST(SimcardCard, MutedCardStopsAnswering) {
  Scenario sc = fast_clean("SIMMUTE1");
  sc.faults[simcard::Fault::CardMute].at = {200};
  Session s(sc, false);
  ASSERT_EQ(s.connect_result, 0u);
  s.kestrin.set_timeout_for_reply(100);
  ASSERT_EQ(s.kestrin.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  for (int i = 0; i < 200 && !s.card->muted(); ++i) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(s.card->muted());
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0x3F200009u);
}

TEST(SimcardCard, UnpluggedCardLeavesTheListAndFailsRequests) {
  Scenario sc = fast_clean("SIMUNPL1");
  sc.faults[simcard::Fault::Unplug].at = {30000};  // after the start's reply has surely arrived
  Session s(sc, false);
  ASSERT_EQ(s.connect_result, 0u);
  ASSERT_EQ(s.kestrin.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  for (int i = 0; i < 200 && !s.card->unplugged(); ++i) std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(s.card->unplugged());
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_sn("SIMUNPL1").empty());
  EXPECT_NE(s.kestrin.rq_reset(1, 2, false), 0u);
}

}  // namespace
}  // namespace brv::test
