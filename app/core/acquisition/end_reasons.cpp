#include "brv_core/acquisition/end_reasons.h"

#include "brv_core/document/acq_description.h"

namespace brv {

TextesFin TextesFinEtat(uint32_t etatAcq) {
  TextesFin t{TexteFinAcq(etatAcq, 0), {}};
  switch (etatAcq) {
    case 8: t.boite = "Driver error during acquisition."; break;
    case 9: t.boite = "Driver error during acquisition\n(not enough resources)."; break;
    case 10: t.boite = "Driver error during acquisition\n(error accessing the acquisition file)."; break;
    default: break;
  }
  return t;
}

TextesFin TextesFinProgramme(uint32_t raisonFin) {
  // The program stops the engine itself, which leaves it in the user-stop state.
  TextesFin t{TexteFinAcq(6, raisonFin), {}};
  if (raisonFin == 1) t.boite = "Error getting information about the acquisition.";
  if (raisonFin == 5) t.boite = "Insufficient memory space.";
  return t;
}

}  // namespace brv
