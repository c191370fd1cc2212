#pragma once
// Frame check sequences of FIP and WorldFIP framing: 16 bits, most significant bit first, final
// value complemented. Table-driven, four bytes per step (the same result as one lookup per byte,
// with the lookups of a step independent of each other). The tables are computed at compile time,
// so concurrent first uses need no lock.

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

// t[k][i]: the effect of byte i followed by k zero bytes.
using TablesCrc = std::array<std::array<uint16_t, 256>, 4>;

constexpr TablesCrc ConstruitTablesCrc(uint16_t polynome) {
  TablesCrc t{};
  t[0] = ConstruitTableCrc(polynome);
  for (size_t k = 1; k < 4; ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      const unsigned v = t[k - 1][i];
      t[k][i] = static_cast<uint16_t>(((v << 8) ^ t[0][v >> 8]) & 0xFFFF);
    }
  }
  return t;
}

inline constexpr TablesCrc kTablesCrcFip = ConstruitTablesCrc(kPolynomeCrcFip);
inline constexpr TablesCrc kTablesCrcWorldFip = ConstruitTablesCrc(kPolynomeCrcWorldFip);

inline uint16_t CrcTable(const TablesCrc& t, uint16_t init, const uint8_t* octets, size_t n) noexcept {
  unsigned crc = init;
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    crc = t[3][((crc >> 8) ^ octets[i]) & 0xFF] ^ t[2][(crc ^ octets[i + 1]) & 0xFF] ^ t[1][octets[i + 2]] ^
          t[0][octets[i + 3]];
  }
  for (; i < n; ++i) crc = ((crc << 8) ^ t[0][((crc >> 8) ^ octets[i]) & 0xFF]) & 0xFFFF;
  return static_cast<uint16_t>(crc ^ 0xFFFF);
}

// fip: FIP framing (the capture's frame standard flag set); otherwise WorldFIP framing.
inline uint16_t CrcTrame(bool fip, const uint8_t* octets, size_t n) noexcept {
  return fip ? CrcTable(kTablesCrcFip, kInitCrcFip, octets, n) : CrcTable(kTablesCrcWorldFip, kInitCrcWorldFip, octets, n);
}

}  // namespace brv
