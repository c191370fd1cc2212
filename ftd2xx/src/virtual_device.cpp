// Virtual backend: a process-local registry of device objects.

#include <algorithm>
#include <cstring>

#include "backends.h"

namespace ftd2xx {

namespace detail {

class VirtualPort : public Port {
 public:
  explicit VirtualPort(std::shared_ptr<VirtualDevice> device) : device_(std::move(device)) {}

  FT_STATUS check() const override { return device_->unplugged() ? FT_IO_ERROR : FT_OK; }

  FT_STATUS apply(Setting, const LineSettings&) override { return check(); }

  FT_STATUS write(const uint8_t* bytes, DWORD n, DWORD* written) override {
    *written = 0;
    if (const FT_STATUS st = check()) return st;
    device_->on_host_write(std::span<const uint8_t>(bytes, n));
    *written = n;
    return FT_OK;
  }

  void after_read() override { device_->on_host_read(); }

  void close() override {
    {
      std::lock_guard lock(device_->mutex_);
      device_->port_.reset();
    }
    device_->on_host_close();
  }

  static FT_STATUS open(const std::shared_ptr<VirtualDevice>& device, std::shared_ptr<Port>& out) {
    auto port = std::make_shared<VirtualPort>(device);
    {
      std::lock_guard lock(device->mutex_);
      if (device->in_use_ || device->unplugged_ || !device->port_.expired()) return FT_DEVICE_NOT_OPENED;
      device->port_ = port;
    }
    device->on_host_open();
    out = port;
    return FT_OK;
  }

 private:
  std::shared_ptr<VirtualDevice> device_;
};

namespace {

std::mutex g_registry_mutex;
std::vector<std::shared_ptr<VirtualDevice>> g_registry;

void copy_string(char* dest, size_t size, const std::string& s) {
  const size_t n = std::min(size - 1, s.size());
  std::memcpy(dest, s.data(), n);
  dest[n] = '\0';
}

}  // namespace

std::vector<std::shared_ptr<VirtualDevice>> virtual_devices() {
  std::lock_guard lock(g_registry_mutex);
  return g_registry;
}

FT_DEVICE_LIST_INFO_NODE virtual_node(const VirtualDevice& device) {
  FT_DEVICE_LIST_INFO_NODE node;
  node.Flags = (device.in_use() || device.host_open()) ? FT_FLAGS_OPENED : 0;
  node.Type = FT_DEVICE_232R;
  node.ID = device.id();
  node.LocId = device.location();
  copy_string(node.SerialNumber, sizeof node.SerialNumber, device.serial());
  copy_string(node.Description, sizeof node.Description, device.description());
  return node;
}

FT_STATUS open_virtual_device(const std::shared_ptr<VirtualDevice>& device, std::shared_ptr<Port>& port) {
  return VirtualPort::open(device, port);
}

}  // namespace detail

VirtualDevice::VirtualDevice(std::string description, std::string serial, unsigned long id, unsigned long location)
    : description_(std::move(description)), serial_(std::move(serial)), id_(id), location_(location) {}

VirtualDevice::~VirtualDevice() = default;

std::optional<size_t> VirtualDevice::send_to_host(std::span<const uint8_t> bytes) {
  std::shared_ptr<detail::VirtualPort> port;
  {
    std::lock_guard lock(mutex_);
    if (unplugged_) return std::nullopt;
    port = port_.lock();
  }
  if (!port) return std::nullopt;
  return port->rx.push(bytes.data(), bytes.size());
}

size_t VirtualDevice::host_queue_size() const {
  std::shared_ptr<detail::VirtualPort> port;
  {
    std::lock_guard lock(mutex_);
    port = port_.lock();
  }
  return port ? port->rx.size() : 0;
}

void VirtualDevice::set_in_use(bool in_use) {
  std::lock_guard lock(mutex_);
  in_use_ = in_use;
}

bool VirtualDevice::in_use() const {
  std::lock_guard lock(mutex_);
  return in_use_;
}

bool VirtualDevice::host_open() const {
  std::lock_guard lock(mutex_);
  return !port_.expired();
}

void VirtualDevice::unplug() {
  std::shared_ptr<detail::VirtualPort> port;
  {
    std::lock_guard lock(mutex_);
    unplugged_ = true;
    port = port_.lock();
  }
  unregister_virtual_device(shared_from_this());
  // Wake the host's reader so that it meets the failure at once.
  if (port) port->rx.signal();
}

bool VirtualDevice::unplugged() const {
  std::lock_guard lock(mutex_);
  return unplugged_;
}

LineSettings VirtualDevice::line_settings() const {
  std::shared_ptr<detail::VirtualPort> port;
  {
    std::lock_guard lock(mutex_);
    port = port_.lock();
  }
  return port ? port->settings() : LineSettings{};
}

void register_virtual_device(std::shared_ptr<VirtualDevice> device) {
  std::lock_guard lock(detail::g_registry_mutex);
  if (std::find(detail::g_registry.begin(), detail::g_registry.end(), device) == detail::g_registry.end()) {
    detail::g_registry.push_back(std::move(device));
  }
}

void unregister_virtual_device(const std::shared_ptr<VirtualDevice>& device) {
  std::lock_guard lock(detail::g_registry_mutex);
  std::erase(detail::g_registry, device);
}

}  // namespace ftd2xx
