#pragma once
// What a capture file says about how to read its frames: framing, speed and start time for the
// decoder, and the dates of records on one time line.

#include <algorithm>
#include <cstdint>

#include "brv_core/decode/capture_description.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"

namespace brv {

inline DescriptionCapture capture_description(const vandrel::ENTETE_FICHIER& h) {
  return DescriptionCapture{h.bTramesTypeFip, h.enVitesse, h.uliDateDetect};
}

// The date of a record on the trigger's time base: pre-trigger records lie before 0, so that
// relative dates and inter-frame times read across both zones.
// date: a record's date (bit 63 cleared); pre_trigger: the record lies in the pre-trigger zone.
inline int64_t timeline_date(const AcqFile& file, uint64_t date, bool pre_trigger) {
  const int64_t d = static_cast<int64_t>(date);
  if (file.layout() == AcqLayout::Pretrigger && pre_trigger) {
    return d - static_cast<int64_t>(file.header().ullDateTrig & vandrel::kMasqueDate);
  }
  return d;
}

inline int64_t timeline_date(const AcqFile& file, const FrameRecord& rec) {
  return timeline_date(file, rec.date(), rec.at.zone == 0);
}

// The largest date of the time line (in units of facteur ns) that stays within 2^61 ns (73 years):
// dates bounded by it make products and differences in nanoseconds that never overflow, whatever a
// damaged file's dates hold. Computed once per pass, not per record.
inline int64_t date_max(uint64_t facteur) {
  return (int64_t{1} << 61) / static_cast<int64_t>(facteur == 0 ? 1 : facteur);
}
inline int64_t borne_date(int64_t date, int64_t max) { return std::clamp(date, -max, max); }

}  // namespace brv
