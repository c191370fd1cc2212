// The D2XX calls over one device list: real devices first, then virtual ones.

#include <algorithm>
#include <map>
#include <variant>

#include "backends.h"

namespace ftd2xx::detail {
namespace {

struct ListEntry {
  FT_DEVICE_LIST_INFO_NODE node;
  std::variant<RealDevice, std::weak_ptr<VirtualDevice>> device;
};

std::vector<ListEntry> build_list() {
  std::vector<ListEntry> list;
  for (auto& real : enumerate_real_devices()) list.push_back({real.node, real});
  for (auto& virt : virtual_devices()) list.push_back({virtual_node(*virt), std::weak_ptr<VirtualDevice>(virt)});
  return list;
}

std::mutex g_mutex;
std::vector<ListEntry> g_last_list;
std::map<FT_HANDLE, std::shared_ptr<Port>> g_handles;

std::shared_ptr<Port> find(FT_HANDLE handle) {
  std::lock_guard lock(g_mutex);
  const auto it = g_handles.find(handle);
  return it == g_handles.end() ? nullptr : it->second;
}

template <typename Edit>
FT_STATUS change(FT_HANDLE handle, Setting which, Edit edit) {
  const auto port = find(handle);
  if (!port) return FT_INVALID_HANDLE;
  return port->change(
      which, [](LineSettings& s, const void* arg) { (*static_cast<const Edit*>(arg))(s); }, &edit);
}

}  // namespace
}  // namespace ftd2xx::detail

using namespace ftd2xx::detail;
using ftd2xx::LineSettings;

FT_STATUS FT_CreateDeviceInfoList(LPDWORD lpdwNumDevs) {
  if (!lpdwNumDevs) return FT_INVALID_PARAMETER;
  auto list = build_list();
  std::lock_guard lock(g_mutex);
  g_last_list = std::move(list);
  *lpdwNumDevs = static_cast<DWORD>(g_last_list.size());
  return FT_OK;
}

FT_STATUS FT_GetDeviceInfoList(FT_DEVICE_LIST_INFO_NODE* pDest, LPDWORD lpdwNumDevs) {
  if (!pDest || !lpdwNumDevs) return FT_INVALID_PARAMETER;
  std::lock_guard lock(g_mutex);
  const size_t n = std::min<size_t>(*lpdwNumDevs, g_last_list.size());
  for (size_t i = 0; i < n; ++i) pDest[i] = g_last_list[i].node;
  *lpdwNumDevs = static_cast<DWORD>(n);
  return FT_OK;
}

FT_STATUS FT_Open(int deviceNumber, FT_HANDLE* pHandle) {
  if (!pHandle) return FT_INVALID_PARAMETER;
  *pHandle = nullptr;
  const auto list = build_list();
  if (deviceNumber < 0 || static_cast<size_t>(deviceNumber) >= list.size()) return FT_DEVICE_NOT_FOUND;
  std::shared_ptr<Port> port;
  FT_STATUS status;
  const auto& entry = list[static_cast<size_t>(deviceNumber)].device;
  if (const auto* real = std::get_if<RealDevice>(&entry)) {
    status = open_real_device(*real, port);
  } else {
    const auto virt = std::get<std::weak_ptr<ftd2xx::VirtualDevice>>(entry).lock();
    status = virt ? open_virtual_device(virt, port) : FT_DEVICE_NOT_FOUND;
  }
  if (status != FT_OK) return status;
  std::lock_guard lock(g_mutex);
  g_handles[port.get()] = port;
  *pHandle = port.get();
  return FT_OK;
}

FT_STATUS FT_Close(FT_HANDLE ftHandle) {
  std::shared_ptr<Port> port;
  {
    std::lock_guard lock(g_mutex);
    const auto it = g_handles.find(ftHandle);
    if (it == g_handles.end()) return FT_INVALID_HANDLE;
    port = std::move(it->second);
    g_handles.erase(it);
  }
  port->rx.set_notification(0, nullptr);
  port->close();
  return FT_OK;
}

FT_STATUS FT_ResetDevice(FT_HANDLE ftHandle) {
  return change(ftHandle, Setting::Reset, [](LineSettings& s) { ++s.resets; });
}

FT_STATUS FT_Purge(FT_HANDLE ftHandle, ULONG mask) {
  if (mask & ~(FT_PURGE_RX | FT_PURGE_TX)) return FT_INVALID_PARAMETER;
  if (mask & FT_PURGE_RX) {
    if (const FT_STATUS st = change(ftHandle, Setting::PurgeRx, [](LineSettings& s) { ++s.rx_purges; })) return st;
  }
  if (mask & FT_PURGE_TX) {
    if (const FT_STATUS st = change(ftHandle, Setting::PurgeTx, [](LineSettings& s) { ++s.tx_purges; })) return st;
  }
  return find(ftHandle) ? FT_OK : FT_INVALID_HANDLE;
}

FT_STATUS FT_SetUSBParameters(FT_HANDLE ftHandle, ULONG inTransferSize, ULONG outTransferSize) {
  // Transfer sizes are multiples of 64 bytes from 64 to 64 KiB.
  const auto valid = [](ULONG v) { return v >= 64 && v <= 65536 && v % 64 == 0; };
  if (!valid(inTransferSize) || (outTransferSize != 0 && !valid(outTransferSize))) return FT_INVALID_PARAMETER;
  return change(ftHandle, Setting::UsbParameters, [&](LineSettings& s) {
    s.in_transfer_size = inTransferSize;
    s.out_transfer_size = outTransferSize;
  });
}

FT_STATUS FT_SetBaudRate(FT_HANDLE ftHandle, ULONG baudRate) {
  if (baudRate < 183 || baudRate > 12000000) return FT_INVALID_BAUD_RATE;
  return change(ftHandle, Setting::BaudRate, [&](LineSettings& s) { s.baud_rate = baudRate; });
}

FT_STATUS FT_SetTimeouts(FT_HANDLE ftHandle, ULONG readTimeout, ULONG writeTimeout) {
  return change(ftHandle, Setting::Timeouts, [&](LineSettings& s) {
    s.read_timeout_ms = readTimeout;
    s.write_timeout_ms = writeTimeout;
  });
}

FT_STATUS FT_SetDataCharacteristics(FT_HANDLE ftHandle, UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
  if ((wordLength != FT_BITS_7 && wordLength != FT_BITS_8) || (stopBits != FT_STOP_BITS_1 && stopBits != FT_STOP_BITS_2) ||
      parity > 4) {
    return FT_INVALID_PARAMETER;
  }
  return change(ftHandle, Setting::DataCharacteristics, [&](LineSettings& s) {
    s.word_length = wordLength;
    s.stop_bits = stopBits;
    s.parity = parity;
  });
}

FT_STATUS FT_SetFlowControl(FT_HANDLE ftHandle, USHORT flowControl, UCHAR xonChar, UCHAR xoffChar) {
  return change(ftHandle, Setting::FlowControl, [&](LineSettings& s) {
    s.flow_control = flowControl;
    s.xon = xonChar;
    s.xoff = xoffChar;
  });
}

FT_STATUS FT_SetLatencyTimer(FT_HANDLE ftHandle, UCHAR latency) {
  if (latency < 1) return FT_INVALID_PARAMETER;
  return change(ftHandle, Setting::LatencyTimer, [&](LineSettings& s) { s.latency_ms = latency; });
}

FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE ftHandle, DWORD count) {
  return change(ftHandle, Setting::PipeRetry, [&](LineSettings& s) { s.reset_pipe_retry_count = count; });
}

FT_STATUS FT_SetEventNotification(FT_HANDLE ftHandle, DWORD mask, ftd2xx::Event* event) {
  const auto port = find(ftHandle);
  if (!port) return FT_INVALID_HANDLE;
  port->rx.set_notification(mask, event);
  return FT_OK;
}

FT_STATUS FT_GetQueueStatus(FT_HANDLE ftHandle, LPDWORD lpdwAmountInRxQueue) {
  if (!lpdwAmountInRxQueue) return FT_INVALID_PARAMETER;
  *lpdwAmountInRxQueue = 0;
  const auto port = find(ftHandle);
  if (!port) return FT_INVALID_HANDLE;
  if (const FT_STATUS st = port->check()) return st;
  *lpdwAmountInRxQueue = static_cast<DWORD>(port->rx.size());
  return FT_OK;
}

FT_STATUS FT_Read(FT_HANDLE ftHandle, void* lpBuffer, DWORD dwBytesToRead, LPDWORD lpdwBytesReturned) {
  if (!lpBuffer || !lpdwBytesReturned) return FT_INVALID_PARAMETER;
  *lpdwBytesReturned = 0;
  const auto port = find(ftHandle);
  if (!port) return FT_INVALID_HANDLE;
  if (const FT_STATUS st = port->check()) return st;
  const size_t got = port->rx.pop(static_cast<uint8_t*>(lpBuffer), dwBytesToRead, port->settings().read_timeout_ms);
  *lpdwBytesReturned = static_cast<DWORD>(got);
  if (got != 0) port->after_read();
  return FT_OK;
}

FT_STATUS FT_Write(FT_HANDLE ftHandle, const void* lpBuffer, DWORD dwBytesToWrite, LPDWORD lpdwBytesWritten) {
  if (!lpBuffer || !lpdwBytesWritten) return FT_INVALID_PARAMETER;
  *lpdwBytesWritten = 0;
  const auto port = find(ftHandle);
  if (!port) return FT_INVALID_HANDLE;
  return port->write(static_cast<const uint8_t*>(lpBuffer), dwBytesToWrite, lpdwBytesWritten);
}
