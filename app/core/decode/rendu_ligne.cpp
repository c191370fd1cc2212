#include <cstdio>
#include <cstring>

#include "brv_core/decode/decodage_trame.h"
#include "rendu_trame.h"

namespace brv::rendu {
namespace {

// Places "..." and the tail after the body written at ligne + lgTete, cutting the body so that the
// line keeps within the list row: more than 259 characters in the short form, 880 or more otherwise.
size_t Assemble(char* ligne, size_t lgTete, size_t lgCorps, const char* queue, size_t lgQueue, bool court) noexcept {
  const size_t total = lgTete + lgCorps + lgQueue;
  size_t fin = lgTete + lgCorps;
  size_t limite = 0;
  if (court && total > kLgTexteCourt) {
    limite = kLgTexteCourt;
  } else if (total > kLgTexteLong) {
    limite = kLgTexteLong;
  }
  if (limite != 0) {
    fin = limite - lgQueue - 3;
    std::memcpy(ligne + fin, "...", 3);
    fin += 3;
  }
  std::memcpy(ligne + fin, queue, lgQueue);
  return fin + lgQueue;
}

// First byte as "%02X", each further one as " %02X"; returns the end of the written text.
char* OctetsHex(char* p, const uint8_t* octets, size_t n) noexcept {
  if (n == 0) return p;
  p = Hex2(p, octets[0]);
  for (size_t i = 1; i < n; ++i) {
    *p++ = ' ';
    p = Hex2(p, octets[i]);
  }
  return p;
}

const char* TexteErreur(ErreurTrame resultat) noexcept {
  switch (resultat) {
    case TRAME_INTERRUPTION_PC: return "Error: Acquisition interruption due to computer activity";
    case TRAME_DELIMITEUR: return "Error: Frame start delimiter incorrect or unknown";
    case TRAME_GLITCH: return "Error: Line glitch";
    case TRAME_CONTROLE_INCONNU: return "Error: Impossible to determine frame type (Unknown control) -";
    case TRAME_TROP_COURTE: return "Error: Too short frame -";
    case TRAME_TROP_LONGUE: return "Error: Too long frame -";
    case TRAME_LONGUEUR_INVALIDE: return "Error: Invalid frame length -";
    case TRAME_OK:
    case TRAME_CRC: break;
  }
  return "";
}

// Bytes dumped before the cut is known: enough to fill the long form whatever the text length.
constexpr size_t kOctetsDumpMax = kLgTexteLong / 3 + 1;

}  // namespace

size_t RendTrameValide(const TypeTrame& type, uint16_t len, const uint8_t* octets, uint16_t crc, bool court,
                       char* ligne) noexcept {
  char* p = ligne;
  std::memcpy(p, type.nom.data(), type.nom.size());
  p += type.nom.size();
  *p++ = '(';
  const size_t lgTete = static_cast<size_t>(p - ligne);

  char queue[16];
  std::memcpy(queue, ")  CRC : ", 9);
  Hex4(queue + 9, crc);
  constexpr size_t kLgQueue = 13;

  switch (type.classe) {
    case ClasseTrame::Identification:
      p = Hex4(p, static_cast<uint16_t>((octets[1] << 8) | octets[2]));
      std::memcpy(p, queue, kLgQueue);
      return static_cast<size_t>(p - ligne) + kLgQueue;
    case ClasseTrame::AcquitFin:
      std::memcpy(p, queue, kLgQueue);
      return lgTete + kLgQueue;
    case ClasseTrame::ReponseDonnee:
      p = OctetsHex(p, octets + 1, len - 3u);
      break;
    case ClasseTrame::Message:
      p = Hex4(p, static_cast<uint16_t>((octets[1] << 8) | octets[2]));
      *p++ = ' ';
      p = Hex2(p, octets[3]);
      *p++ = ' ';
      p = Hex4(p, static_cast<uint16_t>((octets[4] << 8) | octets[5]));
      *p++ = ' ';
      p = Hex2(p, octets[6]);
      for (size_t i = 7; i + 2 < len; ++i) {
        *p++ = ' ';
        p = Hex2(p, octets[i]);
      }
      break;
    case ClasseTrame::ListeRequete:
      for (size_t i = 1; i + 2 < len; i += 2) {
        if (i > 1) *p++ = ' ';
        p = Hex4(p, static_cast<uint16_t>((octets[i] << 8) | octets[i + 1]));
      }
      break;
  }
  return Assemble(ligne, lgTete, static_cast<size_t>(p - ligne) - lgTete, queue, kLgQueue, court);
}

size_t RendTrameErreur(ErreurTrame resultat, uint16_t len, const uint8_t* octets, uint16_t crcCalcule, bool court,
                       char* ligne) noexcept {
  size_t lgTete;
  if (resultat == TRAME_CRC) {
    const unsigned lu = (static_cast<unsigned>(octets[len - 2]) << 8) | octets[len - 1];
    const int n = std::snprintf(ligne, 80, "Error: Erroneous CRC (read = 0x%04X, calculated = 0x%04X) -", lu,
                                static_cast<unsigned>(crcCalcule));
    lgTete = static_cast<size_t>(n);
  } else {
    const char* t = TexteErreur(resultat);
    lgTete = std::strlen(t);
    std::memcpy(ligne, t, lgTete);
  }
  if (resultat <= TRAME_GLITCH) return lgTete;

  // Every byte as " %02X"; the body length is known without writing all of a long frame.
  const size_t aEcrire = len < kOctetsDumpMax ? len : kOctetsDumpMax;
  char* p = ligne + lgTete;
  for (size_t i = 0; i < aEcrire; ++i) {
    *p++ = ' ';
    p = Hex2(p, octets[i]);
  }
  return Assemble(ligne, lgTete, 3u * len, "", 0, court);
}

}  // namespace brv::rendu
