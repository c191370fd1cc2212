#pragma once
// What the decoder reads of the capture at every use: framing, bit rate and start time.

#include <cstdint>

namespace brv {

struct DescriptionCapture {
  uint8_t bTramesTypeFip = 1;   // non-zero: FIP framing; zero: WorldFIP framing
  uint32_t enVitesse = 1;       // bit-rate code 0..3; other values count as 1 Mbit/s
  uint64_t uliDateDetect = 0;   // local FILETIME of relative date 0
  friend bool operator==(const DescriptionCapture&, const DescriptionCapture&) = default;
};

}  // namespace brv
