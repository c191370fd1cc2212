// The row of a record, as the timing window's Goto finds it: through the frame index of the
// record's zone, in every layout, across index blocks.
#include <gtest/gtest.h>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/synth/sample_capture.h"
#include "support/quiet_reporter.h"
#include "support/recalculated_capture.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

TEST(RowOfRecord, EveryLayoutFindsTheRowOfARecordFromItsPosition) {
  test::TempDir dir;
  const std::string chemin = dir.file("c.dat");
  for (const AcqLayout layout : {AcqLayout::Linear, AcqLayout::Circular, AcqLayout::Pretrigger}) {
    SCOPED_TRACE(layout_name(layout));
    SampleCaptureOptions o;
    o.frames = 700000;  // over 10 MB of records: several index blocks
    o.layout = layout;
    if (layout == AcqLayout::Circular) o.zone_size = 11'000'000;  // wrapped, and still two blocks
    test::RapportSilencieux rapport;
    CBrenvaleDoc doc(rapport, dir.file(""));
    test::echantillon_ouvert(chemin, o, doc);
    IObservateurTache obs;
    CFileRequetes requetes;
    ResultatTache resultat;
    FncTacheAcq(doc, obs, requetes, resultat);
    EXPECT_GT(doc.Resultats.indexPostTrig.Nombre() + doc.Resultats.indexPreTrig.Nombre(), 1u);
    AcqFile fichier;
    ASSERT_EQ(fichier.open(chemin), AcqOpenStatus::Ok);
    CLecteurLignes lecteur(doc, fichier);
    const uint64_t n = doc.Resultats.ulNbTramesAffichables;
    ASSERT_GT(n, 1000u);

    std::vector<LIGNE_TRAME> lignes;
    for (const uint64_t ligne : {uint64_t{0}, uint64_t{1}, n / 3, n / 2 + 7, n - 2, n - 1}) {
      SCOPED_TRACE(ligne);
      ASSERT_EQ(lecteur.Lit(ligne, 1, false, lignes), 1u);
      const uint32_t zone = lignes[0].bAvantDeclenchement ? 0 : static_cast<uint32_t>(fichier.zones().size() - 1);
      uint64_t pos = 0;
      ASSERT_TRUE(fichier.zones()[zone].logical_position(lignes[0].ullPosFichier, pos));
      EXPECT_EQ(lecteur.LigneDe({zone, pos}), ligne);
      // A position past a record's start names the row after it, and none after the last.
      const auto suivante = lecteur.LigneDe({zone, pos + 1});
      if (ligne + 1 < n) {
        EXPECT_EQ(suivante, ligne + 1);
      } else {
        EXPECT_FALSE(suivante.has_value());
      }
    }
  }
}

}  // namespace
}  // namespace brv
