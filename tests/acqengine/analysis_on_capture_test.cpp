// What the program does with a capture the engine wrote: re-calculation, statistics, text export
// and the frame detail page all read it, and their counts agree with the records in the file.

#include <gtest/gtest.h>

#include <fstream>

#include "brv_core/analysis/monitor.h"
#include "brv_core/report/frame_detail.h"
#include "brv_core/report/text_export.h"
#include "engine_session.h"
#include "support/quiet_reporter.h"

namespace brv::test {
namespace {

using namespace vandrel;

struct Analysed {
  RapportSilencieux rapport;
  CBrenvaleDoc doc{rapport};
  AcqFile fichier;
  ResultatTache resultat;
};

void analyse(const std::string& path, Analysed& a) {
  ASSERT_TRUE(a.doc.OuvrirAcquisition(path));
  a.doc.ResetResults(false);
  IObservateurTache obs;
  CFileRequetes req;
  FncTacheAcq(a.doc, obs, req, a.resultat);
  ASSERT_EQ(a.fichier.open(path), AcqOpenStatus::Ok);
}

TEST(EngineCaptureAnalysis, ReCalculationExportAndDetailReadEveryRecord) {
  for (const bool pretrig : {false, true}) {
    simcard::Scenario sc = fast_scenario(pretrig ? "ENGANA02" : "ENGANA01", "demo");
    sc.faults[simcard::Fault::CrcError].at = {700, 900};
    sc.faults[simcard::Fault::Glitch].at = {800};
    EngineSession s(sc);
    ASSERT_EQ(s.connect_result, 0u);
    auto p = s.free_run(200000);
    if (pretrig) {
      p.ini.enTypeAcq = SYN_PRETRIG;
      p.ini.ullLgMaxZonePreTrig = 20000;
      p.ini.ucNbTramesSynchro = 1;
      struct_CHAMP_BIT_SYNCHRO glitch{};
      glitch.ucLgValBit = 8;
      glitch.enOperation = OP_EQUAL;
      glitch.ullValeur = PSEUDO_GLITCH;
      p.champs[0] = {glitch};
    }
    ASSERT_EQ(s.start(p), 0u);
    ASSERT_TRUE(s.wait_final());
    ASSERT_EQ(s.engine.stop_acquisition(), 0u);
    const ReadBack r = read_capture(s.path);
    ASSERT_TRUE(r.clean) << r.problem;

    Analysed a;
    analyse(s.path, a);
    const AcqResults& res = a.doc.Resultats;
    EXPECT_EQ(res.ullNbTramesAcquises, r.records.size()) << pretrig;
    EXPECT_EQ(res.ulNbTramesAffichables, r.records.size()) << pretrig;
    EXPECT_GE(res.ullNbLignesErreur, 3u) << pretrig;  // two CRC errors and a glitch at least

    PARAM_EXPORT pe;
    pe.bInformation = pe.bErreurs = pe.bReseau = pe.bDebits = pe.bStatistiques = 0;
    const std::string out = s.dir.file("export.txt");
    const ResultatExport e =
        ExporteTexte(out, pe, SourceExport{a.doc, a.fichier, a.resultat.bourrage, &a.resultat.points, nullptr}, 0,
                     r.records.size() - 1);
    EXPECT_EQ(e.etat, ResultatExport::Ok) << e.message;
    EXPECT_EQ(e.lignes, r.records.size());

    const std::string page = PageDetailTrame(a.doc, a.fichier, 1, nullptr);
    EXPECT_EQ(page.find("Error getting frame contents"), std::string::npos);
  }
}

}  // namespace
}  // namespace brv::test
