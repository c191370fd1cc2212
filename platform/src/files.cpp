#include "brv_platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

namespace brv::platform {

std::string errno_text(int error) {
  char buffer[256];
  return strerror_r(error, buffer, sizeof buffer);
}

int open_input(const std::string& path, std::string& why, uint64_t* size) {
  // O_NONBLOCK: a FIFO must not hang the open; it is refused below anyway.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    why = errno_text(errno);
    return -1;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    why = errno_text(errno);
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    why = S_ISDIR(st.st_mode) ? errno_text(EISDIR) : std::string("not a regular file");
    ::close(fd);
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (size) *size = static_cast<uint64_t>(st.st_size);
  return fd;
}

bool read_small_file(const std::string& path, uint64_t max_size, std::string& text, std::string& why) {
  uint64_t size = 0;
  const int fd = open_input(path, why, &size);
  if (fd < 0) return false;
  bool ok = size <= max_size;
  if (!ok) why = "larger than " + std::to_string(max_size) + " bytes";
  if (ok) {
    // One byte more than announced tells a file that grew meanwhile.
    text.resize(static_cast<size_t>(size) + 1);
    const int64_t got = read_at(fd, text.data(), text.size(), 0);
    ok = got >= 0 && static_cast<uint64_t>(got) <= max_size;
    if (!ok) why = got < 0 ? errno_text(errno) : "larger than " + std::to_string(max_size) + " bytes";
    text.resize(ok ? static_cast<size_t>(got) : 0);
  }
  ::close(fd);
  return ok;
}

int64_t read_at(int fd, void* buffer, size_t n, uint64_t offset) {
  auto* p = static_cast<uint8_t*>(buffer);
  size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd, p + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  return static_cast<int64_t>(got);
}

namespace {
// Writes all n bytes through op(pointer, count, done), retrying short writes and interrupts.
template <typename Op>
bool write_loop(const void* data, size_t n, Op op) {
  const auto* p = static_cast<const uint8_t*>(data);
  size_t done = 0;
  while (done < n) {
    const ssize_t w = op(p + done, n - done, done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      if (w == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(w);
  }
  return true;
}
}  // namespace

bool write_all(int fd, const void* data, size_t n) {
  return write_loop(data, n, [fd](const uint8_t* p, size_t k, size_t) { return ::write(fd, p, k); });
}

bool write_all_at(int fd, const void* data, size_t n, uint64_t offset) {
  return write_loop(data, n, [fd, offset](const uint8_t* p, size_t k, size_t done) {
    return ::pwrite(fd, p, k, static_cast<off_t>(offset + done));
  });
}

namespace {
FileId id_of(const struct stat& st) {
  return FileId{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
}
}  // namespace

std::optional<FileId> file_id(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return id_of(st);
}

std::optional<FileId> file_id(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return id_of(st);
}

bool names_an_input(const std::string& output, std::initializer_list<std::string_view> inputs) {
  const auto out = file_id(output);
  if (!out) return false;
  for (const std::string_view input : inputs) {
    if (input.empty()) continue;
    if (file_id(std::string(input)) == out) return true;
  }
  return false;
}

std::string overwrite_input_message(const std::string& output) {
  return "The output file " + output + " is also an input of this command: it was not overwritten.";
}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::fail(int error) {
  if (error_.empty()) error_ = errno_text(error);
  return false;
}

bool AtomicFile::open(const std::string& target) {
  discard();
  error_.clear();
  target_ = target;
  // Write through a link to the file it names, as the user meant.
  struct stat lst {};
  if (::lstat(target.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(target.c_str(), resolved)) target_ = resolved;
  }
  struct stat st {};
  const bool exists = ::stat(target_.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return fail(EISDIR);
  if (exists && !S_ISREG(st.st_mode)) {
    fd_ = ::open(target_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) return fail(errno);
    in_place_ = true;
    return true;
  }
  const size_t slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  if (name.empty()) return fail(EISDIR);
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::minstd_rand pick(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = (slash == std::string::npos ? std::string() : folder) + "." + name + ".";
    for (int i = 0; i < 6; ++i) candidate.push_back(letters[pick() % (sizeof letters - 1)]);
    // The mode the umask allows, as for any new file; an existing file keeps its own.
    fd_ = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      temporary_ = std::move(candidate);
      if (exists) (void)::fchmod(fd_, st.st_mode & 07777);
      return true;
    }
    if (errno != EEXIST) return fail(errno);
  }
  return fail(EEXIST);
}

bool AtomicFile::write(std::string_view bytes) {
  if (fd_ < 0 || failed()) return false;
  if (!write_all(fd_, bytes.data(), bytes.size())) return fail(errno);
  return true;
}

bool AtomicFile::commit() {
  if (fd_ < 0) return fail(EBADF);
  if (failed()) {
    discard();
    return false;
  }
  if (!in_place_ && ::fsync(fd_) != 0) {
    const int e = errno;
    discard();
    return fail(e);
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    const int e = errno;
    discard();
    return fail(e);
  }
  if (in_place_) {
    in_place_ = false;
    return true;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    const int e = errno;
    discard();
    return fail(e);
  }
  temporary_.clear();
  return true;
}

bool AtomicFile::commit(BufferedOutput& out) {
  if (!out.flush()) {
    fail(out.error());
    discard();
    return false;
  }
  return commit();
}

void AtomicFile::discard() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  in_place_ = false;
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  temporary_.clear();
}

void BufferedOutput::reset(int fd) {
  fd_ = fd;
  buffer_.clear();
  error_ = 0;
  written_ = 0;
}

bool BufferedOutput::flush() {
  if (error_ == 0 && !buffer_.empty()) {
    if (fd_ < 0 || !write_all(fd_, buffer_.data(), buffer_.size())) {
      error_ = fd_ < 0 ? EBADF : errno;
    } else {
      written_ += buffer_.size();
    }
  }
  buffer_.clear();
  return error_ == 0;
}

}  // namespace brv::platform
