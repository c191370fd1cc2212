#include "brv_core/decode/erreur_trame.h"

namespace brv {

const char* NomErreurTrame(int32_t resultat) {
  switch (resultat) {
    case TRAME_OK: return "TRAME_OK";
    case TRAME_INTERRUPTION_PC: return "TRAME_INTERRUPTION_PC";
    case TRAME_DELIMITEUR: return "TRAME_DELIMITEUR";
    case TRAME_GLITCH: return "TRAME_GLITCH";
    case TRAME_CONTROLE_INCONNU: return "TRAME_CONTROLE_INCONNU";
    case TRAME_TROP_COURTE: return "TRAME_TROP_COURTE";
    case TRAME_TROP_LONGUE: return "TRAME_TROP_LONGUE";
    case TRAME_LONGUEUR_INVALIDE: return "TRAME_LONGUEUR_INVALIDE";
    case TRAME_CRC: return "TRAME_CRC";
  }
  return "?";
}

}  // namespace brv
