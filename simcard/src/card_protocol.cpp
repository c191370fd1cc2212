// The card's side of the card protocol: request frames in, reply frames out.

#include <kestrin/protocol.h>

#include "simcard/event_encoder.h"
#include "simcard/simcard.h"

namespace simcard {
namespace {

constexpr uint16_t kSwBadLength = 0x2002;
constexpr uint16_t kSwFailure = 0x2000;
constexpr uint16_t kSwBadCla = 0x3001;
constexpr uint16_t kSwBadP1 = 0x3003;
constexpr uint16_t kSwBadCrc = 0x3007;
constexpr uint16_t kSwCtlNotSupported = 0x3101;
constexpr size_t kRequestHeader = 7;

}  // namespace

SimCard::SimCard(Scenario scenario)
    : VirtualDevice(kCardDescription, scenario.serial), scenario_(std::move(scenario)) {}

SimCard::~SimCard() { stop_traffic(); }

void SimCard::record_ground_truth(bool on) {
  std::lock_guard lock(truth_mutex_);
  record_ = on;
}

std::vector<TruthFrame> SimCard::ground_truth() const {
  std::lock_guard lock(truth_mutex_);
  return source_ ? source_->truth() : std::vector<TruthFrame>{};
}

void SimCard::on_host_write(std::span<const uint8_t> bytes) {
  std::lock_guard lock(host_mutex_);
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  while (!pending_.empty()) {
    const uint8_t cla = pending_[0];
    if (cla != IProtocol::CLA_REQUEST && cla != IProtocol::CLA_REQUEST_CRC) {
      // Nothing to resynchronise on in the host's stream: drop it all.
      pending_.clear();
      reply(kSwBadCla);
      return;
    }
    if (pending_.size() < kRequestHeader) return;
    const size_t len = size_t{pending_[5]} << 8 | pending_[6];
    const size_t total = kRequestHeader + len + (cla == IProtocol::CLA_REQUEST_CRC ? 2 : 0);
    if (pending_.size() < total) return;
    handle(pending_.data(), total);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(total));
  }
}

void SimCard::on_host_close() {
  stop_traffic();
  {
    std::lock_guard lock(host_mutex_);
    pending_.clear();
  }
  std::lock_guard lock(send_mutex_);
  outgoing_.clear();
}

void SimCard::reply(uint16_t sw, const std::vector<uint8_t>& data) {
  if (muted_) return;
  const std::vector<uint8_t> frame = encode_reply(sw, data.data(), data.size(), scenario_.reply_crc);
  // Behind the card's output: what the host's queue does not take now goes as it reads.
  std::lock_guard lock(send_mutex_);
  outgoing_.insert(outgoing_.end(), frame.begin(), frame.end());
  flush_locked();
}

void SimCard::on_host_read() {
  std::lock_guard lock(send_mutex_);
  if (!outgoing_.empty()) flush_locked();
}

void SimCard::handle(const uint8_t* r, size_t n) {
  if (muted_) return;
  if (r[0] == IProtocol::CLA_REQUEST_CRC) {
    const uint16_t crc = static_cast<uint16_t>(r[n - 2] << 8 | r[n - 1]);
    if (IProtocol::crc16(r, n - 2) != crc) return reply(kSwBadCrc);
  }
  const uint8_t ctl = r[1], p1 = r[3];
  const size_t len = size_t{r[5]} << 8 | r[6];
  const uint8_t* data = r + kRequestHeader;
  switch (ctl) {
    case ctl::kReset:
      stop_traffic();
      return reply(IProtocol::SW_OK);
    case ctl::kReadById:
      if (p1 != kStatusObject) return reply(kSwBadP1);
      return reply(IProtocol::SW_OK, {scenario_.card_status()});
    case ctl::kWriteById:
      if (p1 != kCommandObject) return reply(kSwBadP1);
      if (len != 1) return reply(kSwBadLength);
      if (data[0] != kCommandStart) return reply(kSwFailure);
      // The acknowledgement goes out before the first event.
      reply(IProtocol::SW_OK);
      return start_traffic();
    case ctl::kGetMode:
      return reply(IProtocol::SW_OK, {mode_.load()});
    case ctl::kSetMode:
      mode_ = p1;
      return reply(IProtocol::SW_OK);
    case ctl::kReadSerial:
      return reply(IProtocol::SW_OK, std::vector<uint8_t>(serial().begin(), serial().end()));
    default:
      return reply(kSwCtlNotSupported);
  }
}

void SimCard::start_traffic() {
  std::lock_guard control(control_mutex_);
  if (running_) return;
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard lock(truth_mutex_);
    source_ = std::make_unique<TrafficSource>(scenario_, record_);
  }
  {
    std::lock_guard lock(wake_mutex_);
    stop_requested_ = false;
  }
  frames_sent_ = 0;
  frames_lost_ = 0;
  events_sent_ = 0;
  running_ = true;
  thread_ = std::thread(&SimCard::traffic_loop, this);
}

void SimCard::stop_traffic() {
  std::lock_guard control(control_mutex_);
  {
    std::lock_guard lock(wake_mutex_);
    stop_requested_ = true;
  }
  wake_.notify_all();
  // The last owner may let go on the traffic thread itself (after an unplug).
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();
    else thread_.join();
  }
  running_ = false;
}

std::shared_ptr<SimCard> register_simulated_card(const Scenario& scenario) {
  auto card = std::make_shared<SimCard>(scenario);
  ftd2xx::register_virtual_device(card);
  return card;
}

}  // namespace simcard
