#include "brv_platform/sync.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "brv_platform/filetime.h"

namespace brv::platform {

Waitable::Waitable(std::string name, int fd) : name_(std::move(name)), fd_(fd) {}

Waitable::~Waitable() {
  if (fd_ >= 0) ::close(fd_);
}

Event::Event(std::string name, bool manual_reset)
    : Waitable(std::move(name), ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), manual_(manual_reset) {}

void Event::set() {
  const uint64_t one = 1;
  // The counter only has to be non-zero; a full counter (EAGAIN) is set already.
  [[maybe_unused]] const ssize_t n = ::write(fd(), &one, sizeof one);
}

void Event::reset() {
  uint64_t value = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd(), &value, sizeof value);
}

bool Event::is_set() const {
  pollfd p{fd(), POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

void Event::consume() {
  if (!manual_) reset();
}

WaitableTimer::WaitableTimer(std::string name)
    : Waitable(std::move(name), ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC)) {}

bool WaitableTimer::set(int64_t due_time, std::chrono::milliseconds period) {
  reset();
  int64_t relative = due_time < 0 ? -due_time : 0;
  if (due_time > 0) {
    const uint64_t now = local_filetime_now();
    relative = static_cast<uint64_t>(due_time) > now ? static_cast<int64_t>(static_cast<uint64_t>(due_time) - now) : 0;
  }
  // A zero it_value disarms a timerfd: a due time already passed fires at the next nanosecond.
  const int64_t ns = relative > 0 ? relative * 100 : 1;
  itimerspec reglage{};
  reglage.it_value.tv_sec = ns / 1000000000;
  reglage.it_value.tv_nsec = ns % 1000000000;
  reglage.it_interval.tv_sec = period.count() / 1000;
  reglage.it_interval.tv_nsec = (period.count() % 1000) * 1000000;
  return ::timerfd_settime(fd(), 0, &reglage, nullptr) == 0;
}

void WaitableTimer::cancel() {
  itimerspec reglage{};
  ::timerfd_settime(fd(), 0, &reglage, nullptr);
}

void WaitableTimer::reset() {
  uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t n = ::read(fd(), &expirations, sizeof expirations);
}

void WaitableTimer::consume() { reset(); }

int wait_any(std::initializer_list<Waitable*> objects, int timeout_ms) {
  std::vector<pollfd> fds;
  fds.reserve(objects.size());
  for (Waitable* w : objects) fds.push_back(pollfd{w->fd(), POLLIN, 0});
  for (;;) {
    const int n = ::poll(fds.data(), fds.size(), timeout_ms < 0 ? -1 : timeout_ms);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kWaitFailed;
    if (n == 0) return kWaitTimeout;
    int index = 0;
    for (Waitable* w : objects) {
      if (fds[static_cast<size_t>(index)].revents & POLLIN) {
        w->consume();
        return index;
      }
      ++index;
    }
    return kWaitFailed;
  }
}

}  // namespace brv::platform
