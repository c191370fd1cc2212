#pragma once
// Keeps the system from sleeping while a capture runs: a logind inhibitor held by a
// systemd-inhibit child whose stdin we hold open, so that it ends with us even after a crash.
// Where logind is not running nothing is done (traced).

#include <sys/types.h>

namespace brv::platform {

class KeepAwake {
 public:
  KeepAwake() = default;
  ~KeepAwake();
  KeepAwake(const KeepAwake&) = delete;
  KeepAwake& operator=(const KeepAwake&) = delete;

  // True when an inhibitor is held.
  bool acquire(const char* why);
  void release();
  bool held() const { return child_ > 0; }

 private:
  pid_t child_ = -1;
  int pipe_ = -1;
};

// errno text of a system error, for traces and messages.
const char* system_error_text(int error, char* buffer, unsigned size);

}  // namespace brv::platform
