#include "kestrin/protocol.h"

namespace IProtocol {

uint16_t crc16(const uint8_t* bytes, size_t n, uint16_t crc) {
  for (size_t i = 0; i < n; ++i) {
    crc = static_cast<uint16_t>(crc ^ (bytes[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021) : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

std::vector<uint8_t> encode_request(bool with_crc, uint8_t ctl, uint8_t id, uint8_t p1, uint8_t p2,
                                    const uint8_t* data, uint16_t len) {
  std::vector<uint8_t> frame(7 + static_cast<size_t>(len));
  frame[0] = with_crc ? CLA_REQUEST_CRC : CLA_REQUEST;
  frame[1] = ctl;
  frame[2] = id;
  frame[3] = p1;
  frame[4] = p2;
  frame[5] = static_cast<uint8_t>(len >> 8);
  frame[6] = static_cast<uint8_t>(len);
  for (size_t i = 0; i < len; ++i) frame[7 + i] = data[i];
  if (with_crc) {
    const uint16_t crc = crc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    frame.push_back(static_cast<uint8_t>(crc));
  }
  return frame;
}

}  // namespace IProtocol
