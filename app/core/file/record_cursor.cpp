#include "brv_core/file/record_cursor.h"

#include <algorithm>
#include <cerrno>

#include <brv_platform/endian.h>
#include <brv_platform/files.h>

namespace brv {

using brv::platform::load_le16;
using brv::platform::load_le64;
using vandrel::kLgEnregMin;

RecordCursor::RecordCursor(const AcqFile& file, size_t block_size)
    : file_(file) {
  uint64_t longest = 2;
  for (const auto& z : file_.zones()) {
    zone_len_.push_back(z.length());
    longest = std::max(longest, z.length());
  }
  // A block holds the longest possible record, but never more than the longest zone: a window
  // never spans two zones (nor a record its zone), and a small capture costs no large buffer.
  buf_.resize(static_cast<size_t>(std::min<uint64_t>(std::max<size_t>(block_size, 2 * 65536), longest)));
  seek_begin();
}

void RecordCursor::seek_begin() { seek({0, 0}); }

void RecordCursor::seek_end() {
  if (zone_len_.empty()) {
    seek({0, 0});
  } else {
    const auto last = static_cast<uint32_t>(zone_len_.size() - 1);
    seek({last, zone_len_[last]});
  }
}

void RecordCursor::seek(RecordPos pos) {
  cur_ = pos;
  invalid_ = false;
  read_errno_ = 0;
}

std::string RecordCursor::invalid_message() const {
  if (read_errno_ != 0) {
    return "read error at offset " + std::to_string(invalid_offset_) + ": " + platform::errno_text(read_errno_);
  }
  return "invalid end of data at offset " + std::to_string(invalid_offset_);
}

WalkStatus RecordCursor::invalid(uint32_t z, uint64_t pos) {
  invalid_ = true;
  invalid_offset_ = file_.zones()[z].file_offset(pos);
  return WalkStatus::Invalid;
}

const uint8_t* RecordCursor::window(uint32_t z, uint64_t pos, size_t n, bool forward) {
  if (z == win_zone_ && pos >= win_start_ && pos + n <= win_start_ + win_len_) {
    return buf_.data() + (pos - win_start_);
  }
  const uint64_t zlen = zone_len_[z];
  uint64_t start;
  uint64_t len;
  if (forward) {
    start = pos;
    len = std::min<uint64_t>(buf_.size(), zlen - pos);
  } else {
    const uint64_t end = pos + n;
    len = std::min<uint64_t>(buf_.size(), end);
    start = end - len;
  }
  win_zone_ = z;
  win_start_ = start;
  const int64_t got = file_.read_zone(z, start, buf_.data(), static_cast<size_t>(len));
  if (got < 0) read_errno_ = errno;
  win_len_ = got < 0 ? 0 : static_cast<uint64_t>(got);
  if (pos < win_start_ || pos + n > win_start_ + win_len_) {
    win_zone_ = UINT32_MAX;  // short read: the file ended under us
    return nullptr;
  }
  return buf_.data() + (pos - win_start_);
}

bool RecordCursor::fill_record(FrameRecord& rec, uint32_t z, uint64_t start, uint16_t len, bool forward) {
  const uint8_t* p = window(z, start, len, forward);
  if (p == nullptr) return false;
  const uint16_t lead = load_le16(p);
  const uint16_t trail = load_le16(p + len - 2);
  if (lead != len || trail != len) return false;
  rec.at = {z, start};
  rec.offset = file_.zones()[z].file_offset(start);
  rec.length = len;
  rec.date_raw = load_le64(p + vandrel::kPosDateEnreg);
  rec.frame = p + vandrel::kPosTrameEnreg;
  rec.frame_len = static_cast<uint16_t>(len - vandrel::kSurchargeEnreg);
  rec.status = p[vandrel::kPosTrameEnreg + rec.frame_len];
  return true;
}

WalkStatus RecordCursor::next(FrameRecord& rec) {
  if (invalid_) return WalkStatus::Invalid;
  while (cur_.zone < zone_len_.size()) {
    const uint32_t z = cur_.zone;
    const uint64_t p = cur_.pos;
    const uint64_t left = zone_len_[z] - std::min(p, zone_len_[z]);
    if (left == 0) {
      cur_ = {z + 1, 0};
      continue;
    }
    const uint8_t* lp = left >= 2 ? window(z, p, 2, true) : nullptr;
    if (lp == nullptr) return invalid(z, p);
    const uint16_t len = load_le16(lp);
    if (len < kLgEnregMin || len > left || !fill_record(rec, z, p, len, true)) return invalid(z, p);
    cur_.pos = p + len;
    return WalkStatus::Record;
  }
  return WalkStatus::End;
}

WalkStatus RecordCursor::prev(FrameRecord& rec) {
  if (invalid_) return WalkStatus::Invalid;
  while (true) {
    if (cur_.zone >= zone_len_.size()) return WalkStatus::End;
    const uint32_t z = cur_.zone;
    const uint64_t e = std::min(cur_.pos, zone_len_[z]);
    if (e == 0) {
      if (z == 0) return WalkStatus::End;
      cur_ = {z - 1, zone_len_[z - 1]};
      continue;
    }
    const uint8_t* tp = e >= 2 ? window(z, e - 2, 2, false) : nullptr;
    if (tp == nullptr) return invalid(z, e - std::min<uint64_t>(e, 2));
    const uint16_t len = load_le16(tp);
    if (len < kLgEnregMin || len > e || !fill_record(rec, z, e - len, len, false)) return invalid(z, e - 2);
    cur_.pos = e - len;
    return WalkStatus::Record;
  }
}

}  // namespace brv
