#include "kestrin/abstract_com.h"

CAbstractCom::CAbstractCom() : m_com_info(std::make_shared<CComInfo>()) {}

CAbstractCom::~CAbstractCom() = default;

bool CAbstractCom::is_open() { return m_handle.load() != nullptr; }

unsigned long CAbstractCom::get_rx_bytes() {
  std::lock_guard lock(m_mutex);
  return m_rx_bytes;
}

void* CAbstractCom::get_com_handle() const { return m_handle.load(); }

std::shared_ptr<CComInfo> CAbstractCom::get_com_info() const {
  std::lock_guard lock(m_mutex);
  return m_com_info;
}

void CAbstractCom::mark_lost() {
  m_lost = true;
  begin_closing();
}

void CAbstractCom::begin_closing() {
  {
    std::lock_guard lock(m_mutex);
    m_closing = true;
  }
  m_cond_new_data.notify_all();
  m_cond_room.notify_all();
}

size_t CAbstractCom::wait_for_input_room(std::unique_lock<std::mutex>& lock) {
  m_cond_room.wait(lock, [this] { return m_closing || m_input_buffer.size() < kInputBufferCapacity; });
  return m_closing ? 0 : kInputBufferCapacity - m_input_buffer.size();
}

void CAbstractCom::set_com_info(std::shared_ptr<CComInfo> info) {
  std::lock_guard lock(m_mutex);
  m_com_info = std::move(info);
}

std::vector<uint8_t> CAbstractCom::read_input_data() {
  std::vector<uint8_t> data;
  read_input_data(data);
  return data;
}

void CAbstractCom::read_input_data(std::vector<uint8_t>& out) {
  out.clear();
  {
    std::lock_guard lock(m_mutex);
    out.swap(m_input_buffer);
  }
  m_cond_room.notify_all();
}

bool CAbstractCom::wait_for_rx_bytes() {
  std::unique_lock lock(m_mutex);
  for (;;) {
    if (m_new_data || m_closing) {
      m_new_data = false;
      return !m_closing;
    }
    if (m_cond_new_data.wait_for(lock, m_wait_new_data) == std::cv_status::timeout) return false;
  }
}
