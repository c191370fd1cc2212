#pragma once

#include <cstdint>

namespace brv {

// Result of decoding one frame.
enum ErreurTrame : int32_t {
  TRAME_OK = 0,
  TRAME_INTERRUPTION_PC = 1,
  TRAME_DELIMITEUR = 2,
  TRAME_GLITCH = 3,
  TRAME_CONTROLE_INCONNU = 4,
  TRAME_TROP_COURTE = 5,
  TRAME_TROP_LONGUE = 6,
  TRAME_LONGUEUR_INVALIDE = 7,
  TRAME_CRC = 8,
};

// "TRAME_OK" ... "TRAME_CRC"; "?" for a value outside the enumeration.
const char* NomErreurTrame(int32_t resultat);

}  // namespace brv
