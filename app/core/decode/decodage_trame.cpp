#include "brv_core/decode/decodage_trame.h"

#include "brv_core/decode/crc.h"
#include "brv_core/decode/frame_types.h"
#include "rendu_trame.h"

namespace brv {
namespace {

// Type and length rules; CRC is checked only for frames that pass them.
ErreurTrame ValideLongueur(const TypeTrame* type, uint16_t len, const uint8_t* octets) noexcept {
  if (type == nullptr) {
    const uint8_t c = octets[0];
    if (len == 2 && octets[1] == c) {
      if (c == kMarqueurInterruptionPc) return TRAME_INTERRUPTION_PC;
      if (c == kMarqueurDelimiteur) return TRAME_DELIMITEUR;
      if (c == kMarqueurGlitch) return TRAME_GLITCH;
    }
    return TRAME_CONTROLE_INCONNU;
  }
  const LimitesLongueur limites = LimitesClasse(type->classe);
  if (len < limites.min) return TRAME_TROP_COURTE;
  if (len > limites.max) return TRAME_TROP_LONGUE;
  if (type->classe == ClasseTrame::ListeRequete && ((len - 3u) & 1u) != 0) return TRAME_LONGUEUR_INVALIDE;
  return TRAME_OK;
}

}  // namespace

ErreurTrame CDecodageTrame::DecodeTrame(uint16_t len, const uint8_t* octets, std::string* texte, bool texteCourt,
                                        std::string& annotation) const {
  annotation.clear();
  // An empty frame has no control byte to read: it is too short whatever its buffer holds.
  if (len == 0 || octets == nullptr) {
    if (texte != nullptr) {
      char ligne[rendu::kTailleLigne];
      texte->assign(ligne, rendu::RendTrameErreur(TRAME_TROP_COURTE, 0, octets, 0, texteCourt, ligne));
    }
    return TRAME_TROP_COURTE;
  }
  const TypeTrame* type = TypeTrameDe(octets[0]);
  ErreurTrame resultat = ValideLongueur(type, len, octets);
  uint16_t crc = 0;
  if (resultat == TRAME_OK && !VerifieCrc(len, octets, crc)) resultat = TRAME_CRC;
  if (texte == nullptr) return resultat;

  char ligne[rendu::kTailleLigne];
  if (resultat != TRAME_OK) {
    texte->assign(ligne, rendu::RendTrameErreur(resultat, len, octets, crc, texteCourt, ligne));
    return resultat;
  }
  if (type->ucControle == kCtrlIdDat && bourrageActif_ &&
      static_cast<uint16_t>((octets[1] << 8) | octets[2]) == identifiantBourrage_) {
    texte->assign("Padding");
  } else {
    texte->assign(ligne, rendu::RendTrameValide(*type, len, octets, crc, texteCourt, ligne));
  }
  char note[rendu::kTailleAnnotation];
  annotation.assign(note, rendu::RendAnnotation(*type, len, octets, note));
  return resultat;
}

uint16_t CDecodageTrame::CalculeCrc(uint32_t n, const uint8_t* octets) const {
  return CrcTrame(capture_->bTramesTypeFip != 0, octets, n);
}

bool CDecodageTrame::VerifieCrc(uint16_t len, const uint8_t* octets, uint16_t& calcule) const {
  if (len < 2) {
    calcule = CalculeCrc(0, octets);
    return false;
  }
  calcule = CalculeCrc(len - 2u, octets);
  const uint16_t lu = static_cast<uint16_t>((octets[len - 2] << 8) | octets[len - 1]);
  return calcule == lu;
}

int64_t CDecodageTrame::DureeTrameBits(uint16_t len, uint16_t uniteBit) const {
  // Bits of framing around the bytes: 21 under FIP, 24 under WorldFIP.
  const int64_t bits = (capture_->bTramesTypeFip != 0 ? 21 : 24) + 8 * static_cast<int64_t>(len);
  return bits * uniteBit;
}

}  // namespace brv
