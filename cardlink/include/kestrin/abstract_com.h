#pragma once
// Byte-stream link to a card: the bounded input buffer filled by a listening thread, and the wait
// for new data used by the card session's thread.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kestrin/com_info.h"

class CAbstractCom {
 public:
  CAbstractCom();
  virtual ~CAbstractCom();
  CAbstractCom(const CAbstractCom&) = delete;
  CAbstractCom& operator=(const CAbstractCom&) = delete;

  virtual unsigned long load() = 0;
  virtual unsigned long open_by_index(unsigned char index) = 0;
  virtual unsigned long open_by_location(unsigned long location) = 0;
  virtual unsigned long open_by_name(std::string& name) = 0;
  virtual unsigned long open_by_sn(std::string& serial) = 0;
  virtual bool is_open();
  virtual unsigned long close() = 0;
  virtual unsigned long get_rx_bytes();
  virtual unsigned long read(void* buffer, unsigned long count) = 0;
  virtual unsigned long write(void* buffer, unsigned long count) = 0;
  virtual unsigned long purge_tx() = 0;
  virtual unsigned long purge_rx() = 0;

  // The input buffer holds at most this much: four reads of the listening thread. Beyond it the
  // listening thread leaves the bytes in the device's queue, which holds the card back in turn.
  static constexpr size_t kInputBufferCapacity = 4 * 65536;

  void* get_com_handle() const;
  std::shared_ptr<CComInfo> get_com_info() const;
  // Takes the whole input buffer and leaves it empty.
  std::vector<uint8_t> read_input_data();
  // The same into out (its previous content dropped), which keeps both buffers' storage in use.
  void read_input_data(std::vector<uint8_t>& out);
  // True when new data arrived; false after the wait time without data or once closing began.
  bool wait_for_rx_bytes();
  // The device vanished (unplugged) while open: the handle stays until close, nothing more comes.
  bool is_lost() const { return m_lost.load(); }

 protected:
  void set_com_info(std::shared_ptr<CComInfo> info);
  // Records the loss and wakes whoever waits for data.
  void mark_lost();
  // Room left in the input buffer, waiting until there is some or closing began (then 0).
  // Called with m_mutex held through lock.
  size_t wait_for_input_room(std::unique_lock<std::mutex>& lock);
  // Sets the closing flag and wakes every waiter.
  void begin_closing();

  std::shared_ptr<CComInfo> m_com_info;
  std::vector<uint8_t> m_input_buffer;
  std::condition_variable m_cond_new_data;
  std::condition_variable m_cond_room;  // the session took the input buffer
  bool m_new_data = false;
  bool m_closing = false;
  std::chrono::microseconds m_wait_new_data{700000};
  std::atomic<void*> m_handle{nullptr};
  std::atomic<bool> m_lost{false};
  mutable std::mutex m_mutex;
  uint32_t m_rx_bytes = 0;
};
