#pragma once
// Virtual D2XX devices: objects of this process that appear in the device list after the real
// devices. The host's writes reach the device through on_host_write; the device's bytes reach
// the host's receive queue (and its received-character event) through send_to_host, as far as
// that bounded queue has room: what it refuses stays with the device, as on a real chip, until
// on_host_read says the host made room.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

namespace ftd2xx {

namespace detail {
class VirtualPort;
}

// Line settings the host applied, kept for the device (and for tests) to inspect.
struct LineSettings {
  unsigned long baud_rate = 0;
  unsigned char word_length = 0, stop_bits = 0, parity = 0;
  unsigned short flow_control = 0;
  unsigned char xon = 0, xoff = 0;
  unsigned char latency_ms = 0;
  unsigned long in_transfer_size = 0, out_transfer_size = 0;
  unsigned long read_timeout_ms = 0, write_timeout_ms = 0;
  unsigned long reset_pipe_retry_count = 0;
  unsigned resets = 0, rx_purges = 0, tx_purges = 0;
};

class VirtualDevice : public std::enable_shared_from_this<VirtualDevice> {
 public:
  VirtualDevice(std::string description, std::string serial, unsigned long id = 0x04036001,
                unsigned long location = 0);
  virtual ~VirtualDevice();
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  const std::string& description() const { return description_; }
  const std::string& serial() const { return serial_; }
  unsigned long id() const { return id_; }
  unsigned long location() const { return location_; }

  // Queues what fits of bytes (from the front) for the host and signals its received-character
  // event; returns the count taken, 0 when the host's queue is full. nullopt when no host has the
  // device open or the device has vanished.
  std::optional<size_t> send_to_host(std::span<const uint8_t> bytes);
  // Bytes waiting in the host's receive queue (0 when not open).
  size_t host_queue_size() const;

  // A device in use cannot be opened, as when another program holds it.
  void set_in_use(bool in_use);
  bool in_use() const;
  bool host_open() const;

  // Unplug: the device leaves the list and every call on an open handle fails (FT_IO_ERROR).
  void unplug();
  bool unplugged() const;

  LineSettings line_settings() const;

 protected:
  // Called on the host's writing thread with the bytes of one FT_Write.
  virtual void on_host_write(std::span<const uint8_t> bytes) = 0;
  // Called on the host's reading thread after it took bytes from its queue: room for more.
  virtual void on_host_read() {}
  // Also called around the open test that every enumeration makes of each free device.
  virtual void on_host_open() {}
  virtual void on_host_close() {}

 private:
  friend class detail::VirtualPort;
  friend class VirtualRegistryAccess;

  const std::string description_;
  const std::string serial_;
  const unsigned long id_;
  const unsigned long location_;

  mutable std::mutex mutex_;
  bool in_use_ = false;
  bool unplugged_ = false;
  std::weak_ptr<detail::VirtualPort> port_;
};

// Adds the device to the end of the virtual part of the device list.
void register_virtual_device(std::shared_ptr<VirtualDevice> device);
// Removes it from the list (an open handle keeps working until closed).
void unregister_virtual_device(const std::shared_ptr<VirtualDevice>& device);

}  // namespace ftd2xx
