#include "brv_core/file/byte_stream.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <brv_platform/endian.h>
#include <brv_platform/files.h>

namespace brv {

namespace {
constexpr size_t kBlock = 64 * 1024;
}

ByteReader::ByteReader(int fd, uint64_t begin, uint64_t end) : fd_(fd), end_(std::max(begin, end)), pos_(begin) {}

ByteReader::ByteReader(std::span<const uint8_t> octets)
    : fd_(-1), end_(octets.size()), pos_(0), buf_(octets.begin(), octets.end()), buf_len_(octets.size()) {}

void ByteReader::rewind(uint64_t pos) {
  pos_ = std::min(pos, end_);
  ok_ = true;
}

bool ByteReader::fill(size_t n) {
  if (pos_ >= buf_start_ && pos_ + n <= buf_start_ + buf_len_) return true;
  if (fd_ < 0) return false;  // in memory: the buffer is all there is
  const size_t want = static_cast<size_t>(std::min<uint64_t>(std::max(n, kBlock), end_ - pos_));
  if (buf_.size() < want) buf_.resize(want);
  const int64_t got = platform::read_at(fd_, buf_.data(), want, pos_);
  if (got < 0) read_error_ = true;
  buf_start_ = pos_;
  buf_len_ = got < 0 ? 0 : static_cast<size_t>(got);
  return buf_len_ >= n;
}

bool ByteReader::bytes(void* dst, size_t n) {
  if (!ok_ || n > end_ - pos_ || !fill(n)) {
    ok_ = false;
    return false;
  }
  if (n) std::memcpy(dst, buf_.data() + (pos_ - buf_start_), n);
  pos_ += n;
  return true;
}

bool ByteReader::skip(uint64_t n) {
  if (!ok_ || n > end_ - pos_) {
    ok_ = false;
    return false;
  }
  pos_ += n;
  return true;
}

bool ByteReader::u8(uint8_t& v) { return bytes(&v, 1); }

bool ByteReader::u16(uint16_t& v) {
  uint8_t b[2];
  if (!bytes(b, 2)) return false;
  v = platform::load_le16(b);
  return true;
}

bool ByteReader::u32(uint32_t& v) {
  uint8_t b[4];
  if (!bytes(b, 4)) return false;
  v = platform::load_le32(b);
  return true;
}

bool ByteReader::u64(uint64_t& v) {
  uint8_t b[8];
  if (!bytes(b, 8)) return false;
  v = platform::load_le64(b);
  return true;
}

bool ByteReader::f32(float& v) {
  uint32_t bits = 0;
  if (!u32(bits)) return false;
  v = std::bit_cast<float>(bits);
  return true;
}

void ByteWriter::bytes(const void* src, size_t n) {
  const auto* p = static_cast<const uint8_t*>(src);
  out_.insert(out_.end(), p, p + n);
}

void ByteWriter::u16(uint16_t v) {
  uint8_t b[2];
  platform::store_le16(b, v);
  bytes(b, 2);
}

void ByteWriter::u32(uint32_t v) {
  uint8_t b[4];
  platform::store_le32(b, v);
  bytes(b, 4);
}

void ByteWriter::u64(uint64_t v) {
  uint8_t b[8];
  platform::store_le64(b, v);
  bytes(b, 8);
}

void ByteWriter::f32(float v) { u32(std::bit_cast<uint32_t>(v)); }

bool write_all_at(int fd, const std::vector<uint8_t>& data, uint64_t offset) {
  return platform::write_all_at(fd, data.data(), data.size(), offset);
}

}  // namespace brv
