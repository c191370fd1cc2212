#pragma once
// Safe file access shared by every reader and writer: inputs are regular files checked before
// use, an output is compared with the inputs by identity, and files produced whole go through a
// temporary in the target's folder that is renamed into place only when complete.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace brv::platform {

// errno as a short text ("No such file or directory").
std::string errno_text(int error);

// Opens an input for reading. Only a regular file is accepted; -1 otherwise, with `why` saying
// what was wrong ("Is a directory", "not a regular file", or the system's text).
int open_input(const std::string& path, std::string& why, uint64_t* size = nullptr);

// Reads a whole regular file of at most max_size bytes (a text setting: user data, a scenario);
// false with `why` otherwise. A read error is an error, never the end of the file.
bool read_small_file(const std::string& path, uint64_t max_size, std::string& text, std::string& why);

// Reads up to n bytes at offset, retrying short reads; the count read (less only at the end of
// the file), or -1 on a read error (errno kept).
int64_t read_at(int fd, void* buffer, size_t n, uint64_t offset);
// Writes all n bytes (at the offset, or at the current position when none); false on failure.
bool write_all(int fd, const void* data, size_t n);
bool write_all_at(int fd, const void* data, size_t n, uint64_t offset);

// Device and inode of what a path names (links followed); nothing when it does not exist.
struct FileId {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileId&) const = default;
};
std::optional<FileId> file_id(const std::string& path);
std::optional<FileId> file_id(int fd);

// True when `output` names the same file as one of the inputs (another name, a link, a
// relative path): a command must then refuse to write.
bool names_an_input(const std::string& output, std::initializer_list<std::string_view> inputs);
// The refusal, in the words the commands print.
std::string overwrite_input_message(const std::string& output);

class BufferedOutput;

// A file produced whole. open() makes a private temporary beside the target; commit() flushes,
// closes and renames it over the target; an uncommitted temporary is removed, so a failure
// leaves the previous file as it was. A target that exists and is not a regular file (a
// terminal, a pipe, /dev/null) is written in place; a directory is refused.
class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool open(const std::string& target);
  int fd() const { return fd_; }
  // Checked writes; the first failure is kept and later writes do nothing.
  bool write(std::string_view bytes);
  bool commit();
  // The same after flushing what `out` (writing to fd()) still holds; its failure is this file's.
  bool commit(BufferedOutput& out);
  // Drops the temporary (also done by the destructor when not committed).
  void discard();

  bool failed() const { return !error_.empty(); }
  // The system's text of the first failure.
  const std::string& error() const { return error_; }

 private:
  bool fail(int error);

  std::string target_;
  std::string temporary_;
  int fd_ = -1;
  bool in_place_ = false;
  std::string error_;
};

// Output collected in a buffer and written to a descriptor in large blocks, every write checked.
// The first failure stops further writes; error() gives its errno (EPIPE when the reader left).
class BufferedOutput {
 public:
  explicit BufferedOutput(int fd = -1, size_t block = size_t{1} << 20) : fd_(fd), block_(block) {}
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  void reset(int fd);
  void append(std::string_view text) {
    buffer_.append(text);
    if (buffer_.size() >= block_) flush();
  }
  // The buffer itself, for formatting in place; call maybe_flush() afterwards.
  std::string& buffer() { return buffer_; }
  void maybe_flush() {
    if (buffer_.size() >= block_) flush();
  }
  bool flush();
  bool failed() const { return error_ != 0; }
  int error() const { return error_; }
  uint64_t written() const { return written_; }

 private:
  int fd_;
  size_t block_;
  std::string buffer_;
  int error_ = 0;
  uint64_t written_ = 0;
};

}  // namespace brv::platform
