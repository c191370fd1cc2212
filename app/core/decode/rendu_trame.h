#pragma once
// Internal to the decoder: renders a decoded frame into a bounded stack buffer, so that the
// caller's string is assigned once and keeps its capacity.

#include <cstddef>
#include <cstdint>

#include "brv_core/decode/erreur_trame.h"
#include "brv_core/decode/frame_types.h"

namespace brv::rendu {

// Longest line (879) plus the bytes written past a cut before it is applied.
inline constexpr size_t kTailleLigne = 1024;
inline constexpr size_t kTailleAnnotation = 192;

inline constexpr char kHex[] = "0123456789ABCDEF";

inline char* Hex2(char* p, uint8_t v) noexcept {
  p[0] = kHex[v >> 4];
  p[1] = kHex[v & 0x0F];
  return p + 2;
}

inline char* Hex4(char* p, uint16_t v) noexcept {
  p[0] = kHex[(v >> 12) & 0x0F];
  p[1] = kHex[(v >> 8) & 0x0F];
  p[2] = kHex[(v >> 4) & 0x0F];
  p[3] = kHex[v & 0x0F];
  return p + 4;
}

// Line of a valid frame: "NAME(" contents ")  CRC : %04X", contents cut with "..." when too long.
size_t RendTrameValide(const TypeTrame& type, uint16_t len, const uint8_t* octets, uint16_t crc, bool court,
                       char* ligne) noexcept;

// Line of an invalid frame: error text, then (results 4 to 8) the bytes in hexadecimal, cut the same way.
size_t RendTrameErreur(ErreurTrame resultat, uint16_t len, const uint8_t* octets, uint16_t crcCalcule, bool court,
                       char* ligne) noexcept;

// FIP network-management or FIPIO/FIPWAY annotation of a valid frame; 0 when there is none.
size_t RendAnnotation(const TypeTrame& type, uint16_t len, const uint8_t* octets, char* texte) noexcept;

}  // namespace brv::rendu
