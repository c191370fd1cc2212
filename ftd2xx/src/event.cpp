#include <chrono>
#include <condition_variable>
#include <mutex>

#include "ftd2xx/ftd2xx.h"

namespace ftd2xx {

struct Event::State {
  std::mutex mutex;
  std::condition_variable cv;
  bool signalled = false;
};

Event::Event() : state_(new State) {}
Event::~Event() { delete state_; }

void Event::set() {
  std::lock_guard lock(state_->mutex);
  state_->signalled = true;
  state_->cv.notify_one();
}

DWORD Event::wait(DWORD milliseconds) {
  std::unique_lock lock(state_->mutex);
  if (!state_->cv.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return state_->signalled; })) {
    return kWaitTimeout;
  }
  state_->signalled = false;
  return kWaitObject0;
}

}  // namespace ftd2xx
