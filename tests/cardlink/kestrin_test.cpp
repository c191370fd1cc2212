// The card session end to end against a scripted virtual device: requests on the wire, replies
// and their codes, events, stream recovery and loss, bulk mode.

#include <gtest/gtest.h>

#include <kestrin/kestrin.h>

#include <chrono>
#include <thread>

#include "scripted_card.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;

class Session {
 public:
  Session() : card(std::make_shared<ScriptedCard>()), kestrin(0) {
    ftd2xx::register_virtual_device(card);
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    EXPECT_EQ(found.size(), 1u);
    if (!found.empty()) connect_result = kestrin.connect(static_cast<unsigned char>(found[0]->m_index));
    kestrin.set_timeout_for_reply(100);
    kestrin.set_timeout_for_event(100);
  }
  ~Session() {
    kestrin.disconnect();
    ftd2xx::unregister_virtual_device(card);
  }

  // Sends bytes and waits until the session has drained them.
  void send(const Bytes& bytes) {
    ASSERT_EQ(card->send_to_host(bytes), bytes.size());
    for (int i = 0; i < 200 && card->host_queue_size() != 0; ++i) std::this_thread::sleep_for(2ms);
  }

  std::shared_ptr<ScriptedCard> card;
  CKestrin kestrin;
  unsigned long connect_result = 1;
};

// Drains the event queue until n events came or a second passed.
std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> collect_events(CKestrin& k, size_t n) {
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> all;
  for (int i = 0; i < 500 && all.size() < n; ++i) {
    for (auto& e : k.read_event_frames()) all.push_back(std::move(e));
    if (all.size() < n) std::this_thread::sleep_for(2ms);
  }
  return all;
}

// Answers every request with one reply.
ScriptedCard::Responder answer(Bytes reply) {
  return [reply](const Bytes&) { return std::vector<Bytes>{reply}; };
}

TEST(KestrinRequests, BytesOnTheWire) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  s.card->respond_with(answer(reply_frame(0xA000)));
  const uint8_t data[] = {0xDE, 0xAD};
  struct Case {
    const char* name;
    std::function<unsigned long(CKestrin&)> call;
    Bytes wire;
  };
  const std::vector<Case> cases{
      {"read memory", [](CKestrin& k) { return k.rq_read_memory(1, 2, 3, false); }, {0x90, 0x10, 1, 2, 3, 0, 0}},
      {"read by id", [](CKestrin& k) { return k.rq_read_by_id(1, 4, 5, false); }, {0x90, 0x11, 1, 4, 5, 0, 0}},
      {"read sn", [](CKestrin& k) { return k.rq_read_sn(1, false); }, {0x90, 0x15, 1, 0, 0, 0, 0}},
      {"read last sw", [](CKestrin& k) { return k.rq_read_last_sw(1, false); }, {0x90, 0x16, 1, 0, 0, 0, 0}},
      {"read error", [](CKestrin& k) { return k.rq_read_error(1, false); }, {0x90, 0x17, 1, 0, 0, 0, 0}},
      {"write memory", [&](CKestrin& k) { return k.rq_write_memory(1, 7, 2, data, false); },
       {0x90, 0x20, 1, 7, 0, 0, 2, 0xDE, 0xAD}},
      {"write by id", [&](CKestrin& k) { return k.rq_write_by_id(1, 8, 2, data, false); },
       {0x90, 0x21, 1, 8, 0, 0, 2, 0xDE, 0xAD}},
      {"reset", [](CKestrin& k) { return k.rq_reset(1, 2, false); }, {0x90, 0x30, 1, 2, 0, 0, 0}},
      {"set mode", [](CKestrin& k) { return k.rq_set_mode(1, 3, false); }, {0x90, 0x31, 1, 3, 0, 0, 0}},
      {"get mode", [](CKestrin& k) { return k.rq_get_mode(1, false); }, {0x90, 0x32, 1, 0, 0, 0, 0}},
      // CRC-16/CCITT-FALSE of the first 7 + LEN bytes, high byte first.
      {"reset with crc", [](CKestrin& k) { return k.rq_reset(1, 2, true); },
       cat({Bytes{0x91, 0x30, 1, 2, 0, 0, 0}, Bytes{0, 0}})},
      {"write with crc", [&](CKestrin& k) { return k.rq_write_memory(1, 7, 2, data, true); },
       cat({Bytes{0x91, 0x20, 1, 7, 0, 0, 2, 0xDE, 0xAD}, Bytes{0, 0}})},
  };
  for (const auto& c : cases) {
    const size_t before = s.card->writes().size();
    EXPECT_EQ(c.call(s.kestrin), 0u) << c.name;
    const auto writes = s.card->writes();
    ASSERT_EQ(writes.size(), before + 1) << c.name;
    Bytes expected = c.wire;
    if (expected[0] == 0x91) {
      const uint16_t crc = IProtocol::crc16(expected.data(), expected.size() - 2);
      expected[expected.size() - 2] = static_cast<uint8_t>(crc >> 8);
      expected[expected.size() - 1] = static_cast<uint8_t>(crc);
    }
    EXPECT_EQ(writes.back(), expected) << c.name;
  }
}

TEST(KestrinRequests, StatusWordsBecomeErrorCodes) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  const std::vector<std::pair<uint16_t, unsigned long>> table{
      {0xA000, 0},          {0xB000, 0x3F100001}, {0xB001, 0x3F100002}, {0x2000, 0x3F100003}, {0x2001, 0x3F100004},
      {0x2002, 0x3F100005}, {0x2003, 0x3F100006}, {0x3000, 0x3F100007}, {0x3001, 0x3F100008}, {0x3002, 0x3F100009},
      {0x3003, 0x3F10000A}, {0x3004, 0x3F10000B}, {0x3005, 0x3F10000C}, {0x3006, 0x3F10000D}, {0x3007, 0x3F10000E},
      {0x3101, 0x3F10000F}, {0x4000, 0x3F100010}, {0x4001, 0x3F100011}, {0x1234, 0},          {0xA001, 0},
  };
  for (const auto& [sw, code] : table) {
    s.card->respond_with(answer(reply_frame(sw, {0x42})));
    EXPECT_EQ(s.kestrin.rq_read_sn(1, false), code) << std::hex << sw;
    EXPECT_EQ(s.kestrin.get_last_sw(), sw);
  }
}

TEST(KestrinRequests, NoReplyGivesTheRequestsOwnCodeAfterTheTimeOut) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  TraceCapture traces;
  s.kestrin.set_timeout_for_reply(60);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0x3F200009u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
  EXPECT_TRUE(traces.contains("KESTRIN_ERROR_WAIT_FOR_REPLY_TIMEOUT !!\n"));
  EXPECT_EQ(s.kestrin.get_last_error(), 0x3F20000Du);
  EXPECT_EQ(s.kestrin.rq_read_memory(1, 0, 0, false), 0x3F200002u);
  EXPECT_EQ(s.kestrin.rq_get_mode(1, false), 0x3F20000Bu);
  EXPECT_EQ(s.kestrin.wait_for_reply(), 0x3F20000Du);
}

TEST(KestrinRequests, ReplyCutAcrossChunksIsDeliveredOnce) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  const Bytes reply = reply_frame(0x3001, {1, 2, 3, 0x80, 0x40}, true);
  std::thread late;
  s.card->respond_with([&](const Bytes&) {
    // Second half later, on another thread, after the first half was drained.
    late = std::thread([&] {
      for (int i = 0; i < 200 && s.card->host_queue_size() != 0; ++i) std::this_thread::sleep_for(1ms);
      std::this_thread::sleep_for(10ms);
      s.card->send_to_host(Bytes(reply.begin() + 4, reply.end()));
    });
    return std::vector<Bytes>{Bytes(reply.begin(), reply.begin() + 4)};
  });
  EXPECT_EQ(s.kestrin.rq_read_sn(1, false), 0x3F100008u);
  late.join();
  const auto replies = s.kestrin.read_reply_frames();
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0]->data, (Bytes{1, 2, 3, 0x80, 0x40}));
}

TEST(KestrinQueues, LastReplyIsTheNewestAndLeavesTheOlder) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  const auto empty = s.kestrin.get_last_reply_frame();
  EXPECT_EQ(empty->usSW, 0);
  EXPECT_EQ(empty->usLEN, 0);
  EXPECT_TRUE(empty->data.empty());

  s.card->respond_with(answer(reply_frame(0xB000, {1})));
  EXPECT_EQ(s.kestrin.rq_read_sn(1, false), 0x3F100001u);
  s.send(reply_frame(0xA000, {2}));
  for (int i = 0; i < 100 && s.kestrin.get_last_sw() != 0xA000; ++i) std::this_thread::sleep_for(2ms);
  EXPECT_EQ(s.kestrin.get_last_reply_frame()->data, Bytes{2});
  EXPECT_EQ(s.kestrin.get_last_reply_frame()->data, Bytes{1});
  EXPECT_TRUE(s.kestrin.get_last_reply_frame()->data.empty());
}

TEST(KestrinEvents, QueuedInOrderAndLostOnesCounted) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  EXPECT_EQ(s.kestrin.wait_for_event(), 0x3F200011u);
  s.send(cat({event_frame(5, {0x11}), event_frame(8, {0x22}), event_frame(8, {0x33})}));
  EXPECT_EQ(s.kestrin.wait_for_event(), 0u);
  // One wait may return after the first of the three.
  const auto events = collect_events(s.kestrin, 3);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0]->data, Bytes{0x11});
  EXPECT_EQ(events[2]->data, Bytes{0x33});
  // From 0 to 5 four are lost, from 5 to 8 two more, 8 to 8 none.
  EXPECT_EQ(s.kestrin.get_events_lost(), 4u + 2u);
  EXPECT_EQ(s.kestrin.get_events_received(), 3u);
  EXPECT_TRUE(s.kestrin.read_event_frames().empty());
}

TEST(KestrinEvents, CounterWrapsModulo256) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  s.send(cat({event_frame(0xFF), event_frame(0x00), event_frame(0x02)}));
  EXPECT_EQ(s.kestrin.wait_for_event(), 0u);
  ASSERT_EQ(collect_events(s.kestrin, 3).size(), 3u);
  EXPECT_EQ(s.kestrin.get_events_lost(), 0xFEu + 0u + 1u);
}

TEST(KestrinStream, GarbageRecoversAtTheNextPlausibleEvent) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  s.send(cat({event_frame(1), Bytes{0x00, 0x17}, event_frame(2, {9}, 0x8001), event_frame(3)}));
  const auto events = collect_events(s.kestrin, 2);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]->ucCP, 2);
  EXPECT_EQ(events[1]->ucCP, 3);
  EXPECT_FALSE(s.kestrin.is_stopped());
}

TEST(KestrinStream, GarbageWithoutRestartEndsReception) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  s.send(Bytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09});
  for (int i = 0; i < 200 && !s.kestrin.is_stopped(); ++i) std::this_thread::sleep_for(2ms);
  EXPECT_TRUE(s.kestrin.is_stopped());
  EXPECT_EQ(s.kestrin.get_last_error(), 0x3F20000Eu);
  // Nothing is parsed any more.
  s.card->respond_with(answer(reply_frame(0xA000)));
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0x3F200009u);
  EXPECT_EQ(s.kestrin.disconnect(), 0u);
}

TEST(KestrinStream, BulkModeAfterGetModeReplyOfThree) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  s.card->respond_with(answer(reply_frame(0xA000, {3})));
  EXPECT_EQ(s.kestrin.rq_get_mode(1, false), 0u);
  EXPECT_EQ(s.kestrin.get_mode(), 3);
  s.card->respond_with(nullptr);
  s.send(reply_frame(0xA000, {7}));
  const auto bulk = s.kestrin.get_bulk_buffer();
  for (int i = 0; i < 100 && bulk->size() < 6; ++i) std::this_thread::sleep_for(2ms);
  Bytes got;
  uint8_t b;
  while (bulk->pop_front(b, 0ms)) got.push_back(b);
  EXPECT_EQ(got, reply_frame(0xA000, {7}));
  s.card->respond_with(answer(reply_frame(0xA000)));
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0x3F200009u);
}

TEST(KestrinStream, ModeIsTakenOnlyFromAOneByteSuccessfulGetModeReply) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  EXPECT_EQ(s.kestrin.get_mode(), 2);
  s.card->respond_with(answer(reply_frame(0xA000, {3})));
  s.kestrin.rq_read_sn(1, false);
  EXPECT_EQ(s.kestrin.get_mode(), 2);
  s.card->respond_with(answer(reply_frame(0xA000, {3, 3})));
  s.kestrin.rq_get_mode(1, false);
  EXPECT_EQ(s.kestrin.get_mode(), 2);
  s.card->respond_with(answer(reply_frame(0x2000, {3})));
  s.kestrin.rq_get_mode(1, false);
  EXPECT_EQ(s.kestrin.get_mode(), 2);
}

TEST(KestrinLifecycle, WithoutCommunicationOrConnection) {
  CKestrin none(1);
  EXPECT_EQ(none.connect(0), 0x3F200001u);
  EXPECT_EQ(none.rq_reset(1, 2, false), 0x3F200001u);
  EXPECT_FALSE(none.is_open());
  EXPECT_EQ(none.disconnect(), 0u);

  CKestrin closed(0);
  EXPECT_EQ(closed.rq_reset(1, 2, false), 0x3F300001u);
  EXPECT_EQ(closed.rq_write_memory(1, 0, 0, nullptr, false), 0x3F300001u);
  EXPECT_EQ(closed.connect(250), 0x3F40003Fu);
  EXPECT_EQ(closed.disconnect(), 0u);
  EXPECT_EQ(closed.disconnect(), 0u);
}

TEST(KestrinLifecycle, DisconnectClosesTheDeviceAndCanReconnect) {
  Session s;
  ASSERT_EQ(s.connect_result, 0u);
  EXPECT_TRUE(s.kestrin.is_open());
  EXPECT_EQ(s.kestrin.disconnect(), 0u);
  EXPECT_FALSE(s.kestrin.is_open());
  EXPECT_FALSE(s.card->host_open());
  EXPECT_EQ(s.kestrin.disconnect(), 0u);
  const auto found = CUsbFtd2xxCom::get_com_info_by_sn(s.card->serial());
  ASSERT_EQ(found.size(), 1u);
  ASSERT_EQ(s.kestrin.connect(static_cast<unsigned char>(found[0]->m_index)), 0u);
  s.card->respond_with(answer(reply_frame(0xA000)));
  EXPECT_EQ(s.kestrin.rq_reset(1, 2, false), 0u);
}

class CrcProbe : public CKestrin {
 public:
  CrcProbe() : CKestrin(1) {}
  using CKestrin::crc_calc;
};

TEST(KestrinProtocol, CrcOfRequestsAndReplies) {
  const char* check = "123456789";
  EXPECT_EQ(IProtocol::crc16(reinterpret_cast<const uint8_t*>(check), 9), 0x29B1);
  const Bytes wire = reply_frame(0xB001, {1, 2, 3}, true);
  IProtocol::REPLY_FRAME frame{0x81, 0xB001, 3, {1, 2, 3}, static_cast<uint16_t>((wire[8] << 8) | wire[9])};
  CrcProbe probe;
  EXPECT_TRUE(probe.crc_calc(&frame));
  frame.data[1] ^= 0x01;
  EXPECT_FALSE(probe.crc_calc(&frame));
}

}  // namespace
}  // namespace brv::test
