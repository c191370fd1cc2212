#include "brv_core/analysis/frame_filter.h"

#include "brv_core/decode/frame_types.h"

namespace brv {

namespace {

constexpr uint8_t kIdDat = 0x03, kIdMsg = 0x05, kIdRq1 = 0x29, kIdRq2 = 0x09;
constexpr uint8_t kRpMsgAckPair = 0x14, kRpMsgAckImpair = 0x94, kRpMsgNoAck = 0x04;
constexpr uint8_t kRpAckPlusPair = 0x30, kRpAckPlusImpair = 0xB0, kRpAckMoinsPair = 0x10, kRpAckMoinsImpair = 0x90;
constexpr uint8_t kRpRq1 = 0x28, kRpRq2 = 0x08, kRpFin = 0x40;

bool EstAcquittement(uint8_t c) {
  return c == kRpAckPlusPair || c == kRpAckPlusImpair || c == kRpAckMoinsPair || c == kRpAckMoinsImpair;
}

}  // namespace

vandrel::struct_CHAMP_BIT_SYNCHRO ChampSynchroDe(const CHAMP_BITS& champ) {
  vandrel::struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = champ.usPosition;
  c.ucLgValBit = champ.ucLongueur;
  c.bLSBPremier = champ.ulOrdre != 0;
  c.bSigne = champ.bSigne != 0;
  c.bFlottant = champ.ulInterpretation == 3 || champ.ulInterpretation == 4;
  const unsigned lg = champ.ucLongueur;
  c.enLgInterpretationVal = vandrel::bitfield::code_largeur(lg);
  c.enOperation = static_cast<int32_t>(champ.ulOperation);
  c.ullValeur = champ.ullValeur;
  if (champ.ulOperation == OP_NON_OU && lg < 64) c.ullValeur |= ~vandrel::bitfield::masque(lg);
  return c;
}

bool CorrespondDefinition(uint16_t len, const uint8_t* octets, const DEFINITION_TRAME& def) {
  for (const CHAMP_BITS& champ : def.champs) {
    if (!vandrel::bitfield::satisfait(octets, len, ChampSynchroDe(champ))) return false;
  }
  return true;
}

bool TestEvenement(uint16_t len, const uint8_t* octets, const TableDefinitions& evenements) {
  for (size_t i = 0; i < evenements.nb && i < evenements.defs.size(); ++i) {
    const DEFINITION_TRAME& d = evenements.defs[i];
    if (d.bUtilisee && CorrespondDefinition(len, octets, d)) return true;
  }
  return false;
}

CListeCompilee::CListeCompilee(const TableDefinitions& liste) {
  for (size_t i = 0; i < liste.nb && i < liste.defs.size(); ++i) {
    const DEFINITION_TRAME& d = liste.defs[i];
    if (!d.bUtilisee) continue;
    Definition c;
    c.dissocier = d.bNePasDissocierRP != 0;
    for (const CHAMP_BITS& champ : d.champs) c.champs.push_back(ChampSynchroDe(champ));
    defs_.push_back(std::move(c));
  }
}

int CListeCompilee::Premiere(uint16_t len, const uint8_t* octets) const {
  for (size_t i = 0; i < defs_.size(); ++i) {
    bool ok = true;
    for (const auto& c : defs_[i].champs) {
      if (!vandrel::bitfield::satisfait(octets, len, c)) {
        ok = false;
        break;
      }
    }
    if (ok) return static_cast<int>(i);
  }
  return -1;
}

bool ContinueTransaction(uint8_t enAttente, uint8_t c, uint8_t& suivant) {
  suivant = 0;
  switch (enAttente) {
    case kIdDat: return EstReponseDonnee(c);
    case kIdMsg:
      if (c == kRpMsgNoAck || c == kRpMsgAckPair || c == kRpMsgAckImpair) {
        suivant = c;
        return true;
      }
      return false;
    case kIdRq2: return c == kRpRq2;
    case kIdRq1: return c == kRpRq1;
    case kRpMsgAckPair:
    case kRpMsgAckImpair:
      if (EstAcquittement(c)) {
        suivant = c;
        return true;
      }
      return false;
    case kRpMsgNoAck:
    case kRpAckPlusPair:
    case kRpAckPlusImpair:
    case kRpAckMoinsPair:
    case kRpAckMoinsImpair: return c == kRpFin;
    default: return false;
  }
}

ResultatFiltre CFiltreAffichage::Teste(uint16_t len, const uint8_t* octets) {
  if (!utilisable_) return {true, false};
  const uint8_t controle = len > 0 ? octets[0] : 0;
  if (etat_.enAttente) {
    uint8_t suivant = 0;
    const bool associee = len > 0 && ContinueTransaction(etat_.controle, controle, suivant);
    etat_ = {suivant != 0, suivant};
    // An answer shares the fate of the frame that opened its transaction, which matched.
    if (associee) return {mode_ == FILTRE_SELECTION, true};
  }
  const int i = filtre_.Premiere(len, octets);
  if (i < 0) return {mode_ != FILTRE_SELECTION, false};
  if (filtre_.NePasDissocier(i) && len > 0) etat_ = {true, controle};
  return {mode_ == FILTRE_SELECTION, false};
}

}  // namespace brv
