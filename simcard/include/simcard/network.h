#pragma once
// The FIP network model: a bus arbitrator running elementary cycles of periodic variables,
// network-management variables, aperiodic requests, message windows and padding, producing the
// frames one after the other with their duration and the gap before them. Frame faults apply here.

#include <array>
#include <cstdint>
#include <vector>

#include "simcard/faults.h"
#include "simcard/scenario.h"

namespace simcard {

// Status flags of a frame as the card reports them (tag 0x20).
namespace flag {
inline constexpr uint16_t kGlitch = 1u << 0;
inline constexpr uint16_t kDelimiter1 = 1u << 1;
inline constexpr uint16_t kDelimiter2 = 1u << 2;
inline constexpr uint16_t kInterruption1 = 1u << 4;
inline constexpr uint16_t kInterruption2 = 1u << 5;
inline constexpr uint16_t kTxErrorCh1 = 1u << 8;
inline constexpr uint16_t kTxErrorCh2 = 1u << 9;
inline constexpr uint16_t kChannel2 = 1u << 10;
}  // namespace flag

inline constexpr size_t kMaxFrameBytes = 266;

struct BusFrame {
  uint16_t len = 0;        // bytes, control through CRC; 0 for line events without bytes
  uint16_t flags = 0;
  uint32_t gap = 0;        // tenths of a bit time from the end of the previous frame
  uint16_t duration = 0;   // tenths of a bit time
  std::array<uint8_t, kMaxFrameBytes> bytes{};
};

// What the engine will store for a frame: bytes (or FD FD / FE FE / 00), status byte, date.
struct TruthFrame {
  std::vector<uint8_t> bytes;
  uint8_t status = 0;
  uint64_t date = 0;        // tenths of a bit time since the first frame
  bool delivered = true;    // false for frames dropped by a FIFO overflow or a lost event
};

// The record bytes and status byte the engine derives from a frame.
std::vector<uint8_t> stored_bytes(const BusFrame& f);
uint8_t stored_status(uint16_t flags);

class NetworkModel {
 public:
  explicit NetworkModel(const Scenario& scenario);

  // The next frame on the bus; number() counts the frames returned before.
  const BusFrame& next();
  uint64_t number() const { return number_; }
  // Date of the frame last returned, in tenths of a bit time since the first frame.
  uint64_t date() const { return date_; }
  const std::vector<Variable>& variables() const { return vars_; }

  // Faults that belong to the card, not to the bus: reported for the frame last returned.
  bool fires(Fault f) { return faults_.fires(f, number_ - 1); }
  bool any_fault_possible() const { return faults_.next_candidate() <= number_ - 1; }

 private:
  struct Station {
    bool alive = true;
    bool wants_message = false;
    bool wants_rq = false;
    uint8_t msg_parity = 0;
    std::vector<uint16_t> produced;  // variable indices
  };
  void build_cycle();
  BusFrame& push(uint32_t gap);
  void finish(BusFrame& f, uint16_t len);
  void id_frame(uint8_t control, uint16_t id, uint32_t gap);
  // The producer's answer to an ID_DAT; false when nobody answered.
  bool answer(const Variable& v, uint16_t var_index, uint32_t gap, bool allow_requests);
  void payload(const Variable& v, uint8_t* d, uint16_t& n);
  void aperiodic_window();
  void message_window();
  void apply_faults(BusFrame& f, uint64_t n);
  uint32_t turnaround();

  Scenario sc_;
  std::vector<Variable> vars_;
  std::vector<Station> stations_;
  std::vector<uint8_t> silenced_;   // per variable: producer never answers
  std::vector<BusFrame> cycle_;
  size_t pos_ = 0;
  uint32_t used_ = 0;       // tenths of a bit time spent in the current cycle
  uint32_t budget_ = 0;
  uint64_t cycle_no_ = 0;
  uint64_t number_ = 0;
  uint64_t date_ = 0;
  uint16_t prev_duration_ = 0;
  uint32_t pending_gap_ = 0;  // silence left by a frame nobody answered
  uint32_t idle_carried_ = 0; // without padding: the silence ending the last cycle
  bool delimiter_alt_ = false;
  uint16_t bits_per_byte_unit_;  // 10 tenths per bit
  Rng rng_;
  FaultSchedule faults_;
  BusFrame glitch_;
  bool glitch_pending_ = false;
  BusFrame held_;
};

}  // namespace simcard
