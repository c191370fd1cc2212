#include "kestrin/kestrin.h"

#include <algorithm>

#include "brv_platform/thread_priority.h"
#include "brv_platform/trace.h"
#include "hex.h"

using brv::platform::raise_thread_priority;
using brv::platform::trace;
using kestrin::detail::hex;

namespace {

constexpr size_t kBulkCapacity = 16384;
constexpr uint8_t kBulkMode = 3;
constexpr uint8_t CTL_GET_MODE = 0x32;
// How long the session waits for its owner to take events before it looks at the link again.
constexpr auto kEventRoomWait = std::chrono::milliseconds(100);

// What an event took on the wire: header, data, CRC.
size_t wire_size(const IProtocol::EVENT_FRAME& f) {
  return 7 + f.data.size() + (f.ucCLA == IProtocol::CLA_EVENT_CRC ? 2 : 0);
}

}  // namespace

CKestrin::CKestrin(unsigned long kind)
    : m_kind(kind),
      m_com(kind == 0 ? std::make_shared<CUsbFtd2xxCom>() : nullptr),
      m_bulk_buffer(std::make_shared<CRingBuffer>(kBulkCapacity)) {}

CKestrin::~CKestrin() {
  try {
    disconnect();
  } catch (...) {
  }
}

unsigned long CKestrin::connect(unsigned char index) {
  if (!m_com) return kestrin::KESTRIN_ERROR_NO_ABSTRACT_COM;
  // A second connect replaces the first session rather than leaking its thread.
  join_background_thread();
  if (const unsigned long rc = m_com->load()) return rc;
  init_mapping_error();
  if (const unsigned long rc = m_com->open_by_index(index)) return rc;
  if (!m_com->is_open()) return 0;
  m_stopped = false;
  m_bulk_buffer->resume();
  m_bkgd_thread = std::make_shared<std::thread>([this] { m_bkgd_thread_loop(); });
  return 0;
}

void CKestrin::join_background_thread() {
  if (!m_bkgd_thread) return;
  {
    std::lock_guard lock(m_event_mutex);
    m_stopped = true;
  }
  m_event_room.notify_all();
  // The thread may wait on a full bulk buffer that nobody drains.
  m_bulk_buffer->interrupt();
  if (m_bkgd_thread->joinable()) m_bkgd_thread->join();
  m_bkgd_thread.reset();
}

unsigned long CKestrin::disconnect() {
  if (m_com && m_com->is_open()) m_com->close();
  // The thread may have stopped by itself (stream loss, closed link) and still needs joining.
  join_background_thread();
  return 0;
}

// A card that vanished keeps its handle until closed, but nothing will come from it again.
bool CKestrin::is_open() { return m_com && m_com->is_open() && !m_com->is_lost(); }

unsigned long CKestrin::purge_rx() { return m_com ? m_com->purge_rx() : kestrin::KESTRIN_ERROR_NO_ABSTRACT_COM; }
unsigned long CKestrin::purge_tx() { return m_com ? m_com->purge_tx() : kestrin::KESTRIN_ERROR_NO_ABSTRACT_COM; }

std::shared_ptr<CAbstractCom> CKestrin::get_com() { return m_com; }
std::shared_ptr<CRingBuffer> CKestrin::get_bulk_buffer() { return m_bulk_buffer; }

void CKestrin::init_mapping_error() {
  static const std::pair<uint16_t, unsigned long> table[] = {
      {0xA000, 0},          {0xB000, 0x3F100001}, {0xB001, 0x3F100002}, {0x2000, 0x3F100003}, {0x2001, 0x3F100004},
      {0x2002, 0x3F100005}, {0x2003, 0x3F100006}, {0x3000, 0x3F100007}, {0x3001, 0x3F100008}, {0x3002, 0x3F100009},
      {0x3003, 0x3F10000A}, {0x3004, 0x3F10000B}, {0x3005, 0x3F10000C}, {0x3006, 0x3F10000D}, {0x3007, 0x3F10000E},
      {0x3101, 0x3F10000F}, {0x4000, 0x3F100010}, {0x4001, 0x3F100011},
  };
  for (const auto& [sw, code] : table) m_status_map.emplace(sw, code);
}

unsigned long CKestrin::request(uint8_t ctl, uint8_t id, uint8_t p1, uint8_t p2, const uint8_t* data, uint16_t len,
                                bool crc, unsigned long no_reply_code) {
  if (!m_com) return kestrin::KESTRIN_ERROR_NO_ABSTRACT_COM;
  {
    std::lock_guard lock(m_reply_mutex);
    m_last_ctl = ctl;
    m_reply_arrived = false;
    m_last_error = 0;
  }
  std::vector<uint8_t> frame = IProtocol::encode_request(crc, ctl, id, p1, p2, data, len);
  // The reply comes behind whatever the card sent before it: the session reads on meanwhile.
  {
    std::lock_guard lock(m_event_mutex);
    ++m_replies_awaited;
  }
  m_event_room.notify_all();
  struct Awaited {
    CKestrin& k;
    ~Awaited() {
      std::lock_guard lock(k.m_event_mutex);
      --k.m_replies_awaited;
    }
  } awaited{*this};
  if (const unsigned long rc = m_com->write(frame.data(), frame.size())) return rc;
  const unsigned long wait = wait_for_reply();
  if (wait == kestrin::KESTRIN_ERROR_WAIT_FOR_REPLY_TIMEOUT) return no_reply_code;
  uint16_t sw;
  {
    std::lock_guard lock(m_reply_mutex);
    sw = m_last_sw;
  }
  const auto it = m_status_map.find(sw);
  return it == m_status_map.end() ? 0 : it->second;
}

unsigned long CKestrin::rq_read_memory(uint8_t id, uint8_t p1, uint8_t p2, bool crc) {
  return request(0x10, id, p1, p2, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_READ_MEMORY);
}
unsigned long CKestrin::rq_read_by_id(uint8_t id, uint8_t p1, uint8_t p2, bool crc) {
  return request(0x11, id, p1, p2, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_READ_BY_ID);
}
unsigned long CKestrin::rq_read_sn(uint8_t id, bool crc) {
  return request(0x15, id, 0, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_READ_SN);
}
unsigned long CKestrin::rq_read_last_sw(uint8_t id, bool crc) {
  return request(0x16, id, 0, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_READ_LAST_SW);
}
unsigned long CKestrin::rq_read_error(uint8_t id, bool crc) {
  return request(0x17, id, 0, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_READ_ERROR);
}
unsigned long CKestrin::rq_write_memory(uint8_t id, uint8_t p1, uint16_t len, const uint8_t* data, bool crc) {
  return request(0x20, id, p1, 0, data, len, crc, kestrin::KESTRIN_ERROR_NO_REPLY_WRITE_MEMORY);
}
unsigned long CKestrin::rq_write_by_id(uint8_t id, uint8_t p1, uint16_t len, const uint8_t* data, bool crc) {
  return request(0x21, id, p1, 0, data, len, crc, kestrin::KESTRIN_ERROR_NO_REPLY_WRITE_BY_ID);
}
unsigned long CKestrin::rq_reset(uint8_t id, uint8_t p1, bool crc) {
  return request(0x30, id, p1, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_RESET);
}
unsigned long CKestrin::rq_set_mode(uint8_t id, uint8_t p1, bool crc) {
  return request(0x31, id, p1, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_SET_MODE);
}
unsigned long CKestrin::rq_get_mode(uint8_t id, bool crc) {
  return request(CTL_GET_MODE, id, 0, 0, nullptr, 0, crc, kestrin::KESTRIN_ERROR_NO_REPLY_GET_MODE);
}

unsigned long CKestrin::wait_for_reply() {
  std::unique_lock lock(m_reply_mutex);
  for (;;) {
    if (m_reply_arrived) {
      m_reply_arrived = false;
      return m_last_error;
    }
    if (m_reply_cond.wait_for(lock, std::chrono::microseconds(m_reply_timeout_us.load())) ==
        std::cv_status::timeout) {
      trace("KESTRIN_ERROR_WAIT_FOR_REPLY_TIMEOUT !!\n");
      m_last_error = kestrin::KESTRIN_ERROR_WAIT_FOR_REPLY_TIMEOUT;
      return m_last_error;
    }
  }
}

unsigned long CKestrin::wait_for_event() {
  std::unique_lock lock(m_event_mutex);
  for (;;) {
    if (m_event_arrived) {
      // An event is there: an earlier event time-out kept in last error must not hide it.
      m_event_arrived = false;
      return 0;
    }
    if (m_event_cond.wait_for(lock, std::chrono::microseconds(m_event_timeout_us.load())) ==
        std::cv_status::timeout) {
      trace("KESTRIN_ERROR_WAIT_FOR_EVENT_TIMEOUT !!\n");
      m_last_error = kestrin::KESTRIN_ERROR_WAIT_FOR_EVENT_TIMEOUT;
      return m_last_error;
    }
  }
}

std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> CKestrin::read_reply_frames() {
  std::lock_guard lock(m_reply_mutex);
  std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> frames;
  frames.swap(m_reply_frames);
  return frames;
}

std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> CKestrin::read_event_frames() {
  std::lock_guard lock(m_event_mutex);
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> frames;
  frames.swap(m_event_frames);
  event_queue_taken_locked(0);
  return frames;
}

std::shared_ptr<IProtocol::REPLY_FRAME> CKestrin::get_last_reply_frame() {
  std::lock_guard lock(m_reply_mutex);
  if (m_reply_frames.empty()) return std::make_shared<IProtocol::REPLY_FRAME>();
  auto frame = std::move(m_reply_frames.back());
  m_reply_frames.pop_back();
  return frame;
}

std::shared_ptr<IProtocol::EVENT_FRAME> CKestrin::get_last_event_frame() {
  std::lock_guard lock(m_event_mutex);
  if (m_event_frames.empty()) return std::make_shared<IProtocol::EVENT_FRAME>();
  auto frame = std::move(m_event_frames.back());
  m_event_frames.pop_back();
  event_queue_taken_locked(m_event_bytes - std::min(m_event_bytes, wire_size(*frame)));
  return frame;
}

void CKestrin::purge_reply_frame() {
  std::lock_guard lock(m_reply_mutex);
  m_reply_frames.clear();
}

void CKestrin::purge_event_frame() {
  std::lock_guard lock(m_event_mutex);
  m_event_frames.clear();
  event_queue_taken_locked(0);
}

bool CKestrin::event_room_locked() const { return m_event_bytes < kEventQueueBytes || m_replies_awaited != 0; }

bool CKestrin::wait_for_event_room() {
  std::unique_lock lock(m_event_mutex);
  return m_event_room.wait_for(lock, kEventRoomWait, [this] { return event_room_locked() || m_stopped; }) &&
         !m_stopped;
}

void CKestrin::event_queue_taken_locked(size_t remaining_bytes) {
  m_event_bytes = remaining_bytes;
  if (event_room_locked()) m_event_room.notify_all();
}

std::vector<uint8_t> CKestrin::get_garbage() {
  std::lock_guard lock(m_garbage_mutex);
  return m_garbage;
}

void CKestrin::purge_garbage() {
  std::lock_guard lock(m_garbage_mutex);
  m_garbage.clear();
}

void CKestrin::set_timeout_for_reply(unsigned short milliseconds) {
  m_reply_timeout_us = static_cast<int64_t>(milliseconds) * 1000;
}

void CKestrin::set_timeout_for_event(unsigned short milliseconds) {
  m_event_timeout_us = static_cast<int64_t>(milliseconds) * 1000;
}

unsigned long CKestrin::get_com_kind() const { return m_kind; }

unsigned long CKestrin::get_last_error() { return m_last_error; }

uint8_t CKestrin::get_mode() {
  std::lock_guard lock(m_reply_mutex);
  return m_mode;
}

uint16_t CKestrin::get_last_sw() {
  std::lock_guard lock(m_reply_mutex);
  return m_last_sw;
}

uint32_t CKestrin::get_events_lost() const { return m_events_lost; }
uint32_t CKestrin::get_events_received() const { return m_events_received; }
bool CKestrin::is_stopped() const { return m_stopped; }

bool CKestrin::crc_calc(IProtocol::REPLY_FRAME* frame) {
  const uint8_t head[5] = {frame->ucCLA, static_cast<uint8_t>(frame->usSW >> 8), static_cast<uint8_t>(frame->usSW),
                           static_cast<uint8_t>(frame->usLEN >> 8), static_cast<uint8_t>(frame->usLEN)};
  uint16_t crc = IProtocol::crc16(head, sizeof head);
  crc = IProtocol::crc16(frame->data.data(), frame->data.size(), crc);
  return crc == frame->usCRC;
}

void CKestrin::on_event(std::shared_ptr<IProtocol::EVENT_FRAME> frame) {
  const uint8_t cp = frame->ucCP;
  const uint32_t lost = IProtocol::events_missing(m_prev_cp, cp);
  m_events_received.fetch_add(1);
  m_events_lost.fetch_add(lost);
  if (lost != 0) {
    trace("- Event frames lost !! (<=> usb packets) - Prec CP: 0x" + hex(m_prev_cp) + " - CP: 0x" + hex(cp) +
          "number since start acq: 0x" + hex(m_events_lost.load(), 8) + " / 0x" + hex(m_events_received.load(), 8));
  }
  m_prev_cp = cp;
  {
    std::lock_guard lock(m_event_mutex);
    m_event_bytes += wire_size(*frame);
    m_event_frames.push_back(std::move(frame));
    m_event_arrived = true;
  }
  m_event_cond.notify_all();
}

void CKestrin::on_reply(std::shared_ptr<IProtocol::REPLY_FRAME> frame) {
  {
    std::lock_guard lock(m_reply_mutex);
    m_last_sw = frame->usSW;
    if (m_last_ctl == CTL_GET_MODE && frame->usSW == IProtocol::SW_OK && frame->data.size() == 1) {
      m_mode = frame->data[0];
    }
    m_reply_frames.push_back(std::move(frame));
    m_reply_arrived = true;
  }
  m_reply_cond.notify_all();
}

void CKestrin::m_bkgd_thread_loop() {
  m_events_lost = 0;
  m_events_received = 0;
  m_prev_cp = 0;
  m_last_error = 0;
  IProtocol::CStreamParser parser;

  if (const int err = raise_thread_priority()) {
    trace("KESTRIN: Failed to enter in THREAD_PRIORITY_HIGHEST mode : 0x" + hex(static_cast<unsigned long>(err), 8));
  } else {
    trace("KESTRIN: Enter in THREAD_PRIORITY_HIGHEST mode OK");
  }

  // Reused from chunk to chunk: it trades storage with the link's input buffer, which is bounded.
  std::vector<uint8_t> bytes;
  while (!m_stopped) {
    if (!m_com->is_open() || m_com->is_lost()) {
      // What the link received before the card left is still delivered.
      m_com->read_input_data(bytes);
      bool bulk;
      {
        std::lock_guard lock(m_reply_mutex);
        bulk = m_mode == kBulkMode;
      }
      if (!bytes.empty() && !bulk) parser.parse(bytes, *this);
      m_stopped = true;
    } else if (!wait_for_event_room()) {
      // The owner has not taken its events yet: the bytes wait in the link.
    } else if (m_com->wait_for_rx_bytes()) {
      m_com->read_input_data(bytes);
      bool bulk;
      {
        std::lock_guard lock(m_reply_mutex);
        bulk = m_mode == kBulkMode;
      }
      if (!bulk) {
        if (!parser.parse(bytes, *this)) {
          m_last_error = kestrin::KESTRIN_ERROR_INCONSISTENT_FRAME;
          m_stopped = true;
        }
      } else {
        for (uint8_t b : bytes) {
          if (!m_bulk_buffer->push_back(b)) break;
        }
      }
    }
  }
}
