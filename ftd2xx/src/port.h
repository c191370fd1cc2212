#pragma once
// A host-side open device: its receive queue with the event notification, its line settings,
// and the backend operations behind the D2XX calls.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "ftd2xx/ftd2xx.h"
#include "ftd2xx/virtual_device.h"

namespace ftd2xx::detail {

// A bounded byte ring: what the device sent and the host has not read yet.
class RxQueue {
 public:
  // Appends what fits, from the front of bytes, and signals the registered event when it asks
  // for received characters. Returns the count taken; a full queue takes nothing.
  size_t push(const uint8_t* bytes, size_t n);
  // Waits at most timeout_ms for room for n bytes; false when there is still not enough.
  bool wait_for_room(size_t n, unsigned long timeout_ms);
  // Wakes the registered event without data (the device vanished).
  void signal();
  size_t size() const;
  // Takes up to n bytes, waiting at most timeout_ms for n to be there.
  size_t pop(uint8_t* out, size_t n, unsigned long timeout_ms);
  void clear();
  void set_notification(DWORD mask, Event* event);

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::condition_variable room_;
  std::vector<uint8_t> ring_;  // allocated at the first push: every enumeration opens each device
  size_t head_ = 0;
  size_t size_ = 0;
  DWORD mask_ = 0;
  Event* event_ = nullptr;
};

enum class Setting { Reset, PurgeRx, PurgeTx, UsbParameters, BaudRate, Timeouts, DataCharacteristics, FlowControl,
                     LatencyTimer, PipeRetry };

class Port {
 public:
  virtual ~Port() = default;

  // FT_OK while the device is usable; a vanished device gives FT_IO_ERROR.
  virtual FT_STATUS check() const = 0;
  // Applies the setting just stored in settings().
  virtual FT_STATUS apply(Setting which, const LineSettings& settings) = 0;
  virtual FT_STATUS write(const uint8_t* bytes, DWORD n, DWORD* written) = 0;
  // The host took bytes from its queue: room for the device to send more.
  virtual void after_read() {}
  virtual void close() = 0;

  FT_STATUS change(Setting which, void (*edit)(LineSettings&, const void*), const void* arg);
  LineSettings settings() const;

  RxQueue rx;

 private:
  mutable std::mutex settings_mutex_;
  LineSettings settings_;
};

}  // namespace ftd2xx::detail
