// Real backend: FTDI devices through libftdi1 (libusb). A reader thread moves received bytes
// into the bounded receive queue, which signals the received-character event.

#include <ftdi.h>
#include <libusb.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "backends.h"

namespace ftd2xx::detail {

namespace {

ULONG device_type(uint16_t bcd_device) {
  switch (bcd_device) {
    case 0x0200: return FT_DEVICE_AM;
    case 0x0400: return FT_DEVICE_BM;
    case 0x0500: return FT_DEVICE_2232C;
    case 0x0600: return FT_DEVICE_232R;
    case 0x0700: return FT_DEVICE_2232H;
    case 0x0800: return FT_DEVICE_4232H;
    case 0x0900: return FT_DEVICE_232H;
    case 0x1000: return FT_DEVICE_X_SERIES;
    default: return FT_DEVICE_UNKNOWN;
  }
}

struct Context {
  ftdi_context* ctx = ftdi_new();
  ~Context() {
    if (ctx) ftdi_free(ctx);
  }
};

class FtdiPort : public Port {
 public:
  explicit FtdiPort(ftdi_context* ctx) : ctx_(ctx) {}
  ~FtdiPort() override { close(); }

  void start() { reader_ = std::thread([this] { read_loop(); }); }

  FT_STATUS check() const override { return failed_ ? FT_IO_ERROR : FT_OK; }

  FT_STATUS apply(Setting which, const LineSettings& s) override {
    std::lock_guard lock(usb_);
    if (!ctx_) return FT_INVALID_HANDLE;
    int rc = 0;
    switch (which) {
      case Setting::Reset: rc = ftdi_usb_reset(ctx_); break;
      case Setting::PurgeRx: rc = ftdi_tciflush(ctx_); break;
      case Setting::PurgeTx: rc = ftdi_tcoflush(ctx_); break;
      case Setting::UsbParameters:
        rc = ftdi_read_data_set_chunksize(ctx_, static_cast<unsigned>(s.in_transfer_size));
        if (rc == 0) rc = ftdi_write_data_set_chunksize(ctx_, static_cast<unsigned>(s.out_transfer_size));
        break;
      case Setting::BaudRate:
        rc = ftdi_set_baudrate(ctx_, static_cast<int>(s.baud_rate));
        if (rc == -1) return FT_INVALID_BAUD_RATE;
        break;
      case Setting::Timeouts:
        // Reads are made by the reader thread with a short time-out so that close is prompt.
        ctx_->usb_write_timeout = s.write_timeout_ms ? static_cast<int>(s.write_timeout_ms) : 5000;
        break;
      case Setting::DataCharacteristics:
        rc = ftdi_set_line_property(ctx_, s.word_length == FT_BITS_7 ? BITS_7 : BITS_8,
                                    s.stop_bits == FT_STOP_BITS_2 ? STOP_BIT_2 : STOP_BIT_1,
                                    s.parity == FT_PARITY_ODD ? ODD : s.parity == FT_PARITY_EVEN ? EVEN : NONE);
        break;
      case Setting::FlowControl:
        rc = ftdi_setflowctrl(ctx_, s.flow_control == FT_FLOW_RTS_CTS   ? SIO_RTS_CTS_HS
                                    : s.flow_control == FT_FLOW_DTR_DSR ? SIO_DTR_DSR_HS
                                    : s.flow_control == FT_FLOW_XON_XOFF ? SIO_XON_XOFF_HS
                                                                         : SIO_DISABLE_FLOW_CTRL);
        break;
      case Setting::LatencyTimer: rc = ftdi_set_latency_timer(ctx_, s.latency_ms ? s.latency_ms : 1); break;
      case Setting::PipeRetry: break;  // libusb retries on its own
    }
    return rc < 0 ? FT_IO_ERROR : FT_OK;
  }

  FT_STATUS write(const uint8_t* bytes, DWORD n, DWORD* written) override {
    *written = 0;
    if (failed_) return FT_IO_ERROR;
    std::lock_guard lock(usb_);
    if (!ctx_) return FT_INVALID_HANDLE;
    const int rc = ftdi_write_data(ctx_, bytes, static_cast<int>(n));
    if (rc < 0) return FT_IO_ERROR;
    *written = static_cast<DWORD>(rc);
    return FT_OK;
  }

  void close() override {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    std::lock_guard lock(usb_);
    if (ctx_) {
      ftdi_usb_close(ctx_);
      ftdi_free(ctx_);
      ctx_ = nullptr;
    }
  }

 private:
  void read_loop() {
    uint8_t buffer[4096];
    while (!stop_) {
      // Nothing is pulled from the chip while the host's queue cannot take a whole read: the chip
      // then stops its IN transfers and the card's FIFO overflows, as the card reports.
      if (!rx.wait_for_room(sizeof buffer, 50)) continue;
      int n;
      {
        std::lock_guard lock(usb_);
        n = ftdi_read_data(ctx_, buffer, sizeof buffer);
      }
      if (n > 0) {
        rx.push(buffer, static_cast<size_t>(n));
      } else if (n < 0) {
        failed_ = true;
        rx.signal();
        return;
      } else {
        // Nothing came within the latency timer; leave room for writes and settings.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
  }

  std::mutex usb_;
  ftdi_context* ctx_;
  std::thread reader_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> failed_{false};
};

}  // namespace

std::vector<RealDevice> enumerate_real_devices() {
  std::vector<RealDevice> out;
  Context c;
  if (!c.ctx) return out;
  ftdi_device_list* list = nullptr;
  if (ftdi_usb_find_all(c.ctx, &list, 0, 0) <= 0) {
    if (list) ftdi_list_free(&list);
    return out;
  }
  for (ftdi_device_list* d = list; d; d = d->next) {
    RealDevice rd;
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(d->dev, &desc) == 0) {
      rd.node.ID = (static_cast<ULONG>(desc.idVendor) << 16) | desc.idProduct;
      rd.node.Type = device_type(desc.bcdDevice);
    }
    rd.bus = libusb_get_bus_number(d->dev);
    rd.address = libusb_get_device_address(d->dev);
    rd.node.LocId = (static_cast<DWORD>(rd.bus) << 8) | rd.address;
    if (libusb_get_device_speed(d->dev) >= LIBUSB_SPEED_HIGH) rd.node.Flags |= FT_FLAGS_HISPEED;
    // Reads the string descriptors and closes the device again at once.
    char manufacturer[128];
    ftdi_usb_get_strings(c.ctx, d->dev, manufacturer, sizeof manufacturer, rd.node.Description,
                         sizeof rd.node.Description, rd.node.SerialNumber, sizeof rd.node.SerialNumber);
    rd.node.Description[sizeof rd.node.Description - 1] = '\0';
    rd.node.SerialNumber[sizeof rd.node.SerialNumber - 1] = '\0';
    out.push_back(rd);
  }
  ftdi_list_free(&list);
  return out;
}

FT_STATUS open_real_device(const RealDevice& device, std::shared_ptr<Port>& port) {
  ftdi_context* ctx = ftdi_new();
  if (!ctx) return FT_INSUFFICIENT_RESOURCES;
  ftdi_device_list* list = nullptr;
  libusb_device* found = nullptr;
  if (ftdi_usb_find_all(ctx, &list, 0, 0) > 0) {
    for (ftdi_device_list* d = list; d; d = d->next) {
      if (libusb_get_bus_number(d->dev) == device.bus && libusb_get_device_address(d->dev) == device.address) {
        found = d->dev;
        break;
      }
    }
  }
  FT_STATUS status = FT_DEVICE_NOT_FOUND;
  if (found) {
    // Give the serial driver back the device when we close it.
    ctx->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    // Fails while another process holds the interface.
    status = ftdi_usb_open_dev(ctx, found) == 0 ? FT_OK : FT_DEVICE_NOT_OPENED;
  }
  if (list) ftdi_list_free(&list);
  if (status != FT_OK) {
    ftdi_free(ctx);
    return status;
  }
  ctx->usb_read_timeout = 50;
  auto p = std::make_shared<FtdiPort>(ctx);
  p->start();
  port = p;
  return FT_OK;
}

}  // namespace ftd2xx::detail
