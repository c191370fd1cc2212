// Any capture, tail included, opens or is refused; its re-calculation and row reading end
// cleanly whatever its records hold, and so does the timing pass over them.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/timing/bus_timing.h"

namespace {
struct Quiet : brv::IRapportDocument {
  void BoiteMessage(std::string_view, brv::IconeMessage) override {}
  bool QuestionOuiNon(std::string_view) override { return true; }
  void LigneInformation(std::string_view) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int fd = ::memfd_create("capture", 0);
  if (fd < 0) return 0;
  if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    Quiet quiet;
    brv::CBrenvaleDoc doc(quiet, "/tmp/");
    if (doc.OuvrirAcquisition(path)) {
      doc.ResetResults(false);
      doc.Resultats.ulTailleBlocIndex = 64;
      brv::IObservateurTache obs;
      brv::CFileRequetes requests;
      brv::ResultatTache result;
      brv::FncTacheAcq(doc, obs, requests, result);
      brv::AcqFile file;
      if (file.open(path) == brv::AcqOpenStatus::Ok) {
        brv::CLecteurLignes reader(doc, file);
        std::vector<brv::LIGNE_TRAME> rows;
        reader.Lit(0, 8, true, rows);
        reader.Lit(doc.Resultats.ulNbTramesAffichables / 2, 8, false, rows);
        (void)reader.LigneDe({0, size / 3});
        // The timing pass reads the same records on its own.
        brv::ResultatTiming timing;
        std::string message;
        brv::AnalyseTimingFichier(file, brv::ParametresTimingDefaut(file.header().enVitesse), 0x9002, timing,
                                  message);
      }
    }
  }
  ::close(fd);
  return 0;
}
