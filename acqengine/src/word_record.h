#pragma once
// The card thread's word record of one bus frame: the start word (first byte + 0x100), the other
// bytes, the frame time T on four words (most significant first) and the status byte.

#include <cstdint>
#include <vector>

#include "frame_walk.h"
#include "vandrel/tlv.h"

namespace vandrel {

// Status byte of the record from the card's status flags.
constexpr uint8_t statut_enreg(uint16_t f) {
  uint8_t s = static_cast<uint8_t>((f >> 8) & 0x07);
  if (f & 0x30) s |= 0x08;
  if (f & 0x01) s |= 0x20;
  if (f & 0x02) s |= 0x40;
  if (f & 0x04) s |= 0x80;
  return s;
}

inline void ajoute_temps_statut(std::vector<uint16_t>& out, uint32_t t, uint8_t statut) {
  out.push_back(static_cast<uint16_t>(t >> 24));
  out.push_back(static_cast<uint16_t>((t >> 16) & 0xFF));
  out.push_back(static_cast<uint16_t>((t >> 8) & 0xFF));
  out.push_back(static_cast<uint16_t>(t & 0xFF));
  out.push_back(statut);
}

// Appends the node's record, preceded by the FC FC marker record when the node carries it.
inline void ajoute_enreg_mots(const CFipNode& n, std::vector<uint16_t>& out) {
  if (n.bMarqueDebordement) {
    out.push_back(kMotDebut | 0xFC);
    out.push_back(0xFC);
    ajoute_temps_statut(out, 0, 0);
  }
  if (n.bGlitch) {
    out.push_back(kMotDebut | 0xFD);
    out.push_back(0xFD);
  } else if (n.bDelimiteur1 || n.bDelimiteur2) {
    out.push_back(kMotDebut | 0xFE);
    out.push_back(0xFE);
  } else if (n.trame.empty()) {
    out.push_back(kMotDebut);
  } else {
    const size_t nb = n.trame.size() < kOctetsTrameMax ? n.trame.size() : kOctetsTrameMax;
    out.push_back(static_cast<uint16_t>(kMotDebut | n.trame[0]));
    for (size_t i = 1; i < nb; ++i) out.push_back(n.trame[i]);
  }
  ajoute_temps_statut(out, static_cast<uint32_t>(n.usDuree) + n.ulGapSuivant, statut_enreg(n.usStatut));
}

}  // namespace vandrel
