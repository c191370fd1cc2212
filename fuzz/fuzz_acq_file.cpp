// Any file opens or is refused, and walks end cleanly in both directions.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("capture", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) != static_cast<ssize_t>(size)) {
    ::close(fd);
    return 0;
  }
  brv::AcqFile file;
  if (file.open("/proc/self/fd/" + std::to_string(fd)) == brv::AcqOpenStatus::Ok) {
    brv::RecordCursor cursor(file);
    brv::FrameRecord rec;
    uint64_t forward = 0;
    while (cursor.next(rec) == brv::WalkStatus::Record) ++forward;
    cursor.seek_end();
    uint64_t backward = 0;
    while (cursor.prev(rec) == brv::WalkStatus::Record) ++backward;
    (void)forward;
    (void)backward;
  }
  ::close(fd);
  return 0;
}
