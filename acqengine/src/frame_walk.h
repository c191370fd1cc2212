#pragma once
// The file thread's walk over word records: a frame is complete when the next start word (bit 8
// set) arrives, or at the end of the data on a final walk. The words of the frame in progress
// stay at the front of the buffer for the next cycle, so each frame is seen exactly once.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vandrel {

inline constexpr uint16_t kMotDebut = 0x100;
inline constexpr size_t kMotsHorsOctets = 5;  // four time words and the status word
// Longest frame the card thread passes on; the bus never carries one this long.
inline constexpr uint16_t kOctetsTrameMax = 4096;

struct TrameMots {
  const uint16_t* mots;              // the frame's byte words
  std::span<const uint8_t> octets;   // the same bytes
  uint32_t temps;                    // frame time T to the next frame's date
  uint8_t statut;
};

// Dates of the time base: 0 for its first frame, then each frame time added exactly once.
struct DateCourante {
  uint64_t date = 0;
  uint32_t temps_precedent = 0;
  bool premiere = true;
  // The date of a frame that starts now.
  uint64_t avance() {
    if (premiere) {
      premiere = false;
      date = 0;
    } else {
      date += temps_precedent;
    }
    return date;
  }
  void redemarre() { premiere = true; }
};

class CParcoursTrames {
 public:
  // bufferATraiter: the carried words first; new words are appended behind them.
  std::vector<uint16_t>& a_traiter() { return mots_; }
  size_t octets_a_traiter() const { return mots_.size() * 2; }
  void vide() { mots_.clear(); }

  // Calls on_frame(const TrameMots&) -> bool for each complete frame, in order; a false result
  // stops the walk and returns false. Words before the first start word are dropped.
  template <class F>
  bool parcourt(bool final, F&& on_frame) {
    const uint16_t* w = mots_.data();
    const size_t n = mots_.size();
    size_t s = 0;
    while (s < n && !(w[s] & kMotDebut)) ++s;
    while (s < n) {
      size_t e = s + 1;
      while (e < n && !(w[e] & kMotDebut)) ++e;
      if (e == n && !final) break;
      const size_t nb = e - s;
      if (nb > kMotsHorsOctets && nb - kMotsHorsOctets <= kOctetsTrameMax) {
        const size_t n_octets = nb - kMotsHorsOctets;
        for (size_t i = 0; i < n_octets; ++i) octets_[i] = static_cast<uint8_t>(w[s + i]);
        const uint16_t* t = w + e - kMotsHorsOctets;
        const uint32_t temps = (uint32_t{t[0] & 0xFFu} << 24) | (uint32_t{t[1] & 0xFFu} << 16) |
                               (uint32_t{t[2] & 0xFFu} << 8) | (t[3] & 0xFFu);
        const TrameMots trame{w + s, std::span<const uint8_t>(octets_, n_octets), temps,
                              static_cast<uint8_t>(t[4])};
        if (!on_frame(trame)) {
          mots_.clear();
          return false;
        }
      }
      s = e;
    }
    mots_.erase(mots_.begin(), mots_.begin() + static_cast<std::ptrdiff_t>(s));
    return true;
  }

 private:
  std::vector<uint16_t> mots_;
  uint8_t octets_[kOctetsTrameMax];
};

}  // namespace vandrel
