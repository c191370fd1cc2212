// Any interrupted capture: the repair plan ends cleanly, and the header it would write describes
// exactly the whole records it counted, readable to the end by the same reader the program uses.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/file/repair.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("capture", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
    brv::AcqFile file;
    if (file.open("/proc/self/fd/" + std::to_string(fd)) == brv::AcqOpenStatus::Ok && file.interrupted()) {
      const brv::RepairPlan plan = brv::PlanifieReparation(file);
      (void)brv::TexteReparation(plan);
      if (plan.status == brv::RepairStatus::Repairable) {
        if (plan.data_end > size || plan.records == 0) std::abort();
        // The repaired header over the same bytes: every record it names is whole.
        brv::AcqFile repaired;
        if (repaired.open("/proc/self/fd/" + std::to_string(fd)) != brv::AcqOpenStatus::Ok ||
            repaired.follow(plan.header) != brv::AcqOpenStatus::Ok || repaired.interrupted()) {
          std::abort();
        }
        brv::RecordCursor cursor(repaired);
        brv::FrameRecord rec;
        uint64_t n = 0;
        brv::WalkStatus st;
        while ((st = cursor.next(rec)) == brv::WalkStatus::Record) ++n;
        if (st != brv::WalkStatus::End || n != plan.records) std::abort();
      }
    }
  }
  ::close(fd);
  return 0;
}
