// The list reads rows while the reading task is still indexing the capture: what the program's
// window does during a re-calculation. Run under the thread sanitizer, it checks that the two
// threads share only what they guard.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/synth/sample_capture.h"
#include "support/quiet_reporter.h"
#include "support/recalculated_capture.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

class ComptesPublies : public IObservateurTache {
 public:
  void NbLignes(uint32_t n) override { lignes.store(n); }
  bool VeutInstantanes() const override { return true; }
  void Instantane(const InstantaneVues& v) override { instantanes += v.final ? 0 : 1; }
  void Fin() override { fini.store(true); }
  std::atomic<uint32_t> lignes{0};
  std::atomic<bool> fini{false};
  int instantanes = 0;
};

TEST(RowsWhileReading, TheListReadsRowsTheTaskHasIndexed) {
  test::TempDir dir;
  const std::string chemin = dir.file("c.dat");
  for (const AcqLayout layout : {AcqLayout::Linear, AcqLayout::Pretrigger}) {
    SCOPED_TRACE(layout_name(layout));
    SampleCaptureOptions o;
    o.frames = 400000;
    o.layout = layout;
    test::RapportSilencieux rapport;
    CBrenvaleDoc doc(rapport, dir.file(""));
    test::echantillon_ouvert(chemin, o, doc);
    AcqFile fichier;
    ASSERT_EQ(fichier.open(chemin), AcqOpenStatus::Ok);
    CLecteurLignes lecteur(doc, fichier);

    ComptesPublies obs;
    CFileRequetes requetes;
    ResultatTache resultat;
    std::thread tache([&] { FncTacheAcq(doc, obs, requetes, resultat); });
    std::vector<LIGNE_TRAME> lignes;
    while (!obs.fini.load()) {
      const uint32_t n = obs.lignes.load();
      if (n < 20) continue;
      // The last rows published, and rows near the start: both must read whole.
      for (const uint64_t premiere : {uint64_t{n} - 20, uint64_t{0}}) {
        ASSERT_EQ(lecteur.Lit(premiere, 20, true, lignes), 20u) << premiere << " of " << n;
        EXPECT_EQ(static_cast<uint64_t>(lignes.front().iLigne), premiere);
      }
    }
    tache.join();
    EXPECT_EQ(doc.Resultats.ulNbTramesAffichables, obs.lignes.load());
  }
}

}  // namespace
}  // namespace brv
