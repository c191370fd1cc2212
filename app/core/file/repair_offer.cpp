#include "brv_core/file/repair_offer.h"

#include "brv_core/file/acq_file.h"
#include "brv_core/file/repair.h"

namespace brv {

bool ProposeReparation(const std::string& chemin, IRapportDocument& rapport) {
  AcqFile file;
  // A file that does not open is the opening's to report.
  if (file.open(chemin) != AcqOpenStatus::Ok || !file.interrupted()) return false;
  const RepairPlan plan = PlanifieReparation(file);
  if (plan.status != RepairStatus::Repairable) return false;
  if (!rapport.QuestionOuiNon(kQuestionReparation)) return false;
  std::string why;
  if (!ReparePlace(chemin, file, plan, why)) {
    rapport.BoiteMessage("The capture could not be repaired.\n" + why, IconeMessage::Erreur);
    return false;
  }
  rapport.LigneInformation(TexteReparation(plan) + ".");
  rapport.LigneInformation("The capture was repaired; the original is kept as " + CheminOriginal(chemin) + ".");
  return true;
}

}  // namespace brv
