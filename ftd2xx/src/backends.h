#pragma once
// The two backends behind the device list.

#include <memory>
#include <vector>

#include "port.h"

namespace ftd2xx::detail {

// A device on the USB bus, found by libftdi1; bus and address find it again at open time.
struct RealDevice {
  FT_DEVICE_LIST_INFO_NODE node;
  uint8_t bus = 0;
  uint8_t address = 0;
};

std::vector<RealDevice> enumerate_real_devices();
FT_STATUS open_real_device(const RealDevice& device, std::shared_ptr<Port>& port);

std::vector<std::shared_ptr<VirtualDevice>> virtual_devices();
FT_DEVICE_LIST_INFO_NODE virtual_node(const VirtualDevice& device);
FT_STATUS open_virtual_device(const std::shared_ptr<VirtualDevice>& device, std::shared_ptr<Port>& port);

}  // namespace ftd2xx::detail
