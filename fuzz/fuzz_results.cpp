// Any results tail reads or stops without allocating more than the file holds.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "brv_core/document/acq_results.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("results", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
    brv::ByteReader in(fd, 0, size);
    brv::AcqResults results;
    brv::LitResultats(in, results, brv::LimitesLecture{64});
  }
  ::close(fd);
  return 0;
}
