#pragma once
// Frame check sequences of FIP and WorldFIP framing: 16 bits, most significant bit first, one
// table lookup per byte, final value complemented. The tables are computed at compile time, so
// concurrent first uses need no lock.

#include <array>
#include <cstddef>
#include <cstdint>

namespace brv {

inline constexpr uint16_t kPolynomeCrcFip = 0x1021;
inline constexpr uint16_t kInitCrcFip = 0x0000;
inline constexpr uint16_t kPolynomeCrcWorldFip = 0x1DCF;
inline constexpr uint16_t kInitCrcWorldFip = 0xFFFF;

constexpr std::array<uint16_t, 256> ConstruitTableCrc(uint16_t polynome) {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned v = i << 8;
    for (int b = 0; b < 8; ++b) v = (v & 0x8000) ? ((v << 1) ^ polynome) : (v << 1);
    table[i] = static_cast<uint16_t>(v);
  }
  return table;
}

inline constexpr std::array<uint16_t, 256> kTableCrcFip = ConstruitTableCrc(kPolynomeCrcFip);
inline constexpr std::array<uint16_t, 256> kTableCrcWorldFip = ConstruitTableCrc(kPolynomeCrcWorldFip);

inline uint16_t CrcTable(const uint16_t* table, uint16_t init, const uint8_t* octets, size_t n) noexcept {
  unsigned crc = init;
  for (size_t i = 0; i < n; ++i) crc = ((crc << 8) ^ table[((crc >> 8) ^ octets[i]) & 0xFF]) & 0xFFFF;
  return static_cast<uint16_t>(crc ^ 0xFFFF);
}

// fip: FIP framing (the capture's frame standard flag set); otherwise WorldFIP framing.
inline uint16_t CrcTrame(bool fip, const uint8_t* octets, size_t n) noexcept {
  return fip ? CrcTable(kTableCrcFip.data(), kInitCrcFip, octets, n)
             : CrcTable(kTableCrcWorldFip.data(), kInitCrcWorldFip, octets, n);
}

}  // namespace brv
