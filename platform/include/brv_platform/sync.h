#pragma once
// Events, waitable timers and the wait on several objects in a fixed order: the stand-ins for
// the system objects the engine threads synchronise with. Each is a file descriptor (eventfd,
// timerfd) so that one poll waits on any mix of them.

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace brv::platform {

class Waitable {
 public:
  virtual ~Waitable();
  Waitable(const Waitable&) = delete;
  Waitable& operator=(const Waitable&) = delete;

  const std::string& name() const { return name_; }
  int fd() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 protected:
  Waitable(std::string name, int fd);
  // Called by wait_any when this object woke the wait: an auto-reset object clears itself.
  virtual void consume() {}
  friend int wait_any(std::initializer_list<Waitable*>, int);

 private:
  std::string name_;
  int fd_;
};

// A manual-reset or auto-reset event, initially clear.
class Event : public Waitable {
 public:
  explicit Event(std::string name, bool manual_reset = true);
  void set();
  void reset();
  bool is_set() const;

 private:
  void consume() override;
  bool manual_;
};

// An auto-reset waitable timer: signalled once its due time passes, cleared by the wait that sees it.
class WaitableTimer : public Waitable {
 public:
  explicit WaitableTimer(std::string name);
  // Due time in 100 ns units: negative = relative to now, positive = absolute local FILETIME.
  // A period of 0 fires once. Re-arming replaces the previous due time.
  bool set(int64_t due_time, std::chrono::milliseconds period = std::chrono::milliseconds(0));
  void cancel();
  // Clears a signalled state without waiting.
  void reset();

 private:
  void consume() override;
};

inline constexpr int kWaitTimeout = -1;
inline constexpr int kWaitFailed = -2;
inline constexpr int kInfinite = -1;

// Waits until one object is signalled and returns its position in the list; when several are,
// the first in list order wins. timeout_ms < 0 waits forever. kWaitTimeout or kWaitFailed.
int wait_any(std::initializer_list<Waitable*> objects, int timeout_ms = kInfinite);

}  // namespace brv::platform
