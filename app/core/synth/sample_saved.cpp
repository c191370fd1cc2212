#include <filesystem>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/synth/sample_capture.h"

namespace brv {

namespace {

// Keeps the first error; the warning of a capture without a tail is expected here.
class RapportEchantillon : public IRapportDocument {
 public:
  void BoiteMessage(std::string_view texte, IconeMessage icone) override {
    if (icone == IconeMessage::Erreur && erreur.empty()) erreur = texte;
  }
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
  std::string erreur;
};

}  // namespace

bool save_sample_with_results(const std::string& path, std::string& error) {
  RapportEchantillon rapport;
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
