// UNI-TE messaging in the frame detail: the kind of message, the request or report name and the
// parameters after the code byte (category at byte 15, then the fields of each request).

#include <string>
#include <string_view>

#include "brv_core/decode/unite_requests.h"
#include "brv_core/report/frame_detail.h"

namespace brv::detail_trame {

namespace {

// The frame without its CRC and control byte must reach the last byte a template reads.
bool Dispose(uint16_t len, unsigned dernier) { return len >= 3 && dernier <= len - 3u; }

uint16_t Mot(const uint8_t* o, unsigned i) { return static_cast<uint16_t>(o[i] | (o[i + 1] << 8)); }

// Bytes [premier, end of contents) in hexadecimal.
std::string Octets(uint16_t len, const uint8_t* o, unsigned premier) {
  std::string t;
  for (unsigned i = premier; Dispose(len, i); ++i) t += Fmt(i == premier ? "%02X" : " %02X", o[i]);
  return t;
}

std::string_view NomSegment(uint8_t s) {
  switch (s) {
    case 0x00: return "System memory";
    case 0x01: return "System word";
    case 0x10: return "Bits space";
    case 0x64: return "Internal data space";
    case 0x65: return "Constant data space";
    case 0x6A: return "System data space";
    case 0x80: return "TSX 7/TSX37 system";
    case 0x81: return "Function Blocks PL7";
    default: return "";
  }
}

std::string_view NomObjet(uint8_t t) {
  switch (t) {
    case 0x05: return "Byte";
    case 0x07: return "Word";
    case 0x08: return "Double word";
    case 0x0A: return "Word with floating decimal point";
    case 0x0B: return "Double word with floating decimal point";
    case 0x0C: return "Reserved";
    default: return "";
  }
}

std::string ParametresRequete(uint8_t code, uint16_t len, const uint8_t* o) {
  switch (code) {
    case 0x00:
      if (!Dispose(len, 17)) return {};
      return Fmt("<B> <font color = \"blue\">Code category:</font></B> %d <BR> Internal bit number: %X", o[15],
                 Mot(o, 16));
    case 0x10:
      if (!Dispose(len, 18)) return {};
      return Fmt("Category code: %d <BR> Internal bit number: %X <BR> Value: %X", o[15], Mot(o, 16), o[18]);
    case 0x01:
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> System bit number: %X", o[15], Mot(o, 16));
    case 0x11:
      if (!Dispose(len, 18)) return {};
      return Fmt("Category code: %d <BR> System bit number: %X <BR> Value: %X", o[15], Mot(o, 16), o[18]);
    case 0x04:
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> Internal word number: %X", o[15], Mot(o, 16));
    case 0x14:
      if (!Dispose(len, 19)) return {};
      return Fmt("<B> <font color = \"blue\">Code category:</font></B> %d <BR> Internal word number: %X <BR> Value: %X",
                 o[15], Mot(o, 16), Mot(o, 18));
    case 0x06:
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> System word number: %X", o[15], Mot(o, 16));
    case 0x15:
      if (!Dispose(len, 19)) return {};
      return Fmt("Category code: %d <BR> System word number: %X <BR> Valeur: %X", o[15], Mot(o, 16), Mot(o, 18));
    case 0x05:
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> Constant word number: %X", o[15], Mot(o, 16));
    case 0x1B:  // forcing type at 18, forcing value at 19
      if (!Dispose(len, 19)) return {};
      return Fmt("Category code: %d <BR> Internal bit number: %X <BR> Type de forçage:%X Valeur de forçage: %X",
                 o[15], Mot(o, 16), o[18], o[19]);
    case 0x49:  // address length at 16, values from 17
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> Address length: %d <BR> Values: ", o[15], o[16]) + Octets(len, o, 17);
    case 0x4A:  // operations at 17, operation type 18, channel 19, channel type 20, value 21-22
      if (!Dispose(len, 22)) return {};
      return Fmt("Category code: %d <BR> Address length: %d <BR> Number of operations: %d <BR> Type of operation: "
                 "%X <BR> Channel number: %d <BR> Type of channel: %X <BR> Channel value: %X",
                 o[15], o[16], o[17], o[18], o[19], o[20], Mot(o, 21));
    case 0x48:  // operations 17, object type 18, writing type 19, index 20, number 21-22, value 23-24
      if (!Dispose(len, 24)) return {};
      return Fmt("Category code: %d <BR> Address length: %d <BR> Number of operations: %d <BR> Type of object: %X "
                 "<BR> Type of writing: %X <BR> Object index: %d <BR> Object number: %X <BR> Value: %X",
                 o[15], o[16], o[17], o[18], o[19], o[20], Mot(o, 21), Mot(o, 23));
    case 0x43: {  // objects at 16, index of object 1 at 17
      if (!Dispose(len, 15)) return {};
      std::string t = Fmt("Category code: %d", o[15]);
      if (Dispose(len, 17)) t += Fmt(" <BR> Number of objects: %d <BR> Index of object 1: %X", o[16], o[17]);
      return t;
    }
    case 0x37:  // segment 16, object type 17, address 18-19, quantity 20-21, data from 22
      if (!Dispose(len, 21)) return {};
      return Fmt("Category code= %d <BR> Segment = ( %X) %s <BR> Object = (%X) %s <BR> Adress = %X <BR> Quantity = "
                 "%d <BR> Data = <BR>",
                 o[15], o[16], std::string(NomSegment(o[16])).c_str(), o[17], std::string(NomObjet(o[17])).c_str(),
                 Mot(o, 18), Mot(o, 20)) +
             Octets(len, o, 22);
    case 0x24:  // segment 16, type 17, parameters from 18
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> Segment: %X <BR> Type: %X <BR> Parameters: ", o[15], o[16], o[17]) +
             Octets(len, o, 18);
    case 0x25:
      if (!Dispose(len, 17)) return {};
      return Fmt("Category code: %d <BR> Segment: %X <BR> Type: %X", o[15], o[16], o[17]);
    case 0x33:
      if (!Dispose(len, 16)) return {};
      return Fmt("Category code: %d <BR> Type of initialisation: %X", o[15], o[16]);
    case 0xFA:
      if (!Dispose(len, 15)) return {};
      return Fmt("<B> Category code</B> %d <BR> <B> Data: </B> <BR>", o[15]) + Octets(len, o, 16);
    case 0x2A: case 0x36: case 0x44: case 0x38: case 0x39: case 0x82: case 0x83: case 0x9F:
      if (!Dispose(len, 16)) return {};
      return Fmt("Category code: %d <BR> Object fields: ", o[15]) + Octets(len, o, 16);
    default: return {};
  }
}

}  // namespace

std::string ServiceUniTe(uint16_t len, const uint8_t* o) {
  if (!Dispose(len, 14) || o[1] != 0x09 || o[7] != 0xF1) return {};
  const uint8_t code = o[14];
  std::string t;
  if (o[12] == 0x09) {
    t = "<B> UNI_TE  Service </B> :Request <BR>";
    t += NomRequeteUniTe(code);
    t += "<BR>\n";
    t += ParametresRequete(code, len, o);
  } else if (o[12] == 0x19) {
    t = "<B> UNI_TE  Service </B> : Report <BR>";
    t += NomCompteRenduUniTe(code, true);
    t += "<BR>\n";
    // The data a report carries follows its code.
    const std::string donnees = Octets(len, o, 15);
    if (!donnees.empty()) t += "Data: " + donnees;
  }
  return t;
}

}  // namespace brv::detail_trame
