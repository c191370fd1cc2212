#include "brv_platform/keep_awake.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "brv_platform/trace.h"

extern char** environ;

namespace brv::platform {

const char* system_error_text(int error, char* buffer, unsigned size) {
  // The GNU form returns the text, which may or may not live in buffer.
  return strerror_r(error, buffer, size);
}

KeepAwake::~KeepAwake() { release(); }

bool KeepAwake::acquire(const char* why) {
  if (held()) return true;
  if (::access("/run/systemd/system", F_OK) != 0) {
    trace("KeepAwake: no logind on this system, sleep not inhibited\n");
    return false;
  }
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const std::string why_arg = std::string("--why=") + why;
  const char* argv[] = {"systemd-inhibit", "--what=sleep:idle", "--who=Brenvale", why_arg.c_str(),
                        "--mode=block",    "cat",               nullptr};
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[0]);
  if (rc != 0) {
    ::close(fds[1]);
    char text[128];
    trace(std::string("KeepAwake: systemd-inhibit not started: ") + system_error_text(rc, text, sizeof text) + "\n");
    return false;
  }
  child_ = pid;
  pipe_ = fds[1];
  return true;
}

void KeepAwake::release() {
  if (!held()) return;
  // End of input ends the child's command, which releases the inhibitor.
  ::close(pipe_);
  pipe_ = -1;
  int status = 0;
  while (::waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  child_ = -1;
}

}  // namespace brv::platform
