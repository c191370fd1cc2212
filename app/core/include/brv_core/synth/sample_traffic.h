#pragma once
// Plausible FIP traffic for sample captures: a macro-cycle of periodic variables with their
// network-management and common-word variables, message windows with telegrams and UNI-TE
// exchanges, request lists, and now and then a line event, a lost-frames marker or a bad CRC.
// Deterministic for a seed.

#include <cstdint>

#include "brv_core/decode/capture_description.h"
#include "brv_core/decode/decodage_trame.h"

namespace brv {

struct SampleFrame {
  uint8_t bytes[280];
  uint16_t len = 0;
  uint8_t status = 0;
  uint32_t frame_time = 0;  // own duration + gap to the next frame, in tenths of a bit time
  bool traffic_gap = false;  // traffic was interrupted before this frame (status bit 3)
};

class SampleTraffic {
 public:
  SampleTraffic(bool worldfip, uint64_t seed);

  void next(SampleFrame& f);

 private:
  uint64_t rand();
  uint32_t below(uint32_t n) { return static_cast<uint32_t>(rand() % n); }
  void finish(SampleFrame& f, uint16_t len);
  void id_frame(SampleFrame& f, uint8_t control, uint16_t id);
  void response(SampleFrame& f, uint16_t id);
  void message(SampleFrame& f);

  DescriptionCapture capture_;
  CDecodageTrame decoder_;
  uint64_t state_;
  uint32_t slot_ = 0;       // position in the macro-cycle
  uint16_t pending_id_ = 0;
  int phase_ = 0;
};

}  // namespace brv
