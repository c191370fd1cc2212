#pragma once
// The simulated probe card: a virtual D2XX device described "Brenvale USB" that answers the card
// requests and, once started, streams event frames of the traffic of its scenario.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <ftd2xx/virtual_device.h>

#include "simcard/network.h"
#include "simcard/scenario.h"
#include "simcard/traffic.h"

namespace simcard {

inline constexpr const char* kCardDescription = "Brenvale USB";
// The card's FIFO: event bytes waiting for the USB chip to take them.
inline constexpr size_t kCardFifoBytes = 64 * 1024;

// Request codes the card knows.
namespace ctl {
inline constexpr uint8_t kReadById = 0x11;
inline constexpr uint8_t kReadSerial = 0x15;
inline constexpr uint8_t kWriteById = 0x21;
inline constexpr uint8_t kReset = 0x30;
inline constexpr uint8_t kSetMode = 0x31;
inline constexpr uint8_t kGetMode = 0x32;
}  // namespace ctl
inline constexpr uint8_t kStatusObject = 2;   // read by id: the card status byte
inline constexpr uint8_t kCommandObject = 3;  // write by id: the traffic command
inline constexpr uint8_t kCommandStart = 4;

class SimCard : public ftd2xx::VirtualDevice {
 public:
  explicit SimCard(Scenario scenario);
  ~SimCard() override;

  const Scenario& scenario() const { return scenario_; }

  // Keeps every frame put on the bus from the next start on (for tests; memory grows).
  void record_ground_truth(bool on);
  std::vector<TruthFrame> ground_truth() const;

  bool traffic_running() const { return running_.load(); }
  // Bus frames handed to the link since the start, and those lost on the card because the
  // host's queue took nothing while the card's FIFO was full.
  uint64_t frames_sent() const { return frames_sent_.load(); }
  uint64_t frames_lost() const { return frames_lost_.load(); }
  uint64_t events_sent() const { return events_sent_.load(); }
  bool muted() const { return muted_.load(); }
  // When the traffic of the last start began: with real-time pacing a frame of bus date d is on
  // the link d later.
  std::chrono::steady_clock::time_point traffic_started() const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(started_.load()));
  }

 protected:
  void on_host_write(std::span<const uint8_t> bytes) override;
  void on_host_read() override;
  void on_host_close() override;

 private:
  void handle(const uint8_t* request, size_t n);
  void reply(uint16_t sw, const std::vector<uint8_t>& data = {});
  // Hands the host's queue what it takes of the card's output; false once the host is gone.
  bool flush_locked();
  void start_traffic();
  void stop_traffic();
  void traffic_loop();  // pacing.cpp

  const Scenario scenario_;
  std::mutex host_mutex_;          // the host's pending request bytes
  std::vector<uint8_t> pending_;
  std::mutex send_mutex_;          // one frame at a time on the link
  // The card's output the host's queue has not taken yet, in order (under send_mutex_). While it
  // holds kCardFifoBytes or more, the bus frames are lost on the card.
  std::vector<uint8_t> outgoing_;
  std::atomic<uint8_t> mode_{2};
  std::atomic<bool> muted_{false};

  std::mutex control_mutex_;       // start and stop
  std::thread thread_;
  std::atomic<bool> running_{false};
  std::mutex wake_mutex_;
  std::condition_variable wake_;
  bool stop_requested_ = false;

  mutable std::mutex truth_mutex_;
  bool record_ = false;
  std::unique_ptr<TrafficSource> source_;  // under truth_mutex_ while generating
  std::atomic<uint64_t> frames_sent_{0}, frames_lost_{0}, events_sent_{0};
  std::atomic<std::chrono::steady_clock::rep> started_{0};
};

// Registers a simulated card in the device list and returns it; the caller keeps it alive.
std::shared_ptr<SimCard> register_simulated_card(const Scenario& scenario);

}  // namespace simcard
