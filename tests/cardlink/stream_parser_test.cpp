// The stream parser fed chunk by chunk, with the frames it yields recorded in order.

#include <gtest/gtest.h>

#include <kestrin/stream_parser.h>

#include "scripted_card.h"

namespace brv::test {
namespace {

struct Recorder : IProtocol::IFrameSink {
  // 'R' or 'E' per frame, in stream order.
  std::string order;
  std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> replies;
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> events;
  void on_reply(std::shared_ptr<IProtocol::REPLY_FRAME> f) override {
    order += 'R';
    replies.push_back(std::move(f));
  }
  void on_event(std::shared_ptr<IProtocol::EVENT_FRAME> f) override {
    order += 'E';
    events.push_back(std::move(f));
  }
};

// Feeds the chunks; returns false at the first unrecoverable loss.
bool feed(IProtocol::CStreamParser& parser, Recorder& rec, const std::vector<Bytes>& chunks) {
  for (const auto& c : chunks) {
    if (!parser.parse(c, rec)) return false;
  }
  return true;
}

// Every way to cut the stream in two delivers the same frames, once.
TEST(StreamParser, FramesCutAtEveryPositionAreDeliveredOnce) {
  const Bytes stream = cat({reply_frame(0xA000, {0x40, 0x41, 0x80, 0x81}, true), event_frame(7, {0x80, 0x01, 0x02}),
                            reply_frame(0x3001)});
  for (size_t cut = 1; cut < stream.size(); ++cut) {
    IProtocol::CStreamParser parser;
    Recorder rec;
    ASSERT_TRUE(feed(parser, rec, {Bytes(stream.begin(), stream.begin() + cut), Bytes(stream.begin() + cut, stream.end())}))
        << "cut " << cut;
    ASSERT_EQ(rec.order, "RER") << "cut " << cut;
    EXPECT_EQ(rec.replies[0]->data, (Bytes{0x40, 0x41, 0x80, 0x81}));
    EXPECT_EQ(rec.events[0]->data, (Bytes{0x80, 0x01, 0x02}));
  }
}

TEST(StreamParser, OneByteChunks) {
  const Bytes stream = cat({event_frame(1, {1, 2}, 0xA000, 1, true), reply_frame(0xB001, {9})});
  IProtocol::CStreamParser parser;
  Recorder rec;
  for (uint8_t b : stream) ASSERT_TRUE(parser.parse(Bytes{b}, rec));
  EXPECT_EQ(rec.order, "ER");
}

// Start-marker values inside header, data and CRC belong to the frame.
TEST(StreamParser, MarkerValuesInsideFramesAreData) {
  struct Case {
    const char* name;
    Bytes frame;
  };
  const std::vector<Case> cases{
      {"in SW and LEN", Bytes{0x80, 0x40, 0x41, 0x00, 0x01, 0x81}},
      {"in ID, CP and SW", Bytes{0x40, 0x80, 0x81, 0x40, 0x41, 0x00, 0x00}},
      {"in CRC", Bytes{0x81, 0xA0, 0x00, 0x00, 0x00, 0x40, 0x80}},
      {"in data", reply_frame(0xA000, {0x81, 0x80, 0x41, 0x40})},
  };
  for (const auto& c : cases) {
    IProtocol::CStreamParser parser;
    Recorder rec;
    ASSERT_TRUE(parser.parse(cat({c.frame, reply_frame(0xA000)}), rec)) << c.name;
    EXPECT_EQ(rec.order.size(), 2u) << c.name;
  }
  IProtocol::CStreamParser parser;
  Recorder rec;
  parser.parse(Bytes{0x40, 0x80, 0x81, 0x40, 0x41, 0x00, 0x00}, rec);
  ASSERT_EQ(rec.events.size(), 1u);
  EXPECT_EQ(rec.events[0]->ucID, 0x80);
  EXPECT_EQ(rec.events[0]->ucCP, 0x81);
  EXPECT_EQ(rec.events[0]->usSW, 0x4041);
}

TEST(StreamParser, RecordsCarryTheFieldsReceived) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  ASSERT_TRUE(parser.parse(cat({reply_frame(0x2003, {5, 6}, true), event_frame(0x33, {7}, 0x8001, 1, true)}), rec));
  ASSERT_EQ(rec.order, "RE");
  const auto& r = *rec.replies[0];
  EXPECT_EQ(r.ucCLA, 0x81);
  EXPECT_EQ(r.usSW, 0x2003);
  EXPECT_EQ(r.usLEN, 2);
  EXPECT_EQ(r.usCRC, IProtocol::crc16(Bytes{0x81, 0x20, 0x03, 0x00, 0x02, 5, 6}.data(), 7));
  const auto& e = *rec.events[0];
  EXPECT_EQ(e.ucCLA, 0x41);
  EXPECT_EQ(e.ucID, 1);
  EXPECT_EQ(e.ucCP, 0x33);
  EXPECT_EQ(e.usSW, 0x8001);
  EXPECT_EQ(e.data, Bytes{7});
  EXPECT_EQ(e.usCRC, 0x1234);
}

// A reply without CRC and LEN 0 is complete after five bytes; with CRC after seven.
TEST(StreamParser, ShortRepliesCompleteAtTheirLastByte) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  parser.parse(Bytes{0x80, 0xA0, 0x00, 0x00, 0x00}, rec);
  EXPECT_EQ(rec.order, "R");
  parser.parse(Bytes{0x81, 0xA0, 0x00, 0x00, 0x00, 0xAB}, rec);
  EXPECT_EQ(rec.order, "R");
  parser.parse(Bytes{0xCD}, rec);
  ASSERT_EQ(rec.order, "RR");
  EXPECT_EQ(rec.replies[1]->usCRC, 0xABCD);
}

TEST(StreamParser, BackToBackFramesInOrder) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  ASSERT_TRUE(parser.parse(cat({event_frame(1), reply_frame(0xA000, {1}), event_frame(2, {3}), event_frame(3)}), rec));
  EXPECT_EQ(rec.order, "EREE");
  EXPECT_EQ(rec.events[2]->ucCP, 3);
}

// Garbage after a frame: the frame before it is dropped, reception resumes at the first event
// frame with ID 1 and SW 0xA000 or 0x8001.
TEST(StreamParser, GarbageRecoversAtNextPlausibleEventFrame) {
  for (const uint16_t sw : {uint16_t{0xA000}, uint16_t{0x8001}}) {
    IProtocol::CStreamParser parser;
    Recorder rec;
    TraceCapture traces;
    const Bytes chunk = cat({reply_frame(0xA000), Bytes{0x13, 0x37}, event_frame(9, {1}, 0x1234), event_frame(4, {}, sw),
                             reply_frame(0xA000)});
    ASSERT_TRUE(parser.parse(chunk, rec));
    // The reply before the garbage is inconsistent; the event with SW 0x1234 is not a plausible restart.
    EXPECT_EQ(rec.order, "ER");
    EXPECT_EQ(rec.events[0]->ucCP, 4);
    EXPECT_TRUE(traces.contains("Inconsistent Frame detected !! \n"));
    EXPECT_TRUE(traces.contains("Context Recovery Attempt OK !"));
  }
}

TEST(StreamParser, EventWithOtherIdIsNoRestartPoint) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  EXPECT_FALSE(parser.parse(cat({Bytes{0x00}, event_frame(1, {0, 0}, 0xA000, 2)}), rec));
  EXPECT_EQ(rec.order, "");
}

TEST(StreamParser, GarbageWithoutRestartPointIsALoss) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  TraceCapture traces;
  EXPECT_FALSE(parser.parse(Bytes{0x12, 0x40, 0x01, 0x00, 0xA0, 0x00, 0x00}, rec));  // event too short to count
  EXPECT_TRUE(traces.contains("-- Context Loss Block Management --"));
  EXPECT_TRUE(traces.contains("current context :"));
}

// A frame spanning two chunks followed by garbage: the previous chunk is scanned again with the
// current one, from the last frame start on.
TEST(StreamParser, RecoveryScansThePreviousChunkWhenSpanning) {
  IProtocol::CStreamParser parser;
  Recorder rec;
  TraceCapture traces;
  // A reply whose data hides a plausible event frame and a short reply, cut after 9 bytes.
  const Bytes hidden = cat({event_frame(6, {0xAA}), reply_frame(0xA000)});
  const Bytes reply = cat({Bytes{0x80, 0xA0, 0x00, 0x00, static_cast<uint8_t>(hidden.size())}, hidden});
  ASSERT_TRUE(parser.parse(Bytes(reply.begin(), reply.begin() + 9), rec));
  ASSERT_TRUE(parser.parse(cat({Bytes(reply.begin() + 9, reply.end()), Bytes{0x00}, event_frame(7, {1}),
                                reply_frame(0xB000)}),
                           rec));
  EXPECT_TRUE(traces.contains(" - spanning : true"));
  // The outer reply is dropped; reception restarts at the hidden event, then at the event after the garbage.
  EXPECT_EQ(rec.order, "EER");
  ASSERT_EQ(rec.events.size(), 2u);
  EXPECT_EQ(rec.events[0]->ucCP, 6);
  EXPECT_EQ(rec.events[1]->ucCP, 7);
  EXPECT_EQ(rec.replies[0]->usSW, 0xB000);
}

}  // namespace
}  // namespace brv::test

namespace brv::test {
namespace {

// However long the chunks, the parser keeps only the last frame begun in an earlier chunk while no
// frame has started since (what a recovery may scan again), never a whole chunk.
TEST(StreamParser, KeepsOnlyTheUnfinishedFrameBetweenChunks) {
  Bytes events;
  for (int i = 0; i < 2000; ++i) append(events, event_frame(static_cast<uint8_t>(i), Bytes(500, 0x5A)));
  const Bytes reply = reply_frame(0xA000, Bytes(300, 0x55));
  const auto part = [&](size_t from, size_t to) { return Bytes(reply.begin() + from, reply.begin() + to); };
  struct Case {
    const char* name;
    std::vector<Bytes> chunks;
    size_t kept;
    size_t replies;
  };
  const std::vector<Case> cases{
      {"a megabyte ending between frames", {events}, 0, 0},
      {"a megabyte ending inside a frame", {cat({events, part(0, 9)})}, 9, 0},
      {"a frame over three chunks", {cat({events, part(0, 9)}), part(9, 100), part(100, 250)}, 250, 0},
      // Garbage next would still make the recovery scan that frame again.
      {"the frame completed at the end", {cat({events, part(0, 9)}), part(9, 100), part(100, reply.size())},
       reply.size(), 1},
      {"a whole frame after it", {cat({events, part(0, 9)}), cat({part(9, reply.size()), reply_frame(0xA000)})}, 0, 2},
      {"the next frame begun", {cat({events, part(0, 9)}), cat({part(9, reply.size()), part(0, 4)})}, 4, 1},
  };
  for (const auto& c : cases) {
    IProtocol::CStreamParser parser;
    Recorder rec;
    ASSERT_TRUE(feed(parser, rec, c.chunks)) << c.name;
    EXPECT_EQ(parser.kept_bytes(), c.kept) << c.name;
    EXPECT_EQ(rec.events.size(), 2000u) << c.name;
    EXPECT_EQ(rec.replies.size(), c.replies) << c.name;
  }
}

// A frame over several chunks followed by garbage: the recovery scans the frame's bytes from all
// of them, wherever the cuts fall.
TEST(StreamParser, RecoveryScansAFrameSpreadOverSeveralChunks) {
  const Bytes hidden = cat({event_frame(6, {0xAA}), reply_frame(0xA000)});
  const Bytes reply = cat({Bytes{0x80, 0xA0, 0x00, 0x00, static_cast<uint8_t>(hidden.size())}, hidden});
  const Bytes after = cat({Bytes{0x00}, event_frame(7, {1}), reply_frame(0xB000)});
  // The hidden event's header lies at bytes 5 to 9 of the outer reply.
  const std::vector<std::vector<size_t>> cuts{{9}, {9, 12}, {3, 9, 11}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
  for (const auto& c : cuts) {
    IProtocol::CStreamParser parser;
    Recorder rec;
    size_t from = 0;
    for (size_t to : c) {
      ASSERT_TRUE(parser.parse(Bytes(reply.begin() + from, reply.begin() + to), rec));
      from = to;
    }
    ASSERT_TRUE(parser.parse(cat({Bytes(reply.begin() + from, reply.end()), after}), rec)) << c.size() << " cuts";
    EXPECT_EQ(rec.order, "EER") << c.size() << " cuts";
    ASSERT_EQ(rec.events.size(), 2u) << c.size() << " cuts";
    EXPECT_EQ(rec.events[0]->ucCP, 6) << c.size() << " cuts";
  }
}

// Garbage between two events, wherever the host's reads cut the stream around it: the event
// before it is kept only when the garbage opens a read; every event lost shows as a gap in the
// counters of those delivered, and the events after the garbage are all kept.
TEST(StreamParser, GarbageInsideAReadLosesOnlyTheEventBeforeItAndLeavesACounterGap) {
  const Bytes ev1 = event_frame(1, {0xC0, 0x01, 0x11}), ev2 = event_frame(2, {0xC0, 0x01, 0x22});
  const Bytes junk{0x13, 0x37, 0x00, 0xFF};
  const Bytes ev3 = event_frame(3, {0xC0, 0x02, 0x33, 0x33}), ev4 = event_frame(4);
  const Bytes stream = cat({ev1, ev2, junk, ev3, ev4});
  const size_t at_ev2 = ev1.size(), at_junk = at_ev2 + ev2.size(), at_ev3 = at_junk + junk.size();
  struct Case {
    const char* name;
    std::vector<size_t> cuts;  // where one read ends and the next begins
    std::vector<uint8_t> cps;  // counters of the events delivered
  };
  const std::vector<Case> cases{
      {"the garbage opens a read", {at_junk}, {1, 2, 3, 4}},
      {"all in one read", {}, {1, 3, 4}},
      {"the event before it opens the read", {at_ev2}, {1, 3, 4}},
      {"the event before it over two reads", {at_ev2 + 3}, {1, 3, 4}},
      {"the event after it over two reads", {at_ev3 + 9}, {1, 3, 4}},
      {"one byte a read up to the garbage", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, at_ev2 + 1, at_junk - 1}, {1, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<Bytes> reads;
    size_t from = 0;
    for (size_t to : c.cuts) {
      reads.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(from), stream.begin() + static_cast<std::ptrdiff_t>(to));
      from = to;
    }
    reads.emplace_back(stream.begin() + static_cast<std::ptrdiff_t>(from), stream.end());
    IProtocol::CStreamParser parser;
    Recorder rec;
    ASSERT_TRUE(feed(parser, rec, reads));
    std::vector<uint8_t> cps;
    size_t missing = 0;
    for (const auto& e : rec.events) {
      if (!cps.empty()) missing += IProtocol::events_missing(cps.back(), e->ucCP);
      cps.push_back(e->ucCP);
    }
    EXPECT_EQ(cps, c.cps);
    EXPECT_EQ(missing, 4 - cps.size());
  }
}

}  // namespace
}  // namespace brv::test
