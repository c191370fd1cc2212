#include "brv_core/file/record_text.h"

#include "brv_core/file/capture_info.h"

namespace brv {

PreviousRecord previous_of(const AcqFile& file, const FrameRecord& rec) {
  return PreviousRecord{true, timeline_date(file, rec), rec.frame_len};
}

void describe_record(const CDecodageTrame& decoder, const AcqFile& file, const FrameRecord& rec,
                     const PreviousRecord& previous, bool short_text, RecordText& out) {
  out.result = decoder.DecodeTrame(rec.frame_len, rec.frame, &out.text, short_text, out.annotation);
  const int64_t date = timeline_date(file, rec);
  if (date < 0) {
    decoder.FormateDateRel(static_cast<uint64_t>(-date), true, &out.reldate);
  } else {
    decoder.FormateDateRel(static_cast<uint64_t>(date), false, &out.reldate);
  }
  out.interframe.clear();
  if (previous.present) {
    // A date that went backwards wraps to a huge count, which the formatter shows as "unknown".
    // Unsigned: dates of a damaged file at both ends of the range must not overflow.
    const uint64_t ecart = static_cast<uint64_t>(date) - static_cast<uint64_t>(previous.date);
    decoder.FormateInterTrame(ecart, previous.frame_len, out.interframe);
  }
}

}  // namespace brv
