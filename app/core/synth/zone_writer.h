#pragma once
// Buffered positioned writes into a zone of the file, wrapping at its end when it rotates.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace brv {

class ZoneWriter {
 public:
  // size 0: the zone grows without limit (linear).
  ZoneWriter(int fd, uint64_t base, uint64_t size);

  // Appends one record and remembers where it starts.
  bool append_record(const uint8_t* p, size_t n);
  bool flush();

  uint64_t written() const { return written_; }
  // Rotating zones: file offset of the first record still whole in the sub-block after the one
  // being written (the oldest whole sub-block), and of the last byte written.
  uint64_t oldest_record(uint64_t block) const;
  uint64_t last_byte() const;
  bool wrapped() const { return size_ != 0 && written_ > size_; }

 private:
  uint64_t physical(uint64_t logical) const { return base_ + (size_ ? logical % size_ : logical); }

  int fd_;
  uint64_t base_;
  uint64_t size_;
  uint64_t written_ = 0;
  uint64_t flushed_ = 0;
  std::vector<uint8_t> buf_;
  std::deque<uint64_t> starts_;
};

}  // namespace brv
