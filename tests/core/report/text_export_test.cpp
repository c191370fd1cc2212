// Text export: sections, columns by channel, widths, separators, the first row's absolute date,
// interpreted contents, and the messages of the failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <iterator>
#include <sstream>

#include "brv_core/analysis/monitor.h"
#include "brv_core/decode/crc.h"
#include "brv_core/report/desktop_opener.h"
#include "brv_core/report/text_export.h"
#include "support/capture_builder.h"
#include "support/quiet_reporter.h"
#include "support/recalculated_capture.h"

namespace brv {
namespace {

using Silencieux = test::RapportSilencieux;

std::vector<std::string> lignes_de(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> v;
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

class TextExport : public ::testing::Test {
 protected:
  // A linear capture of 20 frames on a probe of the given type; frame 1 comes 100 h later.
  void capture(uint32_t boitier) {
    std::vector<test::TestRecord> recs;
    uint64_t date = 0;
    for (int i = 0; i < 20; ++i) {
      std::vector<uint8_t> f = {0x03, 0x01, static_cast<uint8_t>(i), 0, 0};
      const uint16_t crc = CrcTrame(true, f.data(), 3);
      f[3] = static_cast<uint8_t>(crc >> 8);
      f[4] = static_cast<uint8_t>(crc);
      recs.push_back({date, f, static_cast<uint8_t>(i == 3 ? 0x05 : 0)});
      date += i == 0 ? 3'614'251'234'500ULL : 1000;
    }
    test::capture_relue(path_, recs, boitier, doc_, fichier_, resultat_);
  }
  ResultatExport exporte(const PARAM_EXPORT& p, uint64_t premiere, uint64_t derniere,
                         const std::vector<DONNEE_UTILISATEUR>* donnees = nullptr) {
    SourceExport s{doc_, fichier_, resultat_.bourrage, &resultat_.points, donnees};
    return ExporteTexte(sortie_, p, s, premiere, derniere);
  }
  PARAM_EXPORT trames_seules() {
    PARAM_EXPORT p;
    p.bInformation = p.bErreurs = p.bReseau = p.bDebits = p.bStatistiques = 0;
    return p;
  }

  test::TempDir dir_;
  std::string path_ = dir_.file("capture.dat");
  std::string sortie_ = dir_.file("brv.txt");
  Silencieux rapport_;
  CBrenvaleDoc doc_{rapport_, dir_.file("")};
  AcqFile fichier_;
  ResultatTache resultat_;
};

TEST_F(TextExport, SelectedRowsCarryTheAbsoluteDateOnTheFirstOnly) {
  capture(vandrel::BT_ZIZA_BI);
  const auto r = exporte(trames_seules(), 10, 12);
  ASSERT_EQ(r.etat, ResultatExport::Ok) << r.message;
  EXPECT_EQ(r.lignes, 3u);
  const auto l = lignes_de(sortie_);
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0], "FRAMES");
  EXPECT_EQ(l[1].substr(0, 36), std::string(6, ' ') + "ABSOLUTE DATE                 ");
  // Titles are cut to their widths like the values.
  EXPECT_NE(l[1].find("TRAFFICHANNETXERR1TXERR2CONTROL AND DATA"), std::string::npos);
  EXPECT_NE(l[2].substr(6, 30).find(" the "), std::string::npos);  // "%ih%imn%is the %i/%i/%i"
  EXPECT_EQ(l[3].substr(6, 30), std::string(30, ' '));
  EXPECT_EQ(l[4].substr(6, 30), std::string(30, ' '));
  EXPECT_NE(l[2].find("ID_DAT(010A)"), std::string::npos);
}

TEST_F(TextExport, ChannelOneCaptureHasNoChannelNorTxErr2AndLongTextsAreCut) {
  capture(vandrel::BT_ZIZA_MONO);
  ASSERT_EQ(exporte(trames_seules(), 0, 3).etat, ResultatExport::Ok);
  const auto l = lignes_de(sortie_);
  EXPECT_NE(l[1].find("TRAFFITXERR1CONTROL AND DATA"), std::string::npos);
  // Row 1's relative date "100h 23mn 45.12345s" is cut to its 18 characters.
  EXPECT_EQ(l[3].substr(36, 18), "100h 23mn 45.12345");
  // Row 3 had a transmission error on channel 1: "X" under TXERR1 (after mark, dates, traffic).
  EXPECT_EQ(l[5].substr(6 + 30 + 18 + 18 + 6, 6), "X     ");
}

TEST_F(TextExport, SpreadsheetSeparatesEveryColumnAndSectionsComeInOrder) {
  capture(vandrel::BT_ZIZA_BI);
  PARAM_EXPORT p;
  p.ulFormat = EXPORT_TABLEUR;
  p.bUtiliseSeparateur = 1;
  p.separateur = ";";
  ASSERT_EQ(exporte(p, 0, 19).etat, ResultatExport::Ok);
  std::ifstream in(sortie_);
  const std::string tout((std::istreambuf_iterator<char>(in)), {});
  const size_t info = tout.find("INFORMATION ABOUT THE ACQUISITION PROGRESS\n");
  const size_t erreurs = tout.find("ERRORS\n");
  const size_t reseau = tout.find("NETWORK CONFIGURATION (");
  const size_t stats = tout.find("STATISTICS\n");
  const size_t trames = tout.find("FRAMES\n");
  ASSERT_NE(trames, std::string::npos);
  EXPECT_LT(info, erreurs);
  EXPECT_LT(erreurs, reseau);
  EXPECT_LT(reseau, stats);
  EXPECT_LT(stats, trames);
  EXPECT_NE(tout.find("Acquired frames;20\n"), std::string::npos);
  EXPECT_NE(tout.find(" ;ABSOLUTE DATE;RELATIVE DATE;INTERFRAME;TRAFFIC INTERRUPTED;CHANNEL;TXERR1;TXERR2;CONTROL AND DATA\n"),
            std::string::npos);
}

TEST_F(TextExport, TimingSectionInBothFormatsAfterTheStatistics) {
  capture(vandrel::BT_ZIZA_BI);
  for (const uint32_t format : {EXPORT_TRAITEMENT_TEXTE, EXPORT_TABLEUR}) {
    SCOPED_TRACE(format);
    PARAM_EXPORT p;
    p.ulFormat = format;
    p.bTiming = 1;
    ASSERT_EQ(exporte(p, 0, 19).etat, ResultatExport::Ok);
    std::ifstream in(sortie_);
    const std::string tout((std::istreambuf_iterator<char>(in)), {});
    const size_t stats = tout.find("STATISTICS\n");
    const size_t timing = tout.find("TIMING\nMACROCYCLE\n");
    ASSERT_NE(timing, std::string::npos) << tout;
    EXPECT_LT(stats, timing);
    EXPECT_LT(timing, tout.find("FRAMES\n"));
    // The 20 calls of identifier 01xx each scan a different identifier once: none has a period.
    if (format == EXPORT_TABLEUR) {
      EXPECT_NE(tout.find("Calls\t20\n"), std::string::npos) << tout;
      EXPECT_NE(tout.find("Ident\tScans\tPer.min\t"), std::string::npos);
      EXPECT_NE(tout.find("\n0105\t1\t-\t"), std::string::npos);
    } else {
      EXPECT_NE(tout.find("Calls                       20\n"), std::string::npos) << tout;
      EXPECT_NE(tout.find("\n 0105         1          -"), std::string::npos);
    }
  }
  // Not asked, not written.
  ASSERT_EQ(exporte(PARAM_EXPORT{}, 0, 19).etat, ResultatExport::Ok);
  std::ifstream in(sortie_);
  const std::string tout((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(tout.find("MACROCYCLE"), std::string::npos);
}

TEST_F(TextExport, InterpretedRowsUseTheUserNames) {
  capture(vandrel::BT_ZIZA_BI);
  std::ofstream(dir_.file("plant.csv")) << "Valve 5;ID;3;0x0105;;;\n";
  std::vector<DONNEE_UTILISATEUR> donnees;
  ASSERT_EQ(LitDonneesUtilisateur(dir_.file("plant.csv"), donnees).resultat, LectureDonneesUtilisateur::Ok);
  PARAM_EXPORT p = trames_seules();
  p.ulContenu = 1;
  ASSERT_EQ(exporte(p, 4, 5, &donnees).etat, ResultatExport::Ok);
  const auto l = lignes_de(sortie_);
  ASSERT_EQ(l.size(), 4u);
  EXPECT_NE(l[1].find("LENGTH      TYPE              IDENTIFIER"), std::string::npos);
  EXPECT_NE(l[1].find("CONTENTS (FROM POSITION 0)"), std::string::npos);
  EXPECT_NE(l[2].find("0104"), std::string::npos);
  EXPECT_NE(l[3].find("Valve 5"), std::string::npos);
}

TEST_F(TextExport, MissingRowsFailAndLeaveThePreviousFile) {
  capture(vandrel::BT_ZIZA_BI);
  std::ofstream(sortie_) << "previous export\n";
  // Row 10's record damaged after the statistics pass: the list holds rows the file no longer gives.
  const size_t pas = test::record_bytes({0, {0, 0, 0, 0, 0}, 0}).size();
  {
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(88 + 10 * pas));
    f.write("\x05\x00", 2);
  }
  const auto r = exporte(trames_seules(), 0, 19);
  EXPECT_EQ(r.etat, ResultatExport::ErreurLecture);
  EXPECT_NE(r.message.find(std::to_string(88 + 10 * pas)), std::string::npos) << r.message;
  EXPECT_EQ(lignes_de(sortie_), std::vector<std::string>{"previous export"});
  // A selection past the last row holds nothing.
  PARAM_EXPORT p = trames_seules();
  p.ulTrames = TRAMES_SELECTION;
  EXPECT_EQ(exporte(p, 20, 30).etat, ResultatExport::RienATransferer);
}

// Stopped at any point, the export leaves the folder as it found it.
TEST_F(TextExport, StoppedExportLeavesNothingBehind) {
  capture(vandrel::BT_ZIZA_BI);
  struct Arret : IProgresExport {
    explicit Arret(int n) : reste(n) {}
    bool Continue(uint64_t faites, uint64_t total) override {
      appels.emplace_back(faites, total);
      return reste-- > 0;
    }
    int reste;
    std::vector<std::pair<uint64_t, uint64_t>> appels;
  };
  using Appels = std::vector<std::pair<uint64_t, uint64_t>>;
  const struct {
    bool trames;
    bool precedent;  // an export already there
    int continues;   // calls answered "go on" before the stop
    ResultatExport::Etat etat;
    Appels appels;
  } cas[] = {
      {true, false, 0, ResultatExport::Annule, {{0, 20}}},
      {true, true, 1, ResultatExport::Annule, {{0, 20}, {20, 20}}},  // every row written, not yet renamed
      {false, false, 0, ResultatExport::Annule, {{0, 0}}},
      {true, true, 2, ResultatExport::Ok, {{0, 20}, {20, 20}}},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(&c - cas);
    std::filesystem::remove(sortie_);
    if (c.precedent) std::ofstream(sortie_) << "previous export\n";
    PARAM_EXPORT p;
    if (!c.trames) p.ulTrames = TRAMES_AUCUNE;
    Arret arret(c.continues);
    SourceExport s{doc_, fichier_, resultat_.bourrage, &resultat_.points, nullptr};
    const ResultatExport r = ExporteTexte(sortie_, p, s, 0, 19, &arret);
    EXPECT_EQ(r.etat, c.etat) << r.message;
    EXPECT_EQ(arret.appels, c.appels);
    std::set<std::string> noms;
    for (const auto& e : std::filesystem::directory_iterator(dir_.file(""))) noms.insert(e.path().filename().string());
    const bool sortie = c.precedent || c.etat == ResultatExport::Ok;
    const std::set<std::string> attendus =
        sortie ? std::set<std::string>{"capture.dat", "brv.txt"} : std::set<std::string>{"capture.dat"};
    EXPECT_EQ(noms, attendus);
    if (c.precedent && c.etat != ResultatExport::Ok) {
      EXPECT_EQ(lignes_de(sortie_), std::vector<std::string>{"previous export"});
    }
  }
}

TEST_F(TextExport, FailuresAndViewers) {
  {
    SourceExport s{doc_, fichier_, {}, nullptr, nullptr};
    EXPECT_EQ(ExporteTexte(sortie_, PARAM_EXPORT{}, s, 0, 0).message, "There is nothing to transfer.");
  }
  capture(vandrel::BT_ZIZA_BI);
  sortie_ = dir_.file("no/such/dir/brv.txt");
  EXPECT_EQ(exporte(PARAM_EXPORT{}, 0, 0).message, "Unable to create the text file.");

  struct Refus : IOuvreurFichier {
    bool OuvreTraitementTexte(const std::string&) override { return false; }
    bool OuvreTableur(const std::string&) override { return false; }
  } refus;
  PARAM_EXPORT p;
  EXPECT_EQ(OuvreExport("brv.txt", p, refus), "");
  p.bOuvrirTraitementTexte = 1;
  EXPECT_EQ(OuvreExport("brv.txt", p, refus),
            "The text editor cannot be opened.\nPlease open the brv.txt file with a word processing software.");
  p.ulFormat = EXPORT_TABLEUR;
  p.bOuvrirTableur = 1;
  EXPECT_EQ(OuvreExport("brv.txt", p, refus),
            "The spreadsheet cannot be opened.\nPlease open the brv.txt file with a spreadsheet.");

  // Programs that are not there cannot be started; a program that is, is.
  COuvreurBureau absent("/nonexistent/handler", "/nonexistent/calc");
  EXPECT_FALSE(absent.OuvreTraitementTexte("brv.txt"));
  EXPECT_FALSE(absent.OuvreTableur("brv.txt"));
  COuvreurBureau present("true", "/nonexistent/calc");
  EXPECT_TRUE(present.OuvreTraitementTexte("brv.txt"));
  EXPECT_TRUE(present.OuvreTableur("brv.txt"));  // falls back on the desktop's handler
}

}  // namespace
}  // namespace brv
