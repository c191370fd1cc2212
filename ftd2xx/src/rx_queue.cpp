#include <algorithm>
#include <chrono>

#include "port.h"

namespace ftd2xx::detail {

void RxQueue::push(const uint8_t* bytes, size_t n) {
  if (n == 0) return;
  std::lock_guard lock(mutex_);
  bytes_.insert(bytes_.end(), bytes, bytes + n);
  arrived_.notify_all();
  if (event_ && (mask_ & FT_EVENT_RXCHAR)) event_->set();
}

void RxQueue::signal() {
  std::lock_guard lock(mutex_);
  arrived_.notify_all();
  if (event_) event_->set();
}

size_t RxQueue::size() const {
  std::lock_guard lock(mutex_);
  return bytes_.size();
}

size_t RxQueue::pop(uint8_t* out, size_t n, unsigned long timeout_ms) {
  std::unique_lock lock(mutex_);
  if (timeout_ms > 0) {
    arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return bytes_.size() >= n; });
  }
  const size_t taken = std::min(n, bytes_.size());
  std::copy_n(bytes_.begin(), taken, out);
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(taken));
  return taken;
}

void RxQueue::clear() {
  std::lock_guard lock(mutex_);
  bytes_.clear();
}

void RxQueue::set_notification(DWORD mask, Event* event) {
  std::lock_guard lock(mutex_);
  mask_ = event ? mask : 0;
  event_ = mask ? event : nullptr;
}

FT_STATUS Port::change(Setting which, void (*edit)(LineSettings&, const void*), const void* arg) {
  if (const FT_STATUS st = check()) return st;
  LineSettings next;
  {
    std::lock_guard lock(settings_mutex_);
    edit(settings_, arg);
    next = settings_;
  }
  if (which == Setting::PurgeRx) rx.clear();
  return apply(which, next);
}

LineSettings Port::settings() const {
  std::lock_guard lock(settings_mutex_);
  return settings_;
}

}  // namespace ftd2xx::detail
