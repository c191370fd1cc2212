#pragma once
// Frames for the decoder tests, closed by a CRC computed bit by bit, independently of the
// decoder's tables.

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "brv_core/decode/capture_description.h"
#include "brv_core/decode/decodage_trame.h"

namespace brv::test {

using Octets = std::vector<uint8_t>;

inline uint16_t CrcReference(bool fip, const uint8_t* octets, size_t n) {
  const unsigned polynome = fip ? 0x1021 : 0x1DCF;
  unsigned crc = fip ? 0x0000 : 0xFFFF;
  for (size_t i = 0; i < n; ++i) {
    crc ^= static_cast<unsigned>(octets[i]) << 8;
    for (int b = 0; b < 8; ++b) crc = (crc & 0x8000) ? ((crc << 1) ^ polynome) : (crc << 1);
    crc &= 0xFFFF;
  }
  return static_cast<uint16_t>(crc ^ 0xFFFF);
}

// Appends the CRC, most significant byte first.
inline Octets AvecCrc(Octets octets, bool fip = true) {
  const uint16_t crc = CrcReference(fip, octets.data(), octets.size());
  octets.push_back(static_cast<uint8_t>(crc >> 8));
  octets.push_back(static_cast<uint8_t>(crc & 0xFF));
  return octets;
}

// A frame of len bytes (CRC included from 3 bytes on): control, then 01, 02, ... as contents.
// Below 3 bytes the vector still holds the control byte, as a record does.
inline Octets TrameLongueur(uint8_t controle, size_t len, bool fip = true) {
  if (len < 3) return len == 2 ? Octets{controle, 0x00} : Octets{controle};
  Octets o{controle};
  for (size_t i = 1; i + 2 < len; ++i) o.push_back(static_cast<uint8_t>(i));
  return AvecCrc(o, fip);
}

inline std::string Hex4(unsigned v) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X", v & 0xFFFF);
  return t;
}

// Decodes with text; returns the result and fills the line and annotation.
struct Decode {
  ErreurTrame resultat;
  std::string texte;
  std::string annotation;
};

inline Decode Decoder(const CDecodageTrame& d, const Octets& o, bool court = false, size_t len = SIZE_MAX) {
  Decode r{};
  const uint16_t lg = static_cast<uint16_t>(len == SIZE_MAX ? o.size() : len);
  r.resultat = d.DecodeTrame(lg, o.data(), &r.texte, court, r.annotation);
  return r;
}

}  // namespace brv::test
