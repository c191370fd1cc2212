// Whether an opened capture shows its rows from its saved results or is read again first.
#include <gtest/gtest.h>

#include "brv_core/document/stored_results.h"
#include "brv_core/synth/sample_capture.h"
#include "support/quiet_reporter.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

TEST(StoredResults, ReadAgainUntilSavedWithItsResults) {
  test::TempDir dir;
  const std::string chemin = dir.file("c.dat");
  SampleCaptureOptions o;
  o.frames = 2000;
  SampleCaptureSummary resume;
  std::string erreur;
  ASSERT_TRUE(write_sample_capture(chemin, o, resume, erreur)) << erreur;

  test::RapportSilencieux rapport;
  {
    // Written by another program: no results behind the data.
    CBrenvaleDoc doc(rapport, dir.file(""));
    ASSERT_TRUE(doc.OuvrirAcquisition(chemin));
    AcqFile f;
    ASSERT_EQ(f.open(chemin), AcqOpenStatus::Ok);
    EXPECT_TRUE(ResultatsARelire(doc, f));
  }
  // Read and saved as the program does.
  ASSERT_TRUE(save_sample_with_results(chemin, erreur)) << erreur;
  CBrenvaleDoc doc(rapport, dir.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(chemin));
  AcqFile f;
  ASSERT_EQ(f.open(chemin), AcqOpenStatus::Ok);
  EXPECT_FALSE(ResultatsARelire(doc, f));
  EXPECT_EQ(doc.Resultats.ulNbTramesAffichables, 2000u);

  // Results whose index went missing cannot find their rows.
  doc.Resultats.indexPostTrig.Vide();
  EXPECT_TRUE(ResultatsARelire(doc, f));
}

}  // namespace
}  // namespace brv
