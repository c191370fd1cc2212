#include <algorithm>
#include <chrono>

#include "port.h"

namespace ftd2xx::detail {

size_t RxQueue::push(const uint8_t* bytes, size_t n) {
  if (n == 0) return 0;
  std::lock_guard lock(mutex_);
  const size_t taken = std::min(n, kRxQueueCapacity - size_);
  if (taken == 0) return 0;
  if (ring_.empty()) ring_.resize(kRxQueueCapacity);
  const size_t tail = (head_ + size_) % kRxQueueCapacity;
  const size_t first = std::min(taken, kRxQueueCapacity - tail);
  std::copy_n(bytes, first, ring_.begin() + static_cast<std::ptrdiff_t>(tail));
  std::copy_n(bytes + first, taken - first, ring_.begin());
  size_ += taken;
  arrived_.notify_all();
  if (event_ && (mask_ & FT_EVENT_RXCHAR)) event_->set();
  return taken;
}

bool RxQueue::wait_for_room(size_t n, unsigned long timeout_ms) {
  std::unique_lock lock(mutex_);
  return room_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return kRxQueueCapacity - size_ >= n; });
}

void RxQueue::signal() {
  std::lock_guard lock(mutex_);
  arrived_.notify_all();
  if (event_) event_->set();
}

size_t RxQueue::size() const {
  std::lock_guard lock(mutex_);
  return size_;
}

size_t RxQueue::pop(uint8_t* out, size_t n, unsigned long timeout_ms) {
  std::unique_lock lock(mutex_);
  if (timeout_ms > 0) {
    arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] { return size_ >= n; });
  }
  const size_t taken = std::min(n, size_);
  if (taken == 0) return 0;
  const size_t first = std::min(taken, kRxQueueCapacity - head_);
  std::copy_n(ring_.begin() + static_cast<std::ptrdiff_t>(head_), first, out);
  std::copy_n(ring_.begin(), taken - first, out + first);
  head_ = (head_ + taken) % kRxQueueCapacity;
  size_ -= taken;
  room_.notify_all();
  return taken;
}

void RxQueue::clear() {
  std::lock_guard lock(mutex_);
  head_ = 0;
  size_ = 0;
  room_.notify_all();
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
