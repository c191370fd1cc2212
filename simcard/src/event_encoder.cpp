#include "simcard/event_encoder.h"

#include <cstring>

#include <kestrin/protocol.h>

namespace simcard {

namespace tlv = vandrel::tlv;

size_t encode_node(const BusFrame& f, bool worldfip, uint8_t* out) {
  uint8_t* p = out + 3;
  *p++ = tlv::TAG_STATUT; *p++ = 2;
  *p++ = static_cast<uint8_t>(f.flags >> 8); *p++ = static_cast<uint8_t>(f.flags);
  *p++ = tlv::TAG_STANDARD; *p++ = 1; *p++ = worldfip ? tlv::STANDARD_WORLDFIP : tlv::STANDARD_FIP;
  *p++ = tlv::TAG_OCTET_22; *p++ = 1; *p++ = 0;
  // The gap on as few bytes as it needs, as the card sends it.
  const uint32_t gap = f.gap;
  const uint8_t gap_len = gap > 0xFFFFFF ? 4 : gap > 0xFFFF ? 3 : gap > 0xFF ? 2 : 1;
  *p++ = tlv::TAG_GAP; *p++ = gap_len;
  for (int i = gap_len - 1; i >= 0; --i) *p++ = static_cast<uint8_t>(gap >> (8 * i));
  *p++ = tlv::TAG_DUREE; *p++ = 2;
  *p++ = static_cast<uint8_t>(f.duration >> 8); *p++ = static_cast<uint8_t>(f.duration);
  if (f.len) {
    *p++ = tlv::TAG_TRAME;
    *p++ = static_cast<uint8_t>(f.len >> 8); *p++ = static_cast<uint8_t>(f.len);
    std::memcpy(p, f.bytes.data(), f.len);
    p += f.len;
  }
  const size_t value = static_cast<size_t>(p - out) - 3;
  out[0] = tlv::TAG_FIP;
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value);
  return value + 3;
}

size_t begin_event(std::vector<uint8_t>& out, uint8_t cp, uint16_t sw, bool crc) {
  const size_t start = out.size();
  out.resize(start + kEventHeaderBytes);
  uint8_t* h = out.data() + start;
  h[0] = crc ? IProtocol::CLA_EVENT_CRC : IProtocol::CLA_EVENT;
  h[1] = 1;
  h[2] = cp;
  h[3] = static_cast<uint8_t>(sw >> 8);
  h[4] = static_cast<uint8_t>(sw);
  h[5] = h[6] = 0;
  return start;
}

void end_event(std::vector<uint8_t>& out, size_t start, bool crc) {
  const size_t len = out.size() - start - kEventHeaderBytes;
  out[start + 5] = static_cast<uint8_t>(len >> 8);
  out[start + 6] = static_cast<uint8_t>(len);
  if (crc) {
    const uint16_t c = IProtocol::crc16(out.data() + start, out.size() - start);
    out.push_back(static_cast<uint8_t>(c >> 8));
    out.push_back(static_cast<uint8_t>(c));
  }
}

std::vector<uint8_t> encode_reply(uint16_t sw, const uint8_t* data, size_t n, bool crc) {
  // Sized once: GCC 12 reports false array bounds on inserts into a short vector.
  std::vector<uint8_t> f(5 + n + (crc ? 2 : 0));
  f[0] = crc ? IProtocol::CLA_REPLY_CRC : IProtocol::CLA_REPLY;
  f[1] = static_cast<uint8_t>(sw >> 8);
  f[2] = static_cast<uint8_t>(sw);
  f[3] = static_cast<uint8_t>(n >> 8);
  f[4] = static_cast<uint8_t>(n);
  if (n) std::memcpy(f.data() + 5, data, n);
  if (crc) {
    const uint16_t c = IProtocol::crc16(f.data(), 5 + n);
    f[5 + n] = static_cast<uint8_t>(c >> 8);
    f[6 + n] = static_cast<uint8_t>(c);
  }
  return f;
}

}  // namespace simcard
