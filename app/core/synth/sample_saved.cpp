#include <filesystem>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/synth/sample_capture.h"

namespace brv {

bool save_sample_with_results(const std::string& path, std::string& error) {
  // The warning of a capture without a tail is expected here: only an error counts.
  CRapportPremiereErreur rapport;
  // The configuration saved with it names a capture beside it: an absolute path, as the program
  // needs to start an acquisition from it.
  std::error_code ec;
  const std::filesystem::path dossier = std::filesystem::absolute(path, ec).parent_path();
  CBrenvaleDoc doc(rapport, ec ? std::string("/tmp/") : dossier.string() + "/");
  if (!doc.OuvrirAcquisition(path)) {
    error = rapport.erreur;
    return false;
  }
  doc.ResetResults(false);
  IObservateurTache obs;
  CFileRequetes requetes;
  ResultatTache resultat;
  FncTacheAcq(doc, obs, requetes, resultat);
  if (doc.Resultats.RecalcEndReason != RECALCUL_AUCUNE) {
    error = "the capture could not be read back";
    return false;
  }
  if (!doc.SaveAcquisitionTail()) {
    error = rapport.erreur;
    return false;
  }
  return true;
}

}  // namespace brv
