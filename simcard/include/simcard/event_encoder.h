#pragma once
// Event frames of the card protocol and their TLV payload: one 0xC0 node per bus frame.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <vandrel/tlv.h>

#include "simcard/network.h"

namespace simcard {

// Node header 3, flags 4, standard 3, spare 3, gap up to 6, duration 4, bytes header 3.
inline constexpr size_t kMaxNodeBytes = 26 + kMaxFrameBytes;
inline constexpr size_t kEventHeaderBytes = 7;

// Writes the node of one frame at out (room for kMaxNodeBytes); returns its size.
size_t encode_node(const BusFrame& f, bool worldfip, uint8_t* out);

// Appends an event frame header (LEN left 0) and returns its offset in out.
size_t begin_event(std::vector<uint8_t>& out, uint8_t cp, uint16_t sw, bool crc);
// Fills LEN from the bytes appended since begin_event and appends the CRC when asked.
void end_event(std::vector<uint8_t>& out, size_t start, bool crc);

// A reply frame: CLA 0x80, or 0x81 followed by the CRC of everything before it.
std::vector<uint8_t> encode_reply(uint16_t sw, const uint8_t* data, size_t n, bool crc);

}  // namespace simcard
