#pragma once
// Walks the frame records of an acquisition file forwards or backwards, zone after zone,
// reading in large blocks and joining records split across the wrap of a rotating zone.
// Nothing is trusted: a record whose lengths disagree or overrun its zone ends the walk.

#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/file/acq_file.h"

namespace brv {

// Where a record starts: its zone and its position in the zone's logical byte run.
struct RecordPos {
  uint32_t zone = 0;
  uint64_t pos = 0;
  friend bool operator==(const RecordPos&, const RecordPos&) = default;
};

// One record; frame points into the cursor's buffer and stays valid until the next call.
struct FrameRecord {
  RecordPos at;
  uint64_t offset = 0;    // file offset of the record's first byte
  uint16_t length = 0;    // usLgEnreg
  uint64_t date_raw = 0;  // ullDate as stored, filter mark included
  uint8_t status = 0;     // ucStatut
  const uint8_t* frame = nullptr;
  uint16_t frame_len = 0;  // usLgEnreg - 13

  uint64_t date() const { return date_raw & vandrel::kMasqueDate; }
  bool filter_mark() const { return (date_raw & vandrel::kMarqueFiltre) != 0; }
};

enum class WalkStatus { Record, End, Invalid };

class RecordCursor {
 public:
  static constexpr size_t kDefaultBlock = size_t{1} << 20;

  explicit RecordCursor(const AcqFile& file, size_t block_size = kDefaultBlock);

  void seek_begin();
  void seek_end();
  // Next record starts (forwards) or previous record ends (backwards) at this position.
  void seek(RecordPos pos);

  WalkStatus next(FrameRecord& rec);
  WalkStatus prev(FrameRecord& rec);

  // After Invalid: the file offset where the bad length was found, and the text to show.
  uint64_t invalid_offset() const { return invalid_offset_; }
  std::string invalid_message() const;
  // After Invalid: the file could not be read there (an error to report, not bad data).
  bool read_error() const { return read_errno_ != 0; }

 private:
  // Makes [pos, pos + n) of zone z available; forward fills start at pos, backward fills end there.
  const uint8_t* window(uint32_t z, uint64_t pos, size_t n, bool forward);
  WalkStatus invalid(uint32_t z, uint64_t pos);
  bool fill_record(FrameRecord& rec, uint32_t z, uint64_t start, uint16_t len, bool forward);

  const AcqFile& file_;
  std::vector<uint8_t> buf_;
  std::vector<uint64_t> zone_len_;
  uint32_t win_zone_ = UINT32_MAX;
  uint64_t win_start_ = 0;
  uint64_t win_len_ = 0;
  RecordPos cur_;
  bool invalid_ = false;
  uint64_t invalid_offset_ = 0;
  int read_errno_ = 0;
};

}  // namespace brv
