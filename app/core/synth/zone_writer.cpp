#include "zone_writer.h"

#include <algorithm>

#include <brv_platform/files.h>

namespace brv {

namespace {
constexpr size_t kFlushSize = size_t{4} << 20;
}

ZoneWriter::ZoneWriter(int fd, uint64_t base, uint64_t size) : fd_(fd), base_(base), size_(size) {
  buf_.reserve(kFlushSize + 512);
}

bool ZoneWriter::append_record(const uint8_t* p, size_t n) {
  if (size_ != 0) {
    starts_.push_back(written_);
    // A record that starts more than a zone back has been overwritten.
    while (!starts_.empty() && written_ + n > size_ && starts_.front() < written_ + n - size_) starts_.pop_front();
  }
  buf_.insert(buf_.end(), p, p + n);
  written_ += n;
  return buf_.size() < kFlushSize || flush();
}

bool ZoneWriter::flush() {
  uint64_t logical = flushed_;
  size_t done = 0;
  while (done < buf_.size()) {
    size_t chunk = buf_.size() - done;
    if (size_ != 0) chunk = static_cast<size_t>(std::min<uint64_t>(chunk, size_ - logical % size_));
    if (!platform::write_all_at(fd_, buf_.data() + done, chunk, physical(logical))) return false;
    done += chunk;
    logical += chunk;
  }
  flushed_ = logical;
  buf_.clear();
  return true;
}

uint64_t ZoneWriter::oldest_record(uint64_t block) const {
  if (!wrapped()) return base_;
  const uint64_t current = (written_ - 1) / block;
  const uint64_t oldest = (current + 1) * block - size_;
  for (uint64_t s : starts_) {
    if (s >= oldest) return physical(s);
  }
  return physical(written_ - 1);
}

uint64_t ZoneWriter::last_byte() const { return written_ == 0 ? base_ : physical(written_ - 1); }

}  // namespace brv
