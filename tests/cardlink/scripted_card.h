#pragma once
// A scripted virtual device at the D2XX layer: records what the host writes and answers each
// write with the chunks its responder returns. Frame builders for replies and events.

#include <ftd2xx/virtual_device.h>
#include <kestrin/protocol.h>

#include <brv_platform/trace.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace brv::test {

using Bytes = std::vector<uint8_t>;

// Byte by byte: GCC 12 reports false array bounds on vector range inserts.
inline void append(Bytes& out, const Bytes& more) {
  for (uint8_t b : more) out.push_back(b);
}

inline Bytes reply_frame(uint16_t sw, const Bytes& data = {}, bool crc = false) {
  Bytes f;
  append(f, {static_cast<uint8_t>(crc ? 0x81 : 0x80), static_cast<uint8_t>(sw >> 8), static_cast<uint8_t>(sw),
             static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())});
  append(f, data);
  if (crc) {
    const uint16_t c = IProtocol::crc16(f.data(), f.size());
    f.push_back(static_cast<uint8_t>(c >> 8));
    f.push_back(static_cast<uint8_t>(c));
  }
  return f;
}

inline Bytes event_frame(uint8_t cp, const Bytes& data = {}, uint16_t sw = 0xA000, uint8_t id = 1, bool crc = false) {
  Bytes f;
  append(f, {static_cast<uint8_t>(crc ? 0x41 : 0x40), id, cp, static_cast<uint8_t>(sw >> 8), static_cast<uint8_t>(sw),
             static_cast<uint8_t>(data.size() >> 8), static_cast<uint8_t>(data.size())});
  append(f, data);
  if (crc) {
    f.push_back(0x12);
    f.push_back(0x34);
  }
  return f;
}

inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) append(out, p);
  return out;
}

class ScriptedCard : public ftd2xx::VirtualDevice {
 public:
  using Responder = std::function<std::vector<Bytes>(const Bytes& request)>;

  explicit ScriptedCard(const std::string& description = "Brenvale Test")
      : VirtualDevice(description, next_serial()) {}

  void respond_with(Responder responder) {
    std::lock_guard lock(mutex_);
    responder_ = std::move(responder);
  }

  std::vector<Bytes> writes() const {
    std::lock_guard lock(mutex_);
    return writes_;
  }

 protected:
  void on_host_write(std::span<const uint8_t> bytes) override {
    Bytes request(bytes.begin(), bytes.end());
    Responder responder;
    {
      std::lock_guard lock(mutex_);
      writes_.push_back(request);
      responder = responder_;
    }
    if (responder) {
      for (const auto& chunk : responder(request)) send_to_host(chunk);
    }
  }

 private:
  static std::string next_serial() {
    static std::atomic<int> n{0};
    return "TST" + std::to_string(n++);
  }

  mutable std::mutex mutex_;
  Responder responder_;
  std::vector<Bytes> writes_;
};

// Collects the trace lines while alive.
class TraceCapture {
 public:
  TraceCapture() {
    previous_ = brv::platform::set_trace_sink([this](std::string_view line) {
      std::lock_guard lock(mutex_);
      text_.append(line);
      text_.push_back('\n');
    });
  }
  ~TraceCapture() { brv::platform::set_trace_sink(std::move(previous_)); }
  bool contains(std::string_view s) const {
    std::lock_guard lock(mutex_);
    return text_.find(s) != std::string::npos;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
  brv::platform::TraceSink previous_;
};

}  // namespace brv::test
