#pragma once
// Fault injection: each kind fires at a rate (per bus frame) and/or at given frame numbers.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace simcard {

enum class Fault : uint8_t {
  NoProducer,     // an identifier whose producer never answers again
  StationStops,   // a station that stops answering
  CrcError,
  Glitch,         // status flag 0
  BadDelimiter,   // status flags 1 and 2, alternately
  TxErrorCh1,     // flag 8
  TxErrorCh2,     // flag 9
  Interruption,   // silence, then flag 4 or 5
  FifoOverflow,   // frames dropped, next event SW 0x8001
  LostEvent,      // an event frame never sent: a CP gap
  Garbage,        // bytes outside any frame in the stream
  CardMute,       // the card stops answering requests
  Unplug,         // the card leaves the bus in the middle of a capture
};
inline constexpr size_t kFaultKinds = 13;

std::string_view fault_name(Fault f);
// False when the name is unknown.
bool fault_from_name(std::string_view name, Fault& out);

struct FaultSpec {
  double rate = 0;                // probability per bus frame
  std::vector<uint64_t> at;       // bus frame numbers (0 = the first frame)
};

struct FaultPlan {
  std::array<FaultSpec, kFaultKinds> kinds{};
  FaultSpec& operator[](Fault f) { return kinds[static_cast<size_t>(f)]; }
  const FaultSpec& operator[](Fault f) const { return kinds[static_cast<size_t>(f)]; }
};

// Small fast generator; the same seed gives the same sequence everywhere.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed ^ 0xA0761D6478BD642FULL) {}
  uint64_t next() {
    s_ += 0xA0761D6478BD642FULL;
    __extension__ using U128 = unsigned __int128;
    const U128 m = static_cast<U128>(s_) * (s_ ^ 0xE7037ED1A0B428DBULL);
    return static_cast<uint64_t>(m >> 64) ^ static_cast<uint64_t>(m);
  }
  uint32_t below(uint32_t n) { return static_cast<uint32_t>((next() >> 32) * n >> 32); }
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t s_;
};

// Decides, frame after frame, which faults fire. Rates are drawn as geometric waiting times so
// that a frame costs one comparison per kind.
class FaultSchedule {
 public:
  FaultSchedule(const FaultPlan& plan, uint64_t seed);
  // Whether the kind fires at bus frame n; call with n non-decreasing per kind.
  bool fires(Fault f, uint64_t n);
  // The first frame number >= n at which any kind may fire.
  uint64_t next_candidate() const { return next_any_; }

 private:
  struct Kind {
    double rate = 0;
    uint64_t next_rate = UINT64_MAX;
    std::vector<uint64_t> at;
    size_t at_pos = 0;
  };
  uint64_t draw(double rate, uint64_t from);
  void refresh();
  std::array<Kind, kFaultKinds> kinds_;
  Rng rng_;
  uint64_t next_any_ = UINT64_MAX;
};

}  // namespace simcard
