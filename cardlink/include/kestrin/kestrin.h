#pragma once
// Kestrin: the card link. CKestrin is the card session: it connects to a card by its device
// list position, drains and parses the received stream on its own thread, queues replies and
// events, and offers one operation per card request.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "kestrin/abstract_com.h"
#include "kestrin/com_info.h"
#include "kestrin/error_codes.h"
#include "kestrin/protocol.h"
#include "kestrin/ring_buffer.h"
#include "kestrin/stream_parser.h"
#include "kestrin/usb_ftd2xx_com.h"

class CKestrin : private IProtocol::IFrameSink {
 public:
  // Event bytes queued beyond which the session stops reading the link: ten seconds of the link.
  static constexpr size_t kEventQueueBytes = 1 << 20;

  // Kind 0 selects the USB D2XX communication; any other kind leaves the session without one.
  explicit CKestrin(unsigned long kind);
  virtual ~CKestrin();
  CKestrin(const CKestrin&) = delete;
  CKestrin& operator=(const CKestrin&) = delete;

  unsigned long connect(unsigned char index);
  unsigned long disconnect();
  bool is_open();
  unsigned long purge_rx();
  unsigned long purge_tx();
  std::shared_ptr<CAbstractCom> get_com();
  std::shared_ptr<CRingBuffer> get_bulk_buffer();

  unsigned long rq_read_memory(uint8_t id, uint8_t p1, uint8_t p2, bool crc);
  unsigned long rq_read_by_id(uint8_t id, uint8_t p1, uint8_t p2, bool crc);
  unsigned long rq_read_sn(uint8_t id, bool crc);
  unsigned long rq_read_last_sw(uint8_t id, bool crc);
  unsigned long rq_read_error(uint8_t id, bool crc);
  unsigned long rq_write_memory(uint8_t id, uint8_t p1, uint16_t len, const uint8_t* data, bool crc);
  unsigned long rq_write_by_id(uint8_t id, uint8_t p1, uint16_t len, const uint8_t* data, bool crc);
  unsigned long rq_reset(uint8_t id, uint8_t p1, bool crc);
  unsigned long rq_set_mode(uint8_t id, uint8_t p1, bool crc);
  unsigned long rq_get_mode(uint8_t id, bool crc);

  unsigned long wait_for_reply();
  unsigned long wait_for_event();

  std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> read_reply_frames();
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> read_event_frames();
  // The newest record, removed from its queue; older ones stay. A default record when empty.
  std::shared_ptr<IProtocol::REPLY_FRAME> get_last_reply_frame();
  std::shared_ptr<IProtocol::EVENT_FRAME> get_last_event_frame();
  void purge_reply_frame();
  void purge_event_frame();
  std::vector<uint8_t> get_garbage();
  void purge_garbage();

  void set_timeout_for_reply(unsigned short milliseconds);
  void set_timeout_for_event(unsigned short milliseconds);

  // Observers for the owner and for diagnostics.
  unsigned long get_com_kind() const;
  unsigned long get_last_error();
  uint8_t get_mode();
  uint16_t get_last_sw();
  uint32_t get_events_lost() const;
  uint32_t get_events_received() const;
  bool is_stopped() const;

 protected:
  void init_mapping_error();
  void m_bkgd_thread_loop();
  bool crc_calc(IProtocol::REPLY_FRAME* frame);

 private:
  unsigned long request(uint8_t ctl, uint8_t id, uint8_t p1, uint8_t p2, const uint8_t* data, uint16_t len,
                        bool crc, unsigned long no_reply_code);
  void on_reply(std::shared_ptr<IProtocol::REPLY_FRAME> frame) override;
  void on_event(std::shared_ptr<IProtocol::EVENT_FRAME> frame) override;
  void join_background_thread();
  // Under m_event_mutex: whether the session may take more bytes from the link.
  bool event_room_locked() const;
  // Waits a moment for that room; false when there is none yet or the session is stopping.
  bool wait_for_event_room();
  // Called with m_event_mutex held after the event queue shrank or emptied.
  void event_queue_taken_locked(size_t remaining_bytes);

  const unsigned long m_kind;
  std::shared_ptr<CAbstractCom> m_com;
  std::vector<uint8_t> m_garbage;
  std::vector<std::shared_ptr<IProtocol::EVENT_FRAME>> m_event_frames;
  std::vector<std::shared_ptr<IProtocol::REPLY_FRAME>> m_reply_frames;
  std::shared_ptr<CRingBuffer> m_bulk_buffer;
  uint8_t m_last_ctl = 0;
  // Written by callers and by the session thread; read without the reply mutex by event waits.
  std::atomic<unsigned long> m_last_error{0};
  std::atomic<uint32_t> m_events_lost{0};
  std::atomic<uint32_t> m_events_received{0};
  uint8_t m_prev_cp = 0;
  uint8_t m_mode = 2;
  uint16_t m_last_sw = 0;
  std::atomic<bool> m_stopped{true};
  std::shared_ptr<std::thread> m_bkgd_thread;
  std::atomic<int64_t> m_reply_timeout_us{500000};
  bool m_reply_arrived = false;
  std::condition_variable m_reply_cond;
  std::mutex m_reply_mutex;
  std::atomic<int64_t> m_event_timeout_us{500000};
  bool m_event_arrived = false;
  std::condition_variable m_event_cond;
  std::mutex m_event_mutex;
  // Wire bytes of the queued events, and the requests waiting for their reply. While the owner
  // leaves kEventQueueBytes unread the session takes nothing more from the link, which holds the
  // card back (its FIFO overflows and says so), unless a reply is awaited behind those bytes.
  size_t m_event_bytes = 0;
  unsigned m_replies_awaited = 0;
  std::condition_variable m_event_room;
  std::map<uint16_t, unsigned long> m_status_map;
  std::mutex m_garbage_mutex;
};
