#include "kestrin/usb_ftd2xx_com.h"

#include <ftd2xx/ftd2xx.h>

#include <algorithm>
#include <future>

#include "brv_platform/trace.h"
#include "hex.h"
#include "kestrin/error_codes.h"

using brv::platform::trace;
using kestrin::detail::hex;

namespace {

constexpr DWORD kReadBufferSize = 65536;
constexpr DWORD kEventWaitMs = 500;

}  // namespace

CUsbFtd2xxCom::CUsbFtd2xxCom() = default;

CUsbFtd2xxCom::~CUsbFtd2xxCom() {
  try {
    close();
  } catch (...) {
  }
}

std::vector<std::shared_ptr<CUsbComInfo>> CUsbFtd2xxCom::get_all_com_info_list() {
  std::vector<std::shared_ptr<CUsbComInfo>> list;
  trace("get_all_com_info_list: Avant create_device_info_list\n");
  DWORD count = 0;
  if (FT_CreateDeviceInfoList(&count) != FT_OK || count == 0) return list;
  trace("get_all_com_info_list: Apres create_device_info_list\n");
  trace("get_all_com_info_list: Avant get_device_info_list\n");
  std::vector<FT_DEVICE_LIST_INFO_NODE> nodes(count);
  const FT_STATUS st = FT_GetDeviceInfoList(nodes.data(), &count);
  trace("get_all_com_info_list: Apres get_device_info_list\n");
  if (st != FT_OK) {
    trace("get_all_com_info_list: sortie\n");
    return list;
  }
  nodes.resize(count);
  trace("get_all_com_info_list: get_device_info_list ok\n");
  trace("get_all_com_info_list: debut boucle\n");
  for (DWORD i = 0; i < count; ++i) {
    auto info = std::make_shared<CUsbComInfo>();
    info->m_flags = static_cast<uint32_t>(nodes[i].Flags);
    info->m_type = static_cast<uint32_t>(nodes[i].Type);
    info->m_id = static_cast<uint32_t>(nodes[i].ID);
    info->m_loc_id = static_cast<uint32_t>(nodes[i].LocId);
    info->m_serial_number = nodes[i].SerialNumber;
    info->m_name = nodes[i].Description;
    info->m_index = i;
    trace("get_all_com_info_list: Avant test Ftd2xx::open\n");
    FT_HANDLE handle = nullptr;
    if (FT_Open(static_cast<int>(i), &handle) != FT_OK) {
      info->m_in_use = true;
    } else {
      info->m_in_use = false;
      FT_Close(handle);
    }
    trace("get_all_com_info_list: Apres test Ftd2xx::open\n");
    list.push_back(std::move(info));
  }
  trace("get_all_com_info_list: fin boucle\n");
  trace("get_all_com_info_list: sortie\n");
  return list;
}

std::shared_ptr<CUsbComInfo> CUsbFtd2xxCom::get_com_info_by_index(unsigned char index) {
  auto list = get_all_com_info_list();
  if (index < list.size()) return list[index];
  return std::make_shared<CUsbComInfo>();
}

std::vector<std::shared_ptr<CUsbComInfo>> CUsbFtd2xxCom::get_com_info_by_id(unsigned long id) {
  auto list = get_all_com_info_list();
  std::erase_if(list, [id](const auto& info) { return info->m_id != id; });
  return list;
}

std::vector<std::shared_ptr<CUsbComInfo>> CUsbFtd2xxCom::get_com_info_by_name(std::string name) {
  trace("get_com_info_by_name: Avant get_all_com_info_list\n");
  auto all = get_all_com_info_list();
  trace("get_com_info_by_name: Apres get_all_com_info_list\n");
  std::vector<std::shared_ptr<CUsbComInfo>> list;
  for (auto& info : all) {
    if (info->m_name == name) list.push_back(info);
  }
  trace("get_com_info_by_name: Fin push_back\n");
  trace("get_com_info_by_name: sortie\n");
  return list;
}

std::vector<std::shared_ptr<CUsbComInfo>> CUsbFtd2xxCom::get_com_info_by_sn(std::string serial) {
  auto list = get_all_com_info_list();
  std::erase_if(list, [&](const auto& info) { return info->m_serial_number != serial; });
  return list;
}

std::shared_ptr<CUsbComInfo> CUsbFtd2xxCom::get_com_info_by_locid(unsigned long location) {
  std::shared_ptr<CUsbComInfo> found = std::make_shared<CUsbComInfo>();
  for (auto& info : get_all_com_info_list()) {
    if (info->m_loc_id == location) found = info;
  }
  return found;
}

unsigned long CUsbFtd2xxCom::load() {
  init_mapping_error();
  return 0;
}

void CUsbFtd2xxCom::init_mapping_error() {
  // Filled once: the listening thread reads the map while the object is open.
  if (!m_status_map.empty()) return;
  m_status_map[FT_OK] = 0;
  for (unsigned long n = 1; n <= 19; ++n) m_status_map[n] = kestrin::FTD2XX_STATUS_BASE + n;
}

unsigned long CUsbFtd2xxCom::map_status(unsigned long status) const {
  if (m_status_map.empty()) return status >= 1 && status <= 19 ? kestrin::FTD2XX_STATUS_BASE + status : 0;
  const auto it = m_status_map.find(status);
  return it == m_status_map.end() ? 0 : it->second;
}

unsigned long CUsbFtd2xxCom::open_by_index(unsigned char index) {
  // Reopening an open object would leak the device and its listening thread.
  if (is_open()) close();
  {
    std::lock_guard lock(m_mutex);
    m_closing = false;
    m_new_data = false;
  }
  m_lost = false;
  FT_HANDLE handle = nullptr;
  FT_STATUS st = FT_Open(index, &handle);
  m_handle = handle;
  if (st == FT_OK) st = FT_ResetDevice(handle);
  if (st == FT_OK) st = FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX);
  if (st != FT_OK) return map_status(st);
  if (!is_open()) return 0;
  st = FT_SetUSBParameters(handle, 4096, 64);
  if (st == FT_OK) st = FT_SetBaudRate(handle, 1000000);
  if (st == FT_OK) st = FT_SetTimeouts(handle, 0, 100);
  if (st == FT_OK) st = FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
  if (st == FT_OK) st = FT_SetFlowControl(handle, FT_FLOW_NONE, 0x11, 0x13);
  if (st == FT_OK) st = FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX);
  if (st == FT_OK) st = FT_SetLatencyTimer(handle, 3);
  if (st == FT_OK) st = FT_SetResetPipeRetryCount(handle, 100);
  if (st != FT_OK) return map_status(st);
  const unsigned long result = start_listening_thread();
  set_com_info(get_com_info_by_index(index));
  return result;
}

unsigned long CUsbFtd2xxCom::open_by_location(unsigned long) { return kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED; }
unsigned long CUsbFtd2xxCom::open_by_name(std::string&) { return kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED; }
unsigned long CUsbFtd2xxCom::open_by_sn(std::string&) { return kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED; }

unsigned long CUsbFtd2xxCom::start_listening_thread() {
  if (!is_open()) return kestrin::ABCOM_ERROR_COM_CLOSED;
  if (m_listening_thread && m_listening_thread->joinable()) stop_listening_thread();
  // Cleared here rather than in the loop, so that a close racing the thread's start is not lost.
  m_stop_listening = false;
  {
    std::lock_guard lock(m_mutex);
    m_closing = false;
  }
  // Wait until the loop has registered its event and purged the queue: bytes that arrive
  // before would be purged or go unnoticed, and a reply to the first request lost.
  std::promise<void> ready;
  std::future<void> started = ready.get_future();
  m_listening_ready = &ready;
  m_rx_event = std::make_shared<ftd2xx::Event>();
  m_listening_thread = std::make_shared<std::thread>([this, event = m_rx_event] { listening_loop(*event); });
  started.wait();
  return 0;
}

unsigned long CUsbFtd2xxCom::stop_listening_thread() {
  m_stop_listening = true;
  begin_closing();
  // Wakes the loop at once rather than at the end of its wait.
  if (m_rx_event) m_rx_event->set();
  if (m_listening_thread && m_listening_thread->joinable()) m_listening_thread->join();
  return 0;
}

void CUsbFtd2xxCom::listening_loop(ftd2xx::Event& event) {
  FT_HANDLE handle = m_handle.load();
  FT_SetEventNotification(handle, FT_EVENT_RXCHAR, &event);

  m_cp_listening_loop = 0;
  m_cp_listening_loop_with_data = 0;
  purge_tx();
  DWORD queued = 0;
  FT_GetQueueStatus(handle, &queued);
  {
    std::lock_guard lock(m_mutex);
    m_rx_bytes = static_cast<uint32_t>(queued);
  }
  if (queued != 0) purge_rx();
  if (m_listening_ready) {
    m_listening_ready->set_value();
    m_listening_ready = nullptr;
  }

  std::vector<uint8_t> in_buffer(kReadBufferSize);
  bool lost = false;
  // Bytes left in the device's queue by the last pass (a full input buffer, or more than one
  // read): taken without waiting, as a full queue signals nothing new.
  bool more = false;
  while (!m_stop_listening) {
    std::fill(in_buffer.begin(), in_buffer.end(), 0xEE);
    const DWORD wait_result = more ? ftd2xx::kWaitObject0 : event.wait(kEventWaitMs);
    more = false;
    if (wait_result == ftd2xx::kWaitObject0) {
      queued = 0;
      const FT_STATUS qs = FT_GetQueueStatus(handle, &queued);
      if (qs != FT_OK) {
        // A vanished device: nothing more will come, as after a failed read.
        trace("KESTRIN: erreur lecture this->read(&inBuffer[0], m_rx_bytes) " + hex(map_status(qs), 8));
        m_stop_listening = true;
        lost = true;
      } else if (queued != 0) {
        bool read_some = false;
        {
          std::unique_lock lock(m_mutex);
          // While the session has not taken the input buffer, the bytes stay in the device's queue.
          const size_t room = wait_for_input_room(lock);
          if (room != 0) {
            m_rx_bytes = static_cast<uint32_t>(queued);
            const DWORD count = std::min({queued, kReadBufferSize, static_cast<DWORD>(room)});
            if (queued > kReadBufferSize) trace("KESTRIN: m_rx_bytes too big!! m_rx_bytes : " + hex(queued, 8));
            if (m_rx_bytes > m_rx_bytes_max) {
              m_rx_bytes_max = m_rx_bytes;
              trace("KESTRIN: m_rx_bytes_max = 0x " + hex(m_rx_bytes_max, 8));
            }
            const unsigned long rc = read(in_buffer.data(), count);
            if (rc != 0) {
              trace("KESTRIN: erreur lecture this->read(&inBuffer[0], m_rx_bytes) " + hex(rc, 8));
              m_stop_listening = true;
              lost = true;
            } else {
              m_input_buffer.insert(m_input_buffer.end(), in_buffer.begin(), in_buffer.begin() + count);
              more = queued > count;
            }
            ++m_cp_listening_loop_with_data;
            m_new_data = true;
            read_some = true;
          }
        }
        if (read_some) m_cond_new_data.notify_all();
      }
    } else if (wait_result != ftd2xx::kWaitTimeout) {
      trace("KESTRIN: ulWFSOResult == 0x" + hex(wait_result, 8));
    }
    ++m_cp_listening_loop;
  }
  FT_SetEventNotification(handle, 0, nullptr);
  // Outside m_mutex: the read failures above happen while it is held.
  if (lost) mark_lost();
}

unsigned long CUsbFtd2xxCom::read(void* buffer, unsigned long count) {
  FT_HANDLE handle = m_handle.load();
  if (!handle) return kestrin::ABCOM_ERROR_COM_CLOSED;
  DWORD got = 0;
  const FT_STATUS st = FT_Read(handle, buffer, count, &got);
  if (st == FT_OK && got < count) {
    trace("FTD2XX_ERROR_CANNOT_READ_ALL_DATA_FROM_BUFFER\ndwNumBytesToRead : " + std::to_string(count) +
          "\ndwBytesRead : " + std::to_string(got) + "\n");
    return kestrin::FTD2XX_ERROR_CANNOT_READ_ALL_DATA_FROM_BUFFER;
  }
  if (st != FT_OK) {
    trace("Erreur lecture Ftd2xx::read\n");
    return map_status(st);
  }
  return 0;
}

unsigned long CUsbFtd2xxCom::write(void* buffer, unsigned long count) {
  FT_HANDLE handle = m_handle.load();
  if (!handle) return kestrin::ABCOM_ERROR_COM_CLOSED;
  DWORD written = 0;
  const FT_STATUS st = FT_Write(handle, buffer, count, &written);
  if (st != FT_OK) return map_status(st);
  if (written < count) return kestrin::FTD2XX_ERROR_CANNOT_WRITE_ALL_DATA_TO_BUFFER;
  return 0;
}

// The D2XX status as it comes, not mapped; a closed object answers as every other operation does.
unsigned long CUsbFtd2xxCom::purge_rx() {
  FT_HANDLE handle = m_handle.load();
  return handle ? FT_Purge(handle, FT_PURGE_RX) : kestrin::ABCOM_ERROR_COM_CLOSED;
}

unsigned long CUsbFtd2xxCom::purge_tx() {
  FT_HANDLE handle = m_handle.load();
  return handle ? FT_Purge(handle, FT_PURGE_TX) : kestrin::ABCOM_ERROR_COM_CLOSED;
}

unsigned long CUsbFtd2xxCom::close() {
  FT_HANDLE handle = m_handle.load();
  if (!handle) return kestrin::ABCOM_ERROR_COM_CLOSED;
  stop_listening_thread();
  const unsigned long result = map_status(FT_Close(handle));
  if (result == 0) m_handle = nullptr;
  return result;
}

unsigned long CUsbFtd2xxCom::get_cp_listening_loop() const { return m_cp_listening_loop; }
unsigned long CUsbFtd2xxCom::get_cp_listening_loop_with_data() const { return m_cp_listening_loop_with_data; }
