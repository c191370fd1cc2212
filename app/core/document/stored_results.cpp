#include "brv_core/document/stored_results.h"

namespace brv {

bool ResultatsARelire(const CBrenvaleDoc& doc, const AcqFile& fichier) {
  uint64_t octets = 0;
  for (const auto& z : fichier.zones()) octets += z.length();
  if (octets == 0) return false;  // nothing to read (an interrupted capture offers no zone)
  const AcqResults& r = doc.Resultats;
  // No tail, or a tail whose results were dropped as damaged: nothing was counted.
  if (doc.ConfigPartBOffset == 0 || r.ullNbTramesAcquises == 0) return true;
  // Rows without an index to find them by.
  return r.ulNbTramesAffichables > 0 && r.indexPreTrig.Nombre() == 0 && r.indexPostTrig.Nombre() == 0;
}

}  // namespace brv
