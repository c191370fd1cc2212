// The card transport over virtual devices: look-ups, opening, the listening thread, closing.

#include <gtest/gtest.h>

#include <ftd2xx/ftd2xx.h>
#include <kestrin/error_codes.h>
#include <kestrin/usb_ftd2xx_com.h>

#include <chrono>
#include <thread>

#include "scripted_card.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;

// A virtual device registered for the test's lifetime.
struct Registered {
  std::shared_ptr<ScriptedCard> card;
  explicit Registered(const std::string& description = "Brenvale Test") : card(std::make_shared<ScriptedCard>(description)) {
    ftd2xx::register_virtual_device(card);
  }
  ~Registered() { ftd2xx::unregister_virtual_device(card); }
  unsigned char index() const {
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? 0 : static_cast<unsigned char>(found[0]->m_index);
  }
};

bool wait_until(const std::function<bool()>& done) {
  for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(5ms);
  return done();
}

TEST(UsbComLookups, NoMatchingDeviceGivesEmptyResults) {
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_name("No Such Card").empty());
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_sn("NOSUCHSERIAL").empty());
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_id(0xFFFFFFFF).empty());
  const auto list = CUsbFtd2xxCom::get_all_com_info_list();
  // A position equal to the list length gives a default record.
  const auto beyond = CUsbFtd2xxCom::get_com_info_by_index(static_cast<unsigned char>(list.size()));
  EXPECT_EQ(beyond->m_name, "");
  EXPECT_EQ(beyond->m_serial_number, "");
  EXPECT_EQ(beyond->m_index, 0u);
  EXPECT_EQ(CUsbFtd2xxCom::get_com_info_by_locid(0xDEADBEEF)->m_name, "");
}

TEST(UsbComLookups, VirtualDevicesAreListedAfterRealOnesWithTheirFields) {
  const size_t real = CUsbFtd2xxCom::get_all_com_info_list().size();
  Registered a("Brenvale USB"), b("Other Device");
  const auto list = CUsbFtd2xxCom::get_all_com_info_list();
  ASSERT_EQ(list.size(), real + 2);
  EXPECT_EQ(list[real]->m_serial_number, a.card->serial());
  EXPECT_EQ(list[real]->m_index, real);
  EXPECT_EQ(list[real + 1]->m_name, "Other Device");
  EXPECT_EQ(list[real]->m_id, 0x04036001u);
  const auto by_name = CUsbFtd2xxCom::get_com_info_by_name("Brenvale USB");
  ASSERT_EQ(by_name.size(), 1u);
  EXPECT_EQ(by_name[0]->m_index, real);
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_name("brenvale usb").empty());
  EXPECT_FALSE(by_name[0]->m_in_use);
}

// A device held elsewhere is listed in use; the enumeration leaves free devices closed.
TEST(UsbComLookups, DeviceInUseIsFlaggedAndEnumerationLeavesDevicesClosed) {
  Registered held, free;
  held.card->set_in_use(true);
  const auto h = CUsbFtd2xxCom::get_com_info_by_sn(held.card->serial());
  const auto f = CUsbFtd2xxCom::get_com_info_by_sn(free.card->serial());
  ASSERT_EQ(h.size(), 1u);
  ASSERT_EQ(f.size(), 1u);
  EXPECT_TRUE(h[0]->m_in_use);
  EXPECT_FALSE(f[0]->m_in_use);
  EXPECT_FALSE(free.card->host_open());

  CUsbFtd2xxCom com;
  com.load();
  EXPECT_EQ(com.open_by_index(held.index()), kestrin::FTD2XX_STATUS_BASE + FT_DEVICE_NOT_OPENED);
}

TEST(UsbCom, OpenAppliesTheLineSettingsAndCloseReleases) {
  Registered dev;
  CUsbFtd2xxCom com;
  ASSERT_EQ(com.load(), 0u);
  ASSERT_EQ(com.open_by_index(dev.index()), 0u);
  EXPECT_TRUE(com.is_open());
  EXPECT_EQ(com.get_com_info()->m_serial_number, dev.card->serial());
  const auto s = dev.card->line_settings();
  EXPECT_EQ(s.baud_rate, 1000000u);
  EXPECT_EQ(s.word_length, 8);
  EXPECT_EQ(s.stop_bits, 0);
  EXPECT_EQ(s.parity, 0);
  EXPECT_EQ(s.flow_control, 0);
  EXPECT_EQ(s.xon, 0x11);
  EXPECT_EQ(s.xoff, 0x13);
  EXPECT_EQ(s.latency_ms, 3);
  EXPECT_EQ(s.in_transfer_size, 4096u);
  EXPECT_EQ(s.out_transfer_size, 64u);
  EXPECT_EQ(s.read_timeout_ms, 0u);
  EXPECT_EQ(s.write_timeout_ms, 100u);
  EXPECT_EQ(s.reset_pipe_retry_count, 100u);
  EXPECT_EQ(s.resets, 1u);
  EXPECT_GE(s.rx_purges, 2u);
  EXPECT_GE(s.tx_purges, 2u);
  EXPECT_EQ(com.close(), 0u);
  EXPECT_FALSE(com.is_open());
  EXPECT_FALSE(dev.card->host_open());
}

TEST(UsbCom, ClosedObjectRefusesEveryOperation) {
  CUsbFtd2xxCom com;
  com.load();
  uint8_t buffer[4] = {1, 2, 3, 4};
  EXPECT_EQ(com.close(), kestrin::ABCOM_ERROR_COM_CLOSED);
  EXPECT_EQ(com.write(buffer, 4), kestrin::ABCOM_ERROR_COM_CLOSED);
  EXPECT_EQ(com.read(buffer, 4), kestrin::ABCOM_ERROR_COM_CLOSED);
  EXPECT_EQ(com.purge_rx(), kestrin::ABCOM_ERROR_COM_CLOSED);
  EXPECT_EQ(com.purge_tx(), kestrin::ABCOM_ERROR_COM_CLOSED);
  std::string text = "x";
  EXPECT_EQ(com.open_by_location(0), kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED);
  EXPECT_EQ(com.open_by_name(text), kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED);
  EXPECT_EQ(com.open_by_sn(text), kestrin::KESTRIN_ERROR_NOT_IMPLEMENTED);
  // No device at that position.
  EXPECT_EQ(com.open_by_index(250), kestrin::FTD2XX_STATUS_BASE + FT_DEVICE_NOT_FOUND);
}

TEST(UsbCom, WritesReachTheDeviceAndPacketsComeBackInOrder) {
  Registered dev;
  CUsbFtd2xxCom com;
  com.load();
  ASSERT_EQ(com.open_by_index(dev.index()), 0u);
  uint8_t request[] = {0x90, 0x30, 0x01, 0x02, 0x00, 0x00, 0x00};
  ASSERT_EQ(com.write(request, sizeof request), 0u);
  ASSERT_EQ(dev.card->writes().size(), 1u);
  EXPECT_EQ(dev.card->writes()[0], Bytes(std::begin(request), std::end(request)));

  ASSERT_EQ(dev.card->send_to_host(Bytes{1, 2, 3}), 3u);
  ASSERT_TRUE(wait_until([&] { return dev.card->host_queue_size() == 0 && com.get_cp_listening_loop_with_data() >= 1; }));
  ASSERT_EQ(dev.card->send_to_host(Bytes{4, 5}), 2u);
  ASSERT_TRUE(wait_until([&] { return com.get_cp_listening_loop_with_data() >= 2; }));
  // Two packets before the session drains the buffer come together, in order.
  EXPECT_TRUE(com.wait_for_rx_bytes());
  EXPECT_EQ(com.read_input_data(), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_TRUE(com.read_input_data().empty());
  EXPECT_EQ(com.close(), 0u);
}

TEST(UsbCom, WaitForRxBytesIsFalseOnceCloseBegan) {
  Registered dev;
  CUsbFtd2xxCom com;
  com.load();
  ASSERT_EQ(com.open_by_index(dev.index()), 0u);
  std::atomic<bool> result{true};
  std::thread waiter([&] { result = com.wait_for_rx_bytes(); });
  std::this_thread::sleep_for(20ms);
  ASSERT_EQ(com.close(), 0u);
  waiter.join();
  EXPECT_FALSE(result);
  // And at once afterwards.
  EXPECT_FALSE(com.wait_for_rx_bytes());
}

// The host's receive queue of a device is bounded: a send takes what fits, from the front, the
// rest stays with the device; reads give the bytes back in order, across the ring's end.
TEST(D2xxReceiveQueue, TakesWhatFitsAndGivesItBackInOrder) {
  constexpr size_t kCap = ftd2xx::kRxQueueCapacity;
  struct Step {
    bool send;  // else read
    size_t asked;
    size_t done;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases{
      {"filled to the brim", {{true, kCap - 10, kCap - 10}, {true, 100, 10}, {true, 1, 0}, {false, 100, 100}, {true, 200, 100}}},
      {"round the ring's end", {{true, kCap, kCap}, {false, kCap - 5, kCap - 5}, {true, 50, 50}, {false, 100, 55}, {true, kCap, kCap}}},
      {"a read takes what there is", {{true, 10, 10}, {false, 100, 10}, {false, 1, 0}}},
  };
  for (const auto& c : cases) {
    Registered dev;
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(dev.index(), &h), FT_OK) << c.name;
    uint8_t next_out = 0, next_in = 0;  // the stream the device sends, as far as it was taken
    for (const Step& st : c.steps) {
      if (st.send) {
        Bytes bytes(st.asked);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(next_out + i);
        const auto taken = dev.card->send_to_host(bytes);
        ASSERT_EQ(taken, st.done) << c.name;
        next_out = static_cast<uint8_t>(next_out + st.done);
      } else {
        Bytes got(st.asked);
        DWORD n = 0;
        ASSERT_EQ(FT_Read(h, got.data(), static_cast<DWORD>(got.size()), &n), FT_OK) << c.name;
        ASSERT_EQ(n, st.done) << c.name;
        for (size_t i = 0; i < n; ++i) ASSERT_EQ(got[i], next_in++) << c.name << " byte " << i;
      }
      EXPECT_LE(dev.card->host_queue_size(), kCap) << c.name;
    }
    FT_Close(h);
  }
}

// While the session leaves the input buffer full, the listening thread leaves the rest in the
// device's queue, and takes it once the buffer was taken, with nothing new arriving to signal it.
TEST(UsbCom, ListeningThreadLeavesBytesQueuedWhileTheInputBufferIsFull) {
  Registered dev;
  CUsbFtd2xxCom com;
  com.load();
  ASSERT_EQ(com.open_by_index(dev.index()), 0u);
  constexpr size_t kBuffer = CAbstractCom::kInputBufferCapacity;
  Bytes sent(kBuffer + 100000);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<uint8_t>(i * 7);
  ASSERT_EQ(dev.card->send_to_host(sent), sent.size());
  ASSERT_TRUE(wait_until([&] { return dev.card->host_queue_size() == sent.size() - kBuffer; }));
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(dev.card->host_queue_size(), sent.size() - kBuffer);
  Bytes got = com.read_input_data();
  EXPECT_EQ(got.size(), kBuffer);
  ASSERT_TRUE(wait_until([&] { return dev.card->host_queue_size() == 0; }));
  ASSERT_TRUE(com.wait_for_rx_bytes());
  const Bytes rest = com.read_input_data();
  got.insert(got.end(), rest.begin(), rest.end());
  EXPECT_EQ(got, sent);
  EXPECT_EQ(com.close(), 0u);
}

TEST(UsbCom, UnpluggedDeviceFailsLikeAVanishedOne) {
  Registered dev;
  CUsbFtd2xxCom com;
  com.load();
  ASSERT_EQ(com.open_by_index(dev.index()), 0u);
  EXPECT_FALSE(com.is_lost());
  dev.card->unplug();
  uint8_t byte = 0;
  EXPECT_EQ(com.write(&byte, 1), kestrin::FTD2XX_STATUS_BASE + FT_IO_ERROR);
  // The listening thread notices and says so: nothing more will come from this link.
  for (int i = 0; i < 200 && !com.is_lost(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(com.is_lost());
  EXPECT_TRUE(CUsbFtd2xxCom::get_com_info_by_sn(dev.card->serial()).empty());
  EXPECT_EQ(dev.card->send_to_host(Bytes{1}), std::nullopt);
  EXPECT_EQ(com.close(), 0u);
}

}  // namespace
}  // namespace brv::test
