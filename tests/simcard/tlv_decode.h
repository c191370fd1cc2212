#pragma once
// Reads the TLV payload of an event frame back into frames with the engine's rules: record
// bytes (FD FD, FE FE, 00), status byte, and dates from the gap and duration counts.

#include <kestrin/protocol.h>
#include <kestrin/stream_parser.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <simcard/network.h>

namespace brv::test {

struct DecodedNode {
  uint16_t flags = 0;
  uint8_t standard = 0;
  uint32_t gap = 0;
  uint16_t duration = 0;
  std::vector<uint8_t> bytes;
  bool has_bytes = false;
};

// nullopt when walking the payload does not end exactly at its last byte.
inline std::optional<std::vector<DecodedNode>> decode_payload(const std::vector<uint8_t>& p) {
  std::vector<DecodedNode> nodes;
  size_t i = 0;
  auto item = [&](size_t at, size_t end, uint8_t& tag, size_t& vstart, size_t& vlen) {
    if (at + 2 > end) return false;
    tag = p[at];
    const bool two = tag & 0x80;
    if (two && at + 3 > end) return false;
    vlen = two ? (size_t{p[at + 1]} << 8 | p[at + 2]) : p[at + 1];
    vstart = at + (two ? 3 : 2);
    return vstart + vlen <= end;
  };
  while (i < p.size()) {
    uint8_t tag;
    size_t vs, vl;
    if (!item(i, p.size(), tag, vs, vl)) return std::nullopt;
    if (tag == 0xC0) {
      DecodedNode n;
      size_t j = vs;
      while (j < vs + vl) {
        uint8_t t;
        size_t cs, cl;
        if (!item(j, vs + vl, t, cs, cl)) return std::nullopt;
        if (t == 0x20 && cl == 2) n.flags = static_cast<uint16_t>(p[cs] << 8 | p[cs + 1]);
        if (t == 0x21 && cl == 1) n.standard = p[cs];
        if (t == 0x30 && cl >= 1 && cl <= 4) {
          for (size_t k = 0; k < cl; ++k) n.gap = n.gap << 8 | p[cs + k];
        }
        if (t == 0x31 && cl == 2) n.duration = static_cast<uint16_t>(p[cs] << 8 | p[cs + 1]);
        if (t == 0x90) {
          n.bytes.assign(p.begin() + static_cast<long>(cs), p.begin() + static_cast<long>(cs + cl));
          n.has_bytes = true;
        }
        j = cs + cl;
      }
      nodes.push_back(std::move(n));
    }
    i = vs + vl;
  }
  return nodes;
}

// What the engine stores for a node, and its date given the previous node.
inline simcard::TruthFrame engine_view(const DecodedNode& n) {
  simcard::BusFrame f;
  f.flags = n.flags;
  f.len = static_cast<uint16_t>(n.bytes.size());
  for (size_t i = 0; i < n.bytes.size(); ++i) f.bytes[i] = n.bytes[i];
  return simcard::TruthFrame{simcard::stored_bytes(f), simcard::stored_status(n.flags), 0, true};
}

// Collects what Kestrin's own stream parser cuts out of a byte stream.
struct ParsedStream : IProtocol::IFrameSink {
  IProtocol::CStreamParser parser;
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> events;
  std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> replies;
  bool lost = false;
  void feed(const std::vector<uint8_t>& chunk) {
    if (!parser.parse(chunk, *this)) lost = true;
  }
  void on_reply(std::shared_ptr<IProtocol::REPLY_FRAME> f) override { replies.push_back(std::move(f)); }
  void on_event(std::shared_ptr<IProtocol::EVENT_FRAME> f) override { events.push_back(std::move(f)); }
};

// Frames of a sequence of events, dated as the engine dates them (the first one at 0).
inline std::vector<simcard::TruthFrame> frames_of(const std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>>& events,
                                                  bool* consistent = nullptr) {
  std::vector<simcard::TruthFrame> out;
  uint64_t date = 0;
  uint16_t prev_duration = 0;
  if (consistent) *consistent = true;
  for (const auto& e : events) {
    const auto nodes = decode_payload(e->data);
    if (!nodes) {
      if (consistent) *consistent = false;
      continue;
    }
    for (const auto& n : *nodes) {
      auto t = engine_view(n);
      if (!out.empty()) date += prev_duration + n.gap;
      t.date = date;
      prev_duration = n.duration;
      out.push_back(std::move(t));
    }
  }
  return out;
}

}  // namespace brv::test
