#pragma once
// The texts of one record as lists and exports show them: decode result, rendered line,
// annotation, relative date and inter-frame time.

#include <cstdint>
#include <string>

#include "brv_core/decode/decodage_trame.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"

namespace brv {

// The record just before another in reading order, as the inter-frame time needs it.
struct PreviousRecord {
  bool present = false;
  int64_t date = 0;  // on the time line (timeline_date)
  uint16_t frame_len = 0;
};

struct RecordText {
  ErreurTrame result = TRAME_OK;
  std::string text;
  std::string annotation;
  std::string reldate;
  std::string interframe;  // empty for the first record
};

void describe_record(const CDecodageTrame& decoder, const AcqFile& file, const FrameRecord& rec,
                     const PreviousRecord& previous, bool short_text, RecordText& out);

PreviousRecord previous_of(const AcqFile& file, const FrameRecord& rec);

}  // namespace brv
