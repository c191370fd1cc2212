#pragma once
// Card protocol frames: request encoding, the reply and event records, and the CRC.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace IProtocol {

inline constexpr uint8_t CLA_REQUEST = 0x90;
inline constexpr uint8_t CLA_REQUEST_CRC = 0x91;
inline constexpr uint8_t CLA_REPLY = 0x80;
inline constexpr uint8_t CLA_REPLY_CRC = 0x81;
inline constexpr uint8_t CLA_EVENT = 0x40;
inline constexpr uint8_t CLA_EVENT_CRC = 0x41;

inline constexpr uint16_t SW_OK = 0xA000;
inline constexpr uint16_t SW_EVENT_OVERFLOW = 0x8001;

struct REPLY_FRAME {
  uint8_t ucCLA = 0;
  uint16_t usSW = 0;
  uint16_t usLEN = 0;
  std::vector<uint8_t> data;
  // Meaningful only when ucCLA is 0x81.
  uint16_t usCRC = 0;
};

struct EVENT_FRAME {
  uint8_t ucCLA = 0;
  uint8_t ucID = 0;
  uint8_t ucCP = 0;
  uint16_t usSW = 0;
  uint16_t usLEN = 0;
  std::vector<uint8_t> data;
  uint16_t usCRC = 0;
};

// Event frames missing between two received ones, from their 8-bit counters (modulo 256). An
// equal counter is taken as a repeat, not as 256 lost.
inline uint8_t events_missing(uint8_t prev_cp, uint8_t cp) {
  return cp == prev_cp ? 0 : static_cast<uint8_t>(cp - prev_cp - 1);
}

inline bool is_start_marker(uint8_t byte) {
  return byte == CLA_EVENT || byte == CLA_EVENT_CRC || byte == CLA_REPLY || byte == CLA_REPLY_CRC;
}

// CRC-16/CCITT-FALSE: polynomial 0x1021, initial 0xFFFF, no reflection, no final XOR.
uint16_t crc16(const uint8_t* bytes, size_t n, uint16_t crc = 0xFFFF);

// A request frame: CLA 0x91 with a trailing CRC over everything before it, 0x90 without.
std::vector<uint8_t> encode_request(bool with_crc, uint8_t ctl, uint8_t id, uint8_t p1, uint8_t p2,
                                    const uint8_t* data = nullptr, uint16_t len = 0);

}  // namespace IProtocol
