#include "brv_platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace brv::platform {

int raise_thread_priority() {
  const auto tid = static_cast<id_t>(syscall(SYS_gettid));
  errno = 0;
  if (setpriority(PRIO_PROCESS, tid, -2) != 0) return errno ? errno : EPERM;
  return 0;
}

}  // namespace brv::platform
