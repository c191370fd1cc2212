#include "brv_core/acquisition/end_reasons.h"

#include "brv_core/document/acq_description.h"

namespace brv {

TextesFin TextesFinEtat(uint32_t etatAcq) {
  return TextesFin{TexteFinAcq(etatAcq, 0), TexteBoiteFinAcq(etatAcq)};
}

TextesFin TextesFinProgramme(uint32_t raisonFin) {
  // The program stops the engine itself, which leaves it in the user-stop state.
  TextesFin t{TexteFinAcq(6, raisonFin), {}};
  if (raisonFin == 1) t.boite = "Error getting information about the acquisition.";
  if (raisonFin == 5) t.boite = "Insufficient memory space.";
  return t;
}

}  // namespace brv
