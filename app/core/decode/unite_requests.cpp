#include "brv_core/decode/unite_requests.h"

namespace brv {

std::string_view NomRequeteUniTe(uint8_t code) noexcept {
  for (const RequeteUniTe& r : kRequetesUniTe) {
    if (r.ucCode == code) return r.nom;
  }
  return {};
}

std::string_view NomCompteRenduUniTe(uint8_t code, bool avecMiroir) noexcept {
  if (code == kUniTeCompteRenduSucces) return "Success";
  if (code == kUniTeCompteRenduEchec) return "Failure";
  // Compared without 8-bit wrap: FAH + 30H matches no report byte.
  for (const RequeteUniTe& r : kRequetesUniTe) {
    if (r.ucCode + kUniTeDecalageCompteRendu == code) return r.nom;
  }
  if (avecMiroir && code == kUniTeCompteRenduMiroir) return "MIRROR";
  return {};
}

}  // namespace brv
