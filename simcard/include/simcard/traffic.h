#pragma once
// The card's outgoing event stream: frames of the network model packed into event frames, CP
// numbering, card-side faults (FIFO overflow, lost events, garbage, mute, unplug), ground truth.
// No threads and no device: the same scenario gives the same bytes.

#include <cstdint>
#include <vector>

#include "simcard/network.h"
#include "simcard/scenario.h"

namespace simcard {

class TrafficSource {
 public:
  explicit TrafficSource(const Scenario& scenario, bool record_truth = false);

  // Appends whole event frames to chunk until it holds about chunk_bytes or its frames span
  // max_span tenths of a bit time (0: no limit). Returns the number of bus frames consumed.
  size_t next_chunk(std::vector<uint8_t>& chunk, uint64_t max_span = 0);

  // The card's FIFO is full (the host takes nothing): the bus frames go on, up to max_frames of
  // them or max_span tenths of a bit time (0: no limit), and are lost on the card; the next
  // event sent is flagged. Returns the number of bus frames consumed.
  size_t lose_frames(size_t max_frames, uint64_t max_span = 0);

  // The card stopped before sending the last `frames` frames taken: they never reach the host.
  void withdraw(size_t frames);

  // Bus date (tenths of a bit time since the first frame) at the end of the last frame taken.
  uint64_t bus_end() const { return model_.date() + last_duration_; }
  uint64_t frames() const { return model_.number(); }
  uint64_t events() const { return events_; }

  // Card faults that fired since the last call (bits: 1 mute, 2 unplug).
  static constexpr unsigned kMute = 1, kUnplug = 2;
  unsigned take_card_faults() {
    const unsigned f = card_faults_;
    card_faults_ = 0;
    return f;
  }

  const std::vector<TruthFrame>& truth() const { return truth_; }

 private:
  void append_event(std::vector<uint8_t>& out);

  Scenario sc_;
  NetworkModel model_;
  Rng rng_;
  bool record_;
  std::vector<TruthFrame> truth_;
  uint8_t cp_ = 0;
  uint64_t events_ = 0;
  uint32_t drop_left_ = 0;
  bool fifo_full_ = false;  // every frame taken is dropped, as during an overflow fault
  bool overflow_pending_ = false;
  uint16_t last_duration_ = 0;
  unsigned card_faults_ = 0;
  uint64_t event_span_;
  // Garbage and the event after it, held for the start of the next chunk.
  std::vector<uint8_t> carry_;
  bool cut_before_garbage_ = false;
  size_t garbage_at_ = 0;
};

}  // namespace simcard
