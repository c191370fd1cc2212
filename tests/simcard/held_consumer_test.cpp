// A host that falls behind a fast card for seconds: what the link holds stays bounded, the card
// loses frames and flags the next event, and what arrives is the card's delivered traffic frame
// for frame, each loss marked where it happened.

#include <gtest/gtest.h>

#include <ftd2xx/ftd2xx.h>
#include <kestrin/kestrin.h>
#include <kestrin/usb_ftd2xx_com.h>

#include <simcard/simcard.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

#include "tlv_decode.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;
using Events = std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>>;

constexpr uint8_t kStart = 4;
constexpr auto kHold = 2s;

size_t wire_bytes(const Events& events) {
  size_t n = 0;
  for (const auto& e : events) n += 7 + e->data.size();
  return n;
}

// One way of holding the host back; every step runs on the test's thread.
struct Consumer {
  std::function<void()> start;                 // connects and starts the traffic
  std::function<size_t()> end_hold;            // takes what piled up during the hold, returns its size
  std::function<void(std::chrono::milliseconds)> drain;  // reads on for that long
  std::function<void()> stop;                  // resets the card and reads what was still coming
  std::function<Events()> events;
};

// The card session's owner leaves its events unread: the session stops reading the link.
Consumer session_owner(const std::shared_ptr<simcard::SimCard>& card, CKestrin& k, Events& got) {
  Consumer c;
  c.start = [&k, card] {
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(k.connect(static_cast<unsigned char>(found[0]->m_index)), 0u);
    k.set_timeout_for_reply(5000);
    k.set_timeout_for_event(200);
    ASSERT_EQ(k.rq_write_by_id(1, 3, 1, &kStart, false), 0u);
  };
  auto take = [&k, &got] {
    Events e = k.read_event_frames();
    got.insert(got.end(), e.begin(), e.end());
    return wire_bytes(e);
  };
  c.end_hold = take;
  c.drain = [&k, take](std::chrono::milliseconds d) {
    const auto end = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < end) {
      k.wait_for_event();
      take();
    }
  };
  // The reply comes behind everything queued before it, and still within the time-out.
  c.stop = [&k, take] {
    EXPECT_EQ(k.rq_reset(1, 2, false), 0u);
    while (k.wait_for_event() == 0) take();
    take();
  };
  c.events = [&got] { return got; };
  return c;
}

// Nobody takes the link's input buffer: the listening thread leaves the bytes in the device's queue.
Consumer link_reader(const std::shared_ptr<simcard::SimCard>& card, CUsbFtd2xxCom& com, ParsedStream& parsed) {
  Consumer c;
  c.start = [&com, card] {
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    ASSERT_EQ(found.size(), 1u);
    com.load();
    ASSERT_EQ(com.open_by_index(static_cast<unsigned char>(found[0]->m_index)), 0u);
    auto start = IProtocol::encode_request(false, 0x21, 1, 3, 0, &kStart, 1);
    ASSERT_EQ(com.write(start.data(), start.size()), 0u);
  };
  auto take = [&com, &parsed] {
    const std::vector<uint8_t> bytes = com.read_input_data();
    parsed.feed(bytes);
    return bytes.size();
  };
  c.end_hold = take;
  c.drain = [&com, take](std::chrono::milliseconds d) {
    const auto end = std::chrono::steady_clock::now() + d;
    while (std::chrono::steady_clock::now() < end) {
      if (com.wait_for_rx_bytes()) take();
    }
  };
  c.stop = [&com, &parsed, take] {
    auto reset = IProtocol::encode_request(false, 0x30, 1, 2, 0);
    ASSERT_EQ(com.write(reset.data(), reset.size()), 0u);
    while (com.wait_for_rx_bytes()) take();
    take();
    EXPECT_FALSE(parsed.lost);
    // The start's reply and the reset's, which came behind the card's whole output.
    ASSERT_EQ(parsed.replies.size(), 2u);
    EXPECT_EQ(parsed.replies.back()->usSW, IProtocol::SW_OK);
  };
  c.events = [&parsed] { return parsed.events; };
  return c;
}

TEST(SimcardHeldConsumer, TheCardLosesFramesAndSaysSoWhileTheLinkStaysBounded) {
  struct Case {
    const char* name;
    std::string serial;
    bool session;  // else the link without a session
    size_t held_bound;
  };
  const std::vector<Case> cases{
      // A chunk more than the bound: the one being parsed when it was reached.
      {"the session's owner", "SIMHOLD1", true, CKestrin::kEventQueueBytes + CAbstractCom::kInputBufferCapacity + 4096},
      {"the link's reader", "SIMHOLD2", false, CAbstractCom::kInputBufferCapacity},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    simcard::Scenario sc = *simcard::preset("clean");
    sc.serial = c.serial;
    sc.pacing = simcard::Pacing::AsFastAsPossible;
    sc.max_fps = 200000;
    auto card = simcard::register_simulated_card(sc);
    card->record_ground_truth(true);
    CKestrin kestrin(0);
    CUsbFtd2xxCom com;
    Events got;
    ParsedStream parsed;
    Consumer consumer = c.session ? session_owner(card, kestrin, got) : link_reader(card, com, parsed);

    consumer.start();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const auto end = std::chrono::steady_clock::now() + kHold;
    size_t queue_max = 0;
    while (std::chrono::steady_clock::now() < end) {
      queue_max = std::max(queue_max, card->host_queue_size());
      std::this_thread::sleep_for(5ms);
    }
    EXPECT_LE(queue_max, ftd2xx::kRxQueueCapacity);
    EXPECT_LE(consumer.end_hold(), c.held_bound);
    EXPECT_GT(card->frames_lost(), 0u);
    consumer.drain(300ms);
    consumer.stop();
    kestrin.disconnect();
    com.close();
    ftd2xx::unregister_virtual_device(card);

    // Every run of lost frames is followed by a flagged event, and no other event is flagged.
    const Events events = consumer.events();
    const auto truth = card->ground_truth();
    std::vector<size_t> delivered;  // truth positions of the delivered frames
    for (size_t i = 0; i < truth.size(); ++i) {
      if (truth[i].delivered) delivered.push_back(i);
    }
    const auto frames = frames_of(events);
    ASSERT_GT(frames.size(), 10000u);
    ASSERT_EQ(frames.size(), delivered.size());
    for (size_t i = 0; i < frames.size(); ++i) {
      ASSERT_EQ(frames[i].bytes, truth[delivered[i]].bytes) << "frame " << i;
    }
    size_t at = 0, flagged = 0;
    for (size_t i = 0; i < events.size(); ++i) {
      const size_t n = decode_payload(events[i]->data).value().size();
      if (n == 0) continue;
      const bool after_loss = delivered[at] != 0 && !truth[delivered[at] - 1].delivered;
      ASSERT_EQ(events[i]->usSW == IProtocol::SW_EVENT_OVERFLOW, after_loss) << "event " << i;
      flagged += after_loss;
      EXPECT_EQ(events[i]->ucCP, static_cast<uint8_t>(i)) << "event " << i;
      at += n;
    }
    EXPECT_GE(flagged, 1u);
  }
}

}  // namespace
}  // namespace brv::test
