#include "simcard/traffic.h"

#include <algorithm>

#include <kestrin/protocol.h>

#include "simcard/event_encoder.h"

namespace simcard {
namespace {

constexpr size_t kMaxEventPayload = 3500;

bool is_marker(uint8_t b) { return IProtocol::is_start_marker(b); }

}  // namespace

TrafficSource::TrafficSource(const Scenario& scenario, bool record_truth)
    : sc_(scenario), model_(sc_), rng_(scenario.seed ^ 0xC0FFEEULL), record_(record_truth),
      // An event never holds more than a millisecond of bus time, as the card's FIFO drains.
      event_span_(uint64_t{sc_.bits_per_second()} / 100) {}

void TrafficSource::append_event(std::vector<uint8_t>& out) {
  const size_t before = out.size();
  const size_t truth_first = truth_.size();
  const bool overflow = overflow_pending_;
  overflow_pending_ = false;
  bool lost = false;
  bool garbage = false;
  const size_t start = begin_event(out, cp_, overflow ? IProtocol::SW_EVENT_OVERFLOW : IProtocol::SW_OK, sc_.event_crc);
  uint64_t first_date = UINT64_MAX;
  unsigned nodes = 0;
  unsigned taken = 0;
  while (nodes < sc_.frames_per_event && out.size() - start < kMaxEventPayload) {
    ++taken;
    const BusFrame& f = model_.next();
    last_duration_ = f.duration;
    if (record_) truth_.push_back(TruthFrame{stored_bytes(f), stored_status(f.flags), model_.date(), true});
    if (model_.any_fault_possible()) {
      if (model_.fires(Fault::CardMute)) card_faults_ |= kMute;
      if (model_.fires(Fault::Unplug)) card_faults_ |= kUnplug;
      if (model_.fires(Fault::LostEvent)) lost = true;
      if (model_.fires(Fault::Garbage)) garbage = true;
      if (drop_left_ == 0 && model_.fires(Fault::FifoOverflow)) drop_left_ = 4 + rng_.below(60);
    }
    if (drop_left_ > 0 || fifo_full_) {
      // The card's FIFO is full: the frame is lost and the next event says so.
      if (record_) truth_.back().delivered = false;
      if (drop_left_ > 0 && --drop_left_ == 0) {
        overflow_pending_ = true;
        break;
      }
      if (fifo_full_) {
        overflow_pending_ = true;
        // As many frames as an event would hold, so that the caller counts its limits.
        if (taken >= sc_.frames_per_event) break;
      }
      continue;
    }
    if (first_date == UINT64_MAX) first_date = model_.date();
    out.resize(out.size() + kMaxNodeBytes);
    const size_t n = encode_node(f, sc_.worldfip, out.data() + out.size() - kMaxNodeBytes);
    out.resize(out.size() - kMaxNodeBytes + n);
    ++nodes;
    if (model_.date() - first_date >= event_span_) break;
  }
  if (nodes == 0) {
    // Only dropped frames: no event, the overflow goes on the next one.
    out.resize(before);
    overflow_pending_ = overflow_pending_ || overflow;
    return;
  }
  end_event(out, start, sc_.event_crc);
  ++cp_;
  ++events_;
  if (lost) {
    out.resize(before);
    if (record_) {
      for (size_t i = truth_first; i < truth_.size(); ++i) truth_[i].delivered = false;
    }
    return;
  }
  if (garbage) {
    // Bytes outside any frame just before this event, which the host resynchronises on.
    const uint32_t n = 1 + rng_.below(16);
    std::vector<uint8_t> junk;
    while (junk.size() < n) {
      const auto b = static_cast<uint8_t>(rng_.next());
      if (!is_marker(b)) junk.push_back(b);
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(before), junk.begin(), junk.end());
    cut_before_garbage_ = true;
    garbage_at_ = before;
  }
}

size_t TrafficSource::lose_frames(size_t max_frames, uint64_t max_span) {
  const uint64_t first = model_.number();
  const uint64_t begin = bus_end();
  fifo_full_ = true;
  std::vector<uint8_t> none;
  while (model_.number() - first < max_frames && (max_span == 0 || bus_end() - begin < max_span) &&
         card_faults_ == 0) {
    append_event(none);
  }
  fifo_full_ = false;
  return static_cast<size_t>(model_.number() - first);
}

void TrafficSource::withdraw(size_t frames) {
  if (!record_) return;
  for (size_t i = truth_.size() - std::min(frames, truth_.size()); i < truth_.size(); ++i) truth_[i].delivered = false;
}

size_t TrafficSource::next_chunk(std::vector<uint8_t>& chunk, uint64_t max_span) {
  const uint64_t first = model_.number();
  const uint64_t begin = bus_end();
  const size_t base = chunk.size();
  chunk.insert(chunk.end(), carry_.begin(), carry_.end());
  carry_.clear();
  do {
    append_event(chunk);
    if (cut_before_garbage_) {
      cut_before_garbage_ = false;
      // Garbage opens a chunk, so that the event before it arrives whole and is kept.
      if (garbage_at_ > base) {
        carry_.assign(chunk.begin() + static_cast<std::ptrdiff_t>(garbage_at_), chunk.end());
        chunk.resize(garbage_at_);
        break;
      }
    }
  } while (chunk.size() - base < sc_.chunk_bytes && (max_span == 0 || bus_end() - begin < max_span) &&
           card_faults_ == 0);
  return static_cast<size_t>(model_.number() - first);
}

}  // namespace simcard
