// The card's event stream without threads: cut by Kestrin's own parser, payloads read back and
// compared with the ground truth; frame check sequences, dates, determinism, each fault kind.

#include <gtest/gtest.h>

#include <brv_core/decode/crc.h>
#include <brv_core/decode/frame_types.h>

#include <simcard/event_encoder.h>
#include <simcard/traffic.h>

#include <algorithm>
#include <set>

#include "tlv_decode.h"

namespace brv::test {
namespace {

using simcard::Fault;
using simcard::Scenario;
using simcard::TrafficSource;
using simcard::TruthFrame;

struct Capture {
  ParsedStream parsed;
  std::vector<uint8_t> stream;
  std::vector<TruthFrame> truth;
  unsigned card_faults = 0;
};

Capture run(const Scenario& sc, size_t min_frames) {
  Capture r;
  TrafficSource src(sc, true);
  std::vector<uint8_t> chunk;
  while (src.frames() < min_frames) {
    chunk.clear();
    src.next_chunk(chunk);
    r.stream.insert(r.stream.end(), chunk.begin(), chunk.end());
    r.parsed.feed(chunk);
    r.card_faults |= src.take_card_faults();
  }
  r.truth = src.truth();
  return r;
}

std::vector<TruthFrame> delivered(const std::vector<TruthFrame>& truth) {
  std::vector<TruthFrame> out;
  for (const auto& t : truth) {
    if (t.delivered) out.push_back(t);
  }
  return out;
}

Scenario clean(bool worldfip) {
  Scenario s = *simcard::preset("clean");
  s.worldfip = worldfip;
  s.bimedium = true;
  s.message_rate = 0.1;
  s.aperiodic_rate = 0.05;
  return s;
}

class Framing : public ::testing::TestWithParam<bool> {};

TEST_P(Framing, EventsDecodeToTheGroundTruthWithValidFrameChecks) {
  const bool worldfip = GetParam();
  const Capture r = run(clean(worldfip), 20000);
  ASSERT_FALSE(r.parsed.lost);
  ASSERT_FALSE(r.parsed.events.empty());
  for (size_t i = 0; i < r.parsed.events.size(); ++i) {
    const auto& e = *r.parsed.events[i];
    EXPECT_EQ(e.ucCLA, 0x40);
    EXPECT_EQ(e.ucID, 1);
    EXPECT_EQ(e.ucCP, static_cast<uint8_t>(i));
    EXPECT_EQ(e.usSW, 0xA000);
  }
  bool consistent = false;
  const auto got = frames_of(r.parsed.events, &consistent);
  EXPECT_TRUE(consistent);
  ASSERT_EQ(got.size(), r.truth.size());
  for (size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(got[i].bytes, r.truth[i].bytes) << "frame " << i;
    ASSERT_EQ(got[i].status, r.truth[i].status) << "frame " << i;
    ASSERT_EQ(got[i].date, r.truth[i].date) << "frame " << i;
  }
  // Every frame ends with the frame check sequence of its framing and lasts (21|24 + 8n) bits.
  for (const auto& e : r.parsed.events) {
    const auto nodes = decode_payload(e->data);
    ASSERT_TRUE(nodes);
    for (const auto& n : *nodes) {
      ASSERT_TRUE(n.has_bytes);
      ASSERT_GE(n.bytes.size(), 3u);
      EXPECT_EQ(n.standard, worldfip ? 16 : 1);
      const uint16_t fcs = brv::CrcTrame(!worldfip, n.bytes.data(), n.bytes.size() - 2);
      ASSERT_EQ(n.bytes[n.bytes.size() - 2], fcs >> 8);
      ASSERT_EQ(n.bytes.back(), fcs & 0xFF);
      EXPECT_EQ(n.duration, ((worldfip ? 24 : 21) + 8 * n.bytes.size()) * 10);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Simcard, Framing, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "WorldFip" : "Fip"; });

TEST(SimcardStream, EventCrcCoversTheWholeFrame) {
  Scenario s = clean(true);
  s.event_crc = true;
  const Capture r = run(s, 2000);
  ASSERT_FALSE(r.parsed.events.empty());
  for (const auto& e : r.parsed.events) {
    ASSERT_EQ(e->ucCLA, 0x41);
    std::vector<uint8_t> head = {e->ucCLA, e->ucID, e->ucCP, static_cast<uint8_t>(e->usSW >> 8),
                                 static_cast<uint8_t>(e->usSW), static_cast<uint8_t>(e->usLEN >> 8),
                                 static_cast<uint8_t>(e->usLEN)};
    head.insert(head.end(), e->data.begin(), e->data.end());
    EXPECT_EQ(IProtocol::crc16(head.data(), head.size()), e->usCRC);
  }
}

TEST(SimcardStream, SameSeedSameBytesOtherSeedOtherBytes) {
  Scenario a = *simcard::preset("faults");
  const Capture r1 = run(a, 30000), r2 = run(a, 30000);
  EXPECT_EQ(r1.stream, r2.stream);
  a.seed = 2;
  const Capture r3 = run(a, 30000);
  EXPECT_NE(r1.stream, r3.stream);
}

TEST(SimcardStream, NetworkCarriesEveryTrafficKind) {
  const Capture r = run(clean(false), 60000);
  std::set<uint8_t> controls;
  std::set<uint16_t> ids;
  bool unite = false, telegram = false;
  for (const auto& t : r.truth) {
    controls.insert(t.bytes[0]);
    if (t.bytes[0] == 0x03) ids.insert(static_cast<uint16_t>(t.bytes[1] << 8 | t.bytes[2]));
    if ((t.bytes[0] & 0x7F) == 0x14 || t.bytes[0] == 0x04) {
      unite |= t.bytes[1] == 0x09 && t.bytes[7] == 0xF1;
      telegram |= t.bytes[1] == 0x0D && t.bytes[7] == 0xF5;
    }
  }
  for (uint8_t c : {0x03, 0x02, 0x05, 0x29, 0x09, 0x28, 0x08, 0x40, 0x06}) EXPECT_TRUE(controls.count(c)) << int(c);
  EXPECT_TRUE(controls.count(0x14) || controls.count(0x94));
  EXPECT_TRUE(controls.count(0x30) || controls.count(0xB0));
  for (uint16_t id : {0x9002, 0x9003, 0x9008, 0x9080, 0x1401, 0x1001, 0x0002, 0x0100}) EXPECT_TRUE(ids.count(id)) << id;
  EXPECT_TRUE(unite);
  EXPECT_TRUE(telegram);
}

// A scenario with one fault kind at given frame numbers.
Capture with_fault(Fault f, std::vector<uint64_t> at, size_t frames = 6000) {
  Scenario s = clean(true);
  s.faults[f].at = std::move(at);
  return run(s, frames);
}

TEST(SimcardFaults, LineFaultsShowAsStatusFlagsAndMarkers) {
  {
    const Capture r = with_fault(Fault::Glitch, {100});
    EXPECT_EQ(r.truth[100].bytes, (std::vector<uint8_t>{0xFD, 0xFD}));
    EXPECT_EQ(r.truth[100].status & 0x20, 0x20);
  }
  {
    const Capture r = with_fault(Fault::BadDelimiter, {100, 200});
    EXPECT_EQ(r.truth[100].bytes, (std::vector<uint8_t>{0xFE, 0xFE}));
    EXPECT_EQ(r.truth[100].status & 0xC0, 0x40);
    EXPECT_EQ(r.truth[200].status & 0xC0, 0x80);
  }
  {
    const Capture r = with_fault(Fault::TxErrorCh1, {100});
    EXPECT_EQ(r.truth[100].status & 0x03, 0x01);
    const Capture r2 = with_fault(Fault::TxErrorCh2, {100});
    EXPECT_EQ(r2.truth[100].status & 0x03, 0x02);
  }
  {
    const Capture r = with_fault(Fault::Interruption, {100});
    EXPECT_EQ(r.truth[100].status & 0x08, 0x08);
    // 50 ms of silence at 1 Mbit/s before it.
    EXPECT_GE(r.truth[100].date - r.truth[99].date, 500000u);
  }
  {
    const Capture r = with_fault(Fault::CrcError, {100});
    const auto& b = r.truth[100].bytes;
    const uint16_t fcs = brv::CrcTrame(false, b.data(), b.size() - 2);
    EXPECT_NE(static_cast<uint16_t>(b[b.size() - 2] << 8 | b.back()), fcs);
  }
  // Each of these reaches the capture as it was recorded.
  const Capture r = with_fault(Fault::Glitch, {50, 51, 300});
  EXPECT_EQ(frames_of(r.parsed.events).size(), r.truth.size());
}

TEST(SimcardFaults, SilentProducersLeaveIdentifiersUnanswered) {
  auto unanswered = [](const Capture& r) {
    std::set<uint16_t> asked, answered_after;
    for (size_t i = 0; i + 1 < r.truth.size(); ++i) {
      if (r.truth[i].bytes[0] == 0x03 && !brv::EstReponseDonnee(r.truth[i + 1].bytes[0])) {
        asked.insert(static_cast<uint16_t>(r.truth[i].bytes[1] << 8 | r.truth[i].bytes[2]));
      }
    }
    asked.erase(0x9080);  // padding is never answered
    return asked;
  };
  EXPECT_TRUE(unanswered(run(clean(true), 6000)).empty());
  const auto one = unanswered(with_fault(Fault::NoProducer, {1000}));
  EXPECT_EQ(one.size(), 1u);
  const auto station = unanswered(with_fault(Fault::StationStops, {1000}, 20000));
  // The station's variables, its presence variable and its identification all go silent.
  EXPECT_GE(station.size(), 2u);
  EXPECT_TRUE(std::any_of(station.begin(), station.end(), [](uint16_t id) { return (id & 0xFFC0) == 0x1400; }));
}

TEST(SimcardFaults, OverflowDropsFramesAndFlagsTheNextEvent) {
  const Capture r = with_fault(Fault::FifoOverflow, {500});
  EXPECT_FALSE(r.truth[500].delivered);
  const size_t dropped = std::count_if(r.truth.begin(), r.truth.end(), [](const auto& t) { return !t.delivered; });
  EXPECT_GE(dropped, 4u);
  size_t flagged = 0;
  for (const auto& e : r.parsed.events) flagged += e->usSW == 0x8001;
  EXPECT_EQ(flagged, 1u);
  const auto got = frames_of(r.parsed.events);
  const auto want = delivered(r.truth);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].bytes, want[i].bytes);
}

// A full FIFO loses the bus frames that come meanwhile as the overflow fault does: the truth says
// which, the next event sent is flagged (once), and the event counter has no gap.
TEST(SimcardFaults, AFullFifoLosesFramesAndFlagsTheNextEvent) {
  struct Case {
    const char* name;
    size_t frames;
    uint64_t span;  // tenths of a bit time
  };
  const std::vector<Case> cases{{"by frame count", 300, 0}, {"by bus time", SIZE_MAX, 20000}};
  for (const auto& c : cases) {
    const Scenario sc = clean(true);
    TrafficSource src(sc, true);
    ParsedStream parsed;
    std::vector<uint8_t> chunk;
    auto send_until = [&](uint64_t frames) {
      while (src.frames() < frames) {
        chunk.clear();
        src.next_chunk(chunk);
        parsed.feed(chunk);
      }
    };
    send_until(2000);
    const uint64_t first_lost = src.frames();
    const uint64_t begin = src.bus_end();
    const size_t lost = src.lose_frames(c.frames, c.span);
    ASSERT_EQ(src.frames(), first_lost + lost) << c.name;
    if (c.span != 0) {
      EXPECT_GE(src.bus_end() - begin, c.span) << c.name;
      EXPECT_GT(lost, 0u) << c.name;
    } else {
      EXPECT_GE(lost, c.frames) << c.name;
      EXPECT_LT(lost, c.frames + sc.frames_per_event) << c.name;
    }
    send_until(first_lost + lost + 2000);

    for (size_t i = 0; i < src.truth().size(); ++i) {
      const bool was_lost = i >= first_lost && i < first_lost + lost;
      ASSERT_EQ(src.truth()[i].delivered, !was_lost) << c.name << " frame " << i;
    }
    size_t flagged = 0, frames_before = 0, flagged_at = 0;
    for (size_t i = 0; i < parsed.events.size(); ++i) {
      const auto& e = *parsed.events[i];
      EXPECT_EQ(e.ucCP, static_cast<uint8_t>(i)) << c.name;
      if (e.usSW == 0x8001) {
        ++flagged;
        flagged_at = frames_before;
      }
      frames_before += decode_payload(e.data).value().size();
    }
    EXPECT_EQ(flagged, 1u) << c.name;
    // The flagged event opens with the first frame after the lost ones.
    EXPECT_EQ(flagged_at, first_lost) << c.name;
    const auto got = frames_of(parsed.events);
    const auto want = delivered(src.truth());
    ASSERT_EQ(got.size(), want.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i].bytes, want[i].bytes) << c.name << " frame " << i;
  }
}

TEST(SimcardFaults, LostEventLeavesACpGap) {
  const Capture r = with_fault(Fault::LostEvent, {500});
  size_t gaps = 0;
  for (size_t i = 1; i < r.parsed.events.size(); ++i) {
    const uint8_t expect = static_cast<uint8_t>(r.parsed.events[i - 1]->ucCP + 1);
    if (r.parsed.events[i]->ucCP != expect) {
      ++gaps;
      EXPECT_EQ(r.parsed.events[i]->ucCP, static_cast<uint8_t>(expect + 1));
    }
  }
  EXPECT_EQ(gaps, 1u);
  EXPECT_FALSE(r.truth[500].delivered);
  EXPECT_EQ(frames_of(r.parsed.events).size(), delivered(r.truth).size());
}

TEST(SimcardFaults, GarbageOpensAChunkAndTheParserResynchronises) {
  Scenario s = clean(true);
  s.faults[Fault::Garbage].at = {500, 3000};
  TrafficSource src(s, true);
  ParsedStream parsed;
  std::vector<uint8_t> chunk;
  size_t garbage_chunks = 0;
  while (src.frames() < 6000) {
    chunk.clear();
    src.next_chunk(chunk);
    garbage_chunks += !IProtocol::is_start_marker(chunk[0]);
    parsed.feed(chunk);
  }
  EXPECT_EQ(garbage_chunks, 2u);
  EXPECT_FALSE(parsed.lost);
  EXPECT_EQ(frames_of(parsed.events).size(), src.truth().size());
}

TEST(SimcardFaults, CardFaultsAreReportedToTheCard) {
  EXPECT_EQ(with_fault(Fault::CardMute, {300}, 1000).card_faults, TrafficSource::kMute);
  EXPECT_EQ(with_fault(Fault::Unplug, {300}, 1000).card_faults, TrafficSource::kUnplug);
  EXPECT_EQ(run(clean(true), 1000).card_faults, 0u);
}

TEST(SimcardFaults, RatesFireAboutAsOftenAsAsked) {
  Scenario s = clean(true);
  s.faults[Fault::TxErrorCh1].rate = 0.01;
  const Capture r = run(s, 50000);
  const size_t hits = std::count_if(r.truth.begin(), r.truth.end(), [](const auto& t) { return t.status & 0x01; });
  EXPECT_GT(hits, 350u);
  EXPECT_LT(hits, 650u);
}

}  // namespace
}  // namespace brv::test
