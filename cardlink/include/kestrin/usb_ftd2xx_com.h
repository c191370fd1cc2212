#pragma once
// The card transport over the D2XX calls: device look-ups, opening with the line settings,
// and the listening thread that moves received bytes into the input buffer.

#include <atomic>
#include <map>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "kestrin/abstract_com.h"

namespace ftd2xx {
class Event;
}

class CUsbFtd2xxCom : public CAbstractCom {
 public:
  CUsbFtd2xxCom();
  ~CUsbFtd2xxCom() override;

  static std::vector<std::shared_ptr<CUsbComInfo>> get_all_com_info_list();
  static std::shared_ptr<CUsbComInfo> get_com_info_by_index(unsigned char index);
  static std::vector<std::shared_ptr<CUsbComInfo>> get_com_info_by_id(unsigned long id);
  static std::vector<std::shared_ptr<CUsbComInfo>> get_com_info_by_name(std::string name);
  static std::vector<std::shared_ptr<CUsbComInfo>> get_com_info_by_sn(std::string serial);
  static std::shared_ptr<CUsbComInfo> get_com_info_by_locid(unsigned long location);

  unsigned long load() override;
  unsigned long open_by_index(unsigned char index) override;
  unsigned long open_by_location(unsigned long location) override;
  unsigned long open_by_name(std::string& name) override;
  unsigned long open_by_sn(std::string& serial) override;
  unsigned long close() override;
  unsigned long read(void* buffer, unsigned long count) override;
  unsigned long write(void* buffer, unsigned long count) override;
  unsigned long purge_tx() override;
  unsigned long purge_rx() override;

  unsigned long get_cp_listening_loop() const;
  unsigned long get_cp_listening_loop_with_data() const;

 protected:
  unsigned long start_listening_thread();
  unsigned long stop_listening_thread();
  void listening_loop(ftd2xx::Event& event);
  void init_mapping_error();
  unsigned long map_status(unsigned long status) const;

  uint32_t m_rx_bytes_max = 0;
  std::map<unsigned long, unsigned long> m_status_map;
  std::shared_ptr<std::thread> m_listening_thread;
  std::shared_ptr<ftd2xx::Event> m_rx_event;  // the received-character event, set by close to wake the loop
  // Set by start_listening_thread for the loop to say its set-up is done.
  std::promise<void>* m_listening_ready = nullptr;
  std::atomic<bool> m_stop_listening{false};
  std::atomic<unsigned long> m_cp_listening_loop{0};
  std::atomic<unsigned long> m_cp_listening_loop_with_data{0};
};
