#pragma once
// Little-endian field streams for the program's own file blocks (configuration, results).
// The reader never trusts the file: every read checks what is left before it copies.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brv {

// Reads [begin, end) of an open file descriptor through a buffer.
class ByteReader {
 public:
  ByteReader(int fd, uint64_t begin, uint64_t end);
  // Reads bytes already in memory (the clipboard's), copied in.
  explicit ByteReader(std::span<const uint8_t> octets);

  // Each read returns false, and reads nothing more, once the bytes run out or the file fails.
  bool bytes(void* dst, size_t n);
  bool u8(uint8_t& v);
  bool u16(uint16_t& v);
  bool u32(uint32_t& v);
  bool u64(uint64_t& v);
  bool f32(float& v);
  bool skip(uint64_t n);

  uint64_t position() const { return pos_; }
  uint64_t remaining() const { return end_ - pos_; }
  bool ok() const { return ok_; }
  // The file failed under a read (not merely ended): an error to report, not a damaged file.
  bool read_error() const { return read_error_; }
  // Moves back to an earlier position of the range (to try another reading of the same bytes).
  void rewind(uint64_t pos);

 private:
  bool fill(size_t n);

  int fd_;
  uint64_t end_;
  uint64_t pos_;
  std::vector<uint8_t> buf_;
  uint64_t buf_start_ = 0;
  size_t buf_len_ = 0;
  bool ok_ = true;
  bool read_error_ = false;
};

// Collects fields in memory; the caller writes the block in one go.
class ByteWriter {
 public:
  void bytes(const void* src, size_t n);
  void u8(uint8_t v) { out_.push_back(v); }
  void u16(uint16_t v);
  void u32(uint32_t v);
  void u64(uint64_t v);
  void f32(float v);

  const std::vector<uint8_t>& data() const { return out_; }
  size_t size() const { return out_.size(); }

 private:
  std::vector<uint8_t> out_;
};

// Writes the whole buffer at offset; false on any failure.
bool write_all_at(int fd, const std::vector<uint8_t>& data, uint64_t offset);

}  // namespace brv
