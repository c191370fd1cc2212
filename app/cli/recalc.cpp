#include "recalc.h"

#include <unistd.h>

#include <cstdio>

#include "capture_open.h"
#include "output.h"

namespace brv::cli {

namespace {

// A progress line on a terminal; nothing when stderr is a file or a pipe.
class ProgressLine : public IObservateurTache {
 public:
  ProgressLine() : tty_(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() override {
    if (shown_) std::fputs("\r                                        \r", stderr);
  }
  void Progression(uint64_t done, uint64_t total) override {
    if (!tty_ || total == 0) return;
    std::fprintf(stderr, "\rreading the capture: %3d %%", static_cast<int>(done * 100 / total));
    shown_ = true;
  }
  void LigneInformation(std::string_view text) override { lines.emplace_back(text); }
  std::vector<std::string> lines;

 private:
  bool tty_;
  bool shown_ = false;
};

}  // namespace

int ouvre_document(const std::string& capture, const std::string& config, Recalcul& r) {
  // The file's own words first (a directory, a short header...), as `info` gives them.
  if (const int status = open_capture(capture, r.file)) return status;
  if (const int status = refuse_interrupted(r.file)) return status;
  r.doc = std::make_unique<CBrenvaleDoc>(r.reporter);
  if (!r.doc->OuvrirAcquisition(capture)) {
    return fail(r.reporter.erreurs.empty() ? "Acquisition file invalid." : r.reporter.erreurs.front(), capture);
  }
  r.reporter.avertissements.clear();  // a capture without a tail is read with the defaults
  if (!config.empty()) {
    if (!r.doc->OuvrirConfiguration(config)) return fail(r.reporter.erreurs.back(), config);
    r.doc->ReconstruitCopiesEvenements();
    r.doc->AppliqueBourrageRecalcul();
  }
  return 0;
}

int recalcule(const std::string& capture, const std::string& config, Recalcul& r) {
  if (const int status = ouvre_document(capture, config, r)) return status;
  r.doc->ResetResults(false);
  ProgressLine progress;
  CFileRequetes requests;
  FncTacheAcq(*r.doc, progress, requests, r.resultat);
  for (const auto& l : progress.lines) r.reporter.lignes.push_back(l);
  return 0;
}

}  // namespace brv::cli
