// FIP network-management variables in the frame detail: station presence list, bus arbitrator
// synchronisation, segment parameters, station presence and common words.

#include <string>

#include "brv_core/report/frame_detail.h"

namespace brv::detail_trame {

namespace {

// Contents bytes end before the two CRC bytes.
bool Dispose(uint16_t len, unsigned dernier) { return len >= 2 && dernier < len - 2u; }

const char* FonctionArbitre(uint8_t octet) {
  switch (octet & 0xF0) {
    case 0x00: return "BA Function BA is not supported ";
    case 0x10: return "Ba Function BA is not eligible";
    case 0x20: return "BA Function BA is in wait!";
    case 0x30: return "BA Function is active";
    default: return "";
  }
}

}  // namespace

std::string VariableReseau(uint16_t id, uint16_t len, const uint8_t* o) {
  if (!Dispose(len, 3)) return {};
  if (id < 0x20) {
    if (o[1] != 0x40 || o[2] != 0x09 || !Dispose(len, 11)) return {};
    return Fmt("Common words from station %d <BR> COM words: %02X %02X  %02X %02X  %02X %02X  %02X %02X <BR> "
               "Transmission status%02X",
               id, o[3], o[4], o[5], o[6], o[7], o[8], o[9], o[10], o[11]);
  }
  if (o[1] != 0x50 || o[3] != 0x80) return {};
  if (id == 0x9002) {
    if (!Dispose(len, 12)) return {};
    std::string t = "Present stations : stations ";
    for (int k = 0; k < 8; ++k)
      for (int b = 0; b < 8; ++b)
        if (o[5 + k] & (1u << b)) t += std::to_string(8 * k + b) + ", ";
    if (t.ends_with(", ")) t.resize(t.size() - 2);
    return t;
  }
  if (id == 0x9003) {
    if (!Dispose(len, 6)) return {};
    return "Bus Arbitrator Synchronisation Variable (9003H) <BR>" +
           Fmt("Bus arbitrator synchronisation field length: %X <BR>Macro-cycle number: %X <BR>"
               "Elementary cycle number: %X <BR>",
               o[4], o[5], o[6]);
  }
  if (id == 0x9008) {
    if (!Dispose(len, 8)) return {};
    return "Segment Parameters Variable <BR>" +
           Fmt("Segment parameters length: %X <BR>Silence time: %X <BR>Segment number: %X <BR>"
               "Allowed tries number: %d <BR>Reversal time: %X <BR>",
               o[4], o[5], o[6], o[7], o[8]);
  }
  if (id >= 0x1400 && id <= 0x143F) {
    if (!Dispose(len, 7)) return {};
    const int priorite = o[7] & 0x0F;
    const char* fonction = FonctionArbitre(o[7]);
    if (o[5] != 0x00 && o[5] != 0xFF) {
      return Fmt("<B>Station presence variable:</B> %d <BR><B> Identification variable length:</B> %d octets<BR>"
                 "<B>Production/Consumption Function: </B> %2X<BR> <B>Priority of bus arbitrator:</B> %d <BR>"
                 "<B> Bus arbitrator function:</B> %s",
                 id, o[5], o[6], priorite, fonction);
    }
    return Fmt("<B>Station presence variable</B> %d <BR><B> Identification variable length</B> %s <BR>"
               "<B>Production/Consumption Function:</B> %2X<BR><B> Priority of bus arbitrator:</B>  %d <BR>"
               "<B> Bus arbitrator function:</B> %s",
               id, o[5] == 0x00 ? "Longueur inconnue" : "Pas de variable d'identification", o[6], priorite,
               fonction);
  }
  return {};
}

}  // namespace brv::detail_trame
