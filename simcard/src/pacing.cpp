// The traffic thread: generates chunks and delivers them at the pace of the scenario. The host's
// queue is bounded: what it does not take waits in the card's FIFO, and while that is full the
// bus frames are lost on the card, as on a real card whose host falls behind.

#include <chrono>

#include "simcard/simcard.h"

namespace simcard {
namespace {

using Clock = std::chrono::steady_clock;
constexpr unsigned kDefaultLatencyMs = 16;

}  // namespace

bool SimCard::flush_locked() {
  const std::optional<size_t> taken = send_to_host(outgoing_);
  if (!taken) return false;
  outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<std::ptrdiff_t>(*taken));
  return true;
}

void SimCard::traffic_loop() {
  const double tenths_per_second = 10.0 * scenario_.bits_per_second();
  const bool real_time = scenario_.pacing == Pacing::RealTime;
  // As fast as possible without a cap, the bus goes at the host's pace and nothing is lost.
  const bool host_paced = !real_time && scenario_.max_fps <= 0;
  const unsigned latency_ms = line_settings().latency_ms ? line_settings().latency_ms : kDefaultLatencyMs;
  // A real link flushes what the card sent once its latency timer expires.
  const auto span = static_cast<uint64_t>(tenths_per_second * latency_ms / 1000.0);
  const Clock::time_point t0 = Clock::now();
  started_ = t0.time_since_epoch().count();
  std::vector<uint8_t> chunk;
  chunk.reserve(2 * scenario_.chunk_bytes);
  uint64_t frames_total = 0;
  // A full FIFO loses about as many frames per turn as the last chunk carried.
  size_t chunk_frames = scenario_.frames_per_event;

  auto wait_until = [&](Clock::time_point deadline) {
    std::unique_lock lock(wake_mutex_);
    return !wake_.wait_until(lock, deadline, [&] { return stop_requested_; });
  };
  // False once the host is gone.
  auto flush = [&](bool& full) {
    std::lock_guard lock(send_mutex_);
    const bool host = flush_locked();
    full = outgoing_.size() >= kCardFifoBytes;
    return host;
  };

  for (;;) {
    bool full = false;
    bool go_on = flush(full);
    while (go_on && full && host_paced) go_on = wait_until(Clock::now() + std::chrono::milliseconds(1)) && flush(full);
    if (!go_on) break;
    chunk.clear();
    size_t frames;
    uint64_t bus_end, events;
    unsigned card_faults;
    {
      std::lock_guard lock(truth_mutex_);
      frames = full ? source_->lose_frames(real_time ? SIZE_MAX : chunk_frames, real_time ? span : 0)
                    : source_->next_chunk(chunk, real_time ? span : 0);
      bus_end = source_->bus_end();
      events = source_->events();
      card_faults = source_->take_card_faults();
    }
    frames_total += frames;
    if (real_time) {
      go_on = wait_until(t0 + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(bus_end) / tenths_per_second)));
    } else if (!host_paced) {
      go_on = wait_until(t0 + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(frames_total) / scenario_.max_fps)));
    } else {
      std::lock_guard lock(wake_mutex_);
      go_on = !stop_requested_;
    }
    if (!go_on) {
      std::lock_guard lock(truth_mutex_);
      source_->withdraw(frames);
      break;
    }
    if (!chunk.empty()) {
      std::lock_guard lock(send_mutex_);
      outgoing_.insert(outgoing_.end(), chunk.begin(), chunk.end());
      if (!flush_locked()) break;
    }
    if (full) {
      frames_lost_ += frames;
    } else {
      frames_sent_ += frames;
      if (frames != 0) chunk_frames = frames;
    }
    events_sent_ = events;
    if (card_faults & TrafficSource::kMute) muted_ = true;
    if (card_faults & TrafficSource::kUnplug) {
      unplug();
      break;
    }
  }
  running_ = false;
}

}  // namespace simcard
