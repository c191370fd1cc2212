#include "brv_core/definitions/pickers.h"

#include <initializer_list>
#include <new>
#include <utility>

#include "brv_core/decode/frame_types.h"
#include "brv_core/decode/unite_requests.h"
#include "brv_core/definitions/definition_rules.h"

namespace brv {

namespace {

constexpr uint8_t kCtrlAckPair = 0x14, kCtrlAckImpair = 0x94;
constexpr uint16_t kIdUniTe = 0x0050, kIdTelegramme = 0x0051;
constexpr uint8_t kPrefixeUniTe = 0x09, kPrefixeTelegramme = 0x0D;
constexpr uint8_t kServiceUniTe = 0xF1, kServiceTelegramme = 0xF5;
constexpr uint8_t kRequeteUniTe = 0x09, kCompteRenduUniTe = 0x19;

// "=" on a hexadecimal unsigned value, most significant byte first.
CHAMP_BITS Egal(uint16_t position, uint8_t longueur, uint64_t valeur) {
  CHAMP_BITS c;
  c.usPosition = position;
  c.ucLongueur = longueur;
  c.ulOperation = OP_EGAL;
  c.ullValeur = valeur;
  c.ulInterpretation = INTERP_HEXA;
  return c;
}

// The definition takes the picker's whole result, or an empty list when it cannot hold it.
ResultatSelecteur Remplit(DEFINITION_TRAME& d, uint8_t type, uint16_t identifiant, bool nePasDissocier,
                          std::initializer_list<std::pair<bool, CHAMP_BITS>> conditions) {
  d.champs.clear();
  d.ucTypeTrame = type;
  d.usIdentifiant = identifiant;
  d.bNePasDissocierRP = nePasDissocier;
  try {
    for (const auto& [present, c] : conditions) {
      if (present) d.champs.push_back(c);
    }
  } catch (const std::bad_alloc&) {
    d.champs.clear();
    return ResultatSelecteur::Memoire;
  }
  return ResultatSelecteur::Rempli;
}

}  // namespace

ResultatSelecteur SelecteurUniTe(const ChoixUniTe& c, DEFINITION_TRAME& d) {
  if (c.parEmetteur) {
    if (c.source < 0) {
      d.usIdentifiant = kIdUniTe;
      return ResultatSelecteur::IdentifiantSeul;
    }
    // The bus arbitrator's leave for the station to send its requests.
    return Remplit(d, kCtrlIdMsg, kIdUniTe, true,
                   {{true, Egal(0, 8, kCtrlIdMsg)}, {true, Egal(8, 16, static_cast<uint64_t>(c.source))}});
  }
  const uint8_t controle = c.paires ? kCtrlAckPair : kCtrlAckImpair;
  const bool service = c.requeteCoche || c.rapport;
  const uint8_t codeService = c.requeteCoche ? kRequeteUniTe : kCompteRenduUniTe;
  const bool requete = c.requete >= 0 && static_cast<size_t>(c.requete) < kRequetesUniTe.size();
  uint8_t code = 0;
  if (requete) {
    code = kRequetesUniTe[static_cast<size_t>(c.requete)].ucCode;
    if (service && codeService == kCompteRenduUniTe) code = static_cast<uint8_t>(code + 0x30);
  }
  const uint16_t identifiant =
      requete ? static_cast<uint16_t>(kRequetesUniTe[static_cast<size_t>(c.requete)].ucCode << 8 | kIdUniTe) : kIdUniTe;
  return Remplit(d, controle, identifiant, false,
                 {{true, Egal(0, 8, controle)},
                  {true, Egal(8, 8, kPrefixeUniTe)},
                  {c.destination >= 0, Egal(16, 8, static_cast<uint64_t>(c.destination))},
                  {true, Egal(32, 8, kPrefixeUniTe)},
                  {c.source >= 0, Egal(40, 8, static_cast<uint64_t>(c.source))},
                  {true, Egal(56, 8, kServiceUniTe)},
                  {service, Egal(96, 8, codeService)},
                  {requete, Egal(112, 8, code)}});
}

ResultatSelecteur SelecteurMotsCom(int station, DEFINITION_TRAME& d) {
  if (station < 0) return ResultatSelecteur::Inchange;
  return Remplit(d, kCtrlIdDat, kIdUniTe, true,
                 {{true, Egal(0, 8, kCtrlIdDat)}, {true, Egal(8, 16, static_cast<uint64_t>(station))}});
}

ResultatSelecteur SelecteurTelegrammes(const ChoixTelegrammes& c, DEFINITION_TRAME& d) {
  if (!c.nePasFiltrerArbitre) {
    // The bus arbitrator's request to a station (to any, without a source) to send its telegram.
    if (c.source < 0) {
      return Remplit(d, kCtrlIdMsg, kIdTelegramme, true,
                     {{true, Egal(0, 8, kCtrlIdMsg)}, {true, Egal(8, 8, kPrefixeTelegramme)}});
    }
    return Remplit(d, kCtrlIdMsg, kIdTelegramme, true,
                   {{true, Egal(0, 8, kCtrlIdMsg)}, {true, Egal(8, 16, 0x0D00u + static_cast<uint64_t>(c.source))}});
  }
  const uint8_t controle = c.impaires && !c.paires ? kCtrlAckImpair : kCtrlAckPair;
  return Remplit(d, controle, kIdTelegramme, false,
                 {{true, Egal(0, 8, controle)},
                  {true, Egal(8, 8, kPrefixeTelegramme)},
                  {c.destination >= 0, Egal(16, 8, static_cast<uint64_t>(c.destination))},
                  {true, Egal(32, 8, kPrefixeTelegramme)},
                  {c.source >= 0, Egal(40, 8, static_cast<uint64_t>(c.source))},
                  {true, Egal(56, 8, kServiceTelegramme)}});
}

ResultatSelecteur SelecteurIdentification(int station, bool presence, DEFINITION_TRAME& d) {
  if (station < 0) return ResultatSelecteur::Inchange;
  const uint64_t variable = (presence ? 0x1400u : 0x1000u) + static_cast<uint64_t>(station);
  return Remplit(d, kCtrlIdDat, kIdUniTe, true, {{true, Egal(0, 8, kCtrlIdDat)}, {true, Egal(8, 16, variable)}});
}

}  // namespace brv
