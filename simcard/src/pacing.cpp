// The traffic thread: generates chunks and delivers them at the pace of the scenario.

#include <chrono>

#include "simcard/simcard.h"

namespace simcard {
namespace {

using Clock = std::chrono::steady_clock;
// As fast as possible still leaves the host this much to drain, so memory stays bounded.
constexpr size_t kMaxHostQueue = 4u << 20;
constexpr unsigned kDefaultLatencyMs = 16;

}  // namespace

void SimCard::traffic_loop() {
  const double tenths_per_second = 10.0 * scenario_.bits_per_second();
  const bool real_time = scenario_.pacing == Pacing::RealTime;
  const unsigned latency_ms = line_settings().latency_ms ? line_settings().latency_ms : kDefaultLatencyMs;
  // A real link flushes what the card sent once its latency timer expires.
  const auto span = static_cast<uint64_t>(tenths_per_second * latency_ms / 1000.0);
  const Clock::time_point t0 = Clock::now();
  std::vector<uint8_t> chunk;
  chunk.reserve(2 * scenario_.chunk_bytes);
  uint64_t frames_total = 0;

  auto wait_until = [&](Clock::time_point deadline) {
    std::unique_lock lock(wake_mutex_);
    return !wake_.wait_until(lock, deadline, [&] { return stop_requested_; });
  };

  for (;;) {
    chunk.clear();
    size_t frames;
    uint64_t bus_end, events;
    unsigned card_faults;
    {
      std::lock_guard lock(truth_mutex_);
      frames = source_->next_chunk(chunk, real_time ? span : 0);
      bus_end = source_->bus_end();
      events = source_->events();
      card_faults = source_->take_card_faults();
    }
    frames_total += frames;
    bool go_on = true;
    if (real_time) {
      go_on = wait_until(t0 + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(bus_end) / tenths_per_second)));
    } else if (scenario_.max_fps > 0) {
      go_on = wait_until(t0 + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(frames_total) / scenario_.max_fps)));
    } else {
      while (go_on && host_queue_size() > kMaxHostQueue) go_on = wait_until(Clock::now() + std::chrono::milliseconds(1));
      if (go_on) {
        std::lock_guard lock(wake_mutex_);
        go_on = !stop_requested_;
      }
    }
    if (!go_on) break;
    {
      std::lock_guard lock(send_mutex_);
      if (!send_to_host(chunk)) break;
    }
    frames_sent_ += frames;
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
