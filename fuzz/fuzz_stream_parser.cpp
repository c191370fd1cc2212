// Any byte stream, cut into chunks in any way, parses without fault; every record delivered
// carries exactly LEN data bytes.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <kestrin/stream_parser.h>

namespace {

struct CheckingSink : IProtocol::IFrameSink {
  void on_reply(std::shared_ptr<IProtocol::REPLY_FRAME> f) override {
    if (f->data.size() != f->usLEN || (f->ucCLA & 0xFE) != 0x80) std::abort();
  }
  void on_event(std::shared_ptr<IProtocol::EVENT_FRAME> f) override {
    if (f->data.size() != f->usLEN || (f->ucCLA & 0xFE) != 0x40) std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first two bytes choose the chunk lengths; the rest is the stream.
  uint32_t state = (static_cast<uint32_t>(data[0]) << 8 | data[1]) | 1u;
  data += 2;
  size -= 2;
  IProtocol::CStreamParser parser;
  CheckingSink sink;
  size_t pos = 0;
  while (pos < size) {
    state = state * 1103515245u + 12345u;
    const size_t len = 1 + (state >> 16) % 64;
    const size_t end = pos + len < size ? pos + len : size;
    const std::vector<uint8_t> chunk(data + pos, data + end);
    // After a loss the session stops; a new one starts from scratch on what follows.
    if (!parser.parse(chunk, sink)) parser = IProtocol::CStreamParser();
    pos = end;
  }
  return 0;
}
