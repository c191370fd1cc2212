// The program's tail never lands inside the data: captures whose header does not give the data
// end (interrupted, or a stop that could not rewrite it) keep every record through Save, Save As
// and the end of a live acquisition; stored values that would make a re-reading explode are
// replaced; a read error is an error.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <brv_platform/files.h>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/data_end.h"
#include "brv_core/file/record_cursor.h"
#include "support/capture_builder.h"
#include "support/recording_reporter.h"

namespace brv {
namespace {

std::vector<uint8_t> contenu(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<test::TestRecord> enregistrements(size_t n) {
  std::vector<test::TestRecord> recs;
  for (size_t i = 0; i < n; ++i) {
    recs.push_back({i * 1000, {0x02, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i), 0x12, 0x34}, 0});
  }
  return recs;
}

// The header a capture keeps when its stop never rewrote it.
vandrel::ENTETE_FICHIER entete_de_depart() {
  vandrel::ENTETE_FICHIER h = test::finished_header();
  h.enEtatAcq = vandrel::ATTENTE_TRAFIC;
  h.ullLgZonePostTrig = 0;
  return h;
}

using Rapport = test::RapportTest;

class FinDesDonnees : public ::testing::Test {
 protected:
  // An interrupted linear capture: records from 88, then `reste` bytes of a record cut short.
  std::string interrompue(size_t n, size_t reste = 0) {
    test::FileImage image;
    image.header = entete_de_depart();
    auto flux = test::stream_of(enregistrements(n));
    donnees_ = flux.size();
    flux.resize(flux.size() + reste, 0x07);
    image.put(88, flux);
    const std::string p = dir_.file("cut.dat");
    image.save(p);
    return p;
  }
  uint64_t fin(const std::string& p) {
    std::string why;
    uint64_t taille = 0;
    const int fd = platform::open_input(p, why, &taille);
    uint8_t brut[88];
    EXPECT_EQ(platform::read_at(fd, brut, 88, 0), 88);
    const FinDonnees f = ChercheFinDonnees(fd, vandrel::lire_entete(brut), taille);
    ::close(fd);
    return f.position;
  }

  test::TempDir dir_;
  uint64_t donnees_ = 0;
  Rapport rapport_;
};

TEST_F(FinDesDonnees, FoundBehindTheLastWholeRecord) {
  EXPECT_EQ(fin(interrompue(0)), 88u);
  std::string p = interrompue(50);
  EXPECT_EQ(fin(p), 88 + donnees_);
  p = interrompue(50, 7);
  EXPECT_EQ(fin(p), 88 + donnees_);  // a record cut by the crash is not data

  // A header that claims data far beyond the file is not trusted: the records are walked.
  test::FileImage cut;
  cut.put(88, test::stream_of(enregistrements(50)));
  cut.header.ullLgZonePostTrig = uint64_t{1} << 40;
  cut.save(dir_.file("claims.dat"));
  EXPECT_EQ(fin(dir_.file("claims.dat")), 88 + donnees_);

  // A ring that wrapped keeps its whole sub-blocks behind the write position.
  test::FileImage ring;
  ring.header = entete_de_depart();
  ring.header.ulLgBlocTournant = 4096;
  ring.put(88, test::stream_of(enregistrements(10)));
  ring.resize(88 + 3 * 4096);
  ring.save(dir_.file("ring.dat"));
  EXPECT_EQ(fin(dir_.file("ring.dat")), 88u + 3 * 4096);
}

TEST_F(FinDesDonnees, SaveAndSaveAsOfAnInterruptedCaptureKeepEveryRecord) {
  const std::string p = interrompue(400, 9);
  const auto avant = contenu(p);
  CBrenvaleDoc doc(rapport_, dir_.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.Config.ulModeFiltre = 2;
  ASSERT_TRUE(doc.SaveAcquisitionTail());
  ASSERT_TRUE(doc.SaveAcquisitionAs(dir_.file("copy.dat")));
  for (const std::string& f : {p, dir_.file("copy.dat")}) {
    const auto apres = contenu(f);
    ASSERT_GT(apres.size(), 88 + donnees_) << f;
    EXPECT_TRUE(std::equal(avant.begin(), avant.begin() + static_cast<std::ptrdiff_t>(88 + donnees_), apres.begin()))
        << f;
    // Opened again, the tail is found where it was written.
    Rapport r;
    CBrenvaleDoc relu(r, dir_.file(""));
    ASSERT_EQ(relu.OpenAcquisitionFile(f), 1);
    EXPECT_EQ(relu.Config.ulModeFiltre, 2u) << f;
    EXPECT_TRUE(r.messages.empty()) << f;
  }
}

// The engine's side of a live capture whose stop could not rewrite the header: it reports the
// frames it wrote and a normal end, while the file keeps its start header.
struct MoteurSansEnTeteFinal : ISuiviAcquisition {
  vandrel::ENTETE_FICHIER memoire;
  int appels = 0;
  bool EnTete(vandrel::ENTETE_FICHIER& h) override {
    h = memoire;
    if (++appels > 1) h.enEtatAcq = vandrel::FIN_NORMALE;
    return true;
  }
  void StopAcquisition() override {}
  void Libere() override {}
};

TEST_F(FinDesDonnees, LiveCaptureWhoseHeaderRewriteFailedKeepsItsRecords) {
  const std::string p = interrompue(300);
  const auto avant = contenu(p);
  CBrenvaleDoc doc(rapport_, dir_.file(""));
  doc.AcqFilePath = p;
  MoteurSansEnTeteFinal moteur;
  moteur.memoire = test::finished_header();
  moteur.memoire.enEtatAcq = vandrel::ACQ_EN_COURS;
  moteur.memoire.ullLgZonePostTrig = donnees_;
  IObservateurTache obs;
  CFileRequetes req;
  ResultatTache res;
  ParametresSuivi suivi;
  suivi.attenteMs = 0;
  FncTacheAcq(doc, obs, req, res, &moteur, suivi);
  const auto apres = contenu(p);
  ASSERT_GT(apres.size(), avant.size());
  EXPECT_TRUE(std::equal(avant.begin(), avant.end(), apres.begin()));
  EXPECT_GT(doc.ConfigPartBOffset, 88 + donnees_);
}

TEST_F(FinDesDonnees, AHeaderOnlyFileIsAnEmptyCapture) {
  // Version 256 and every zone field 0: no zone overlaps the header, nothing to read.
  test::FileImage image;
  image.header = vandrel::ENTETE_FICHIER{};
  image.header.ulFormatEntete = vandrel::kFormatEntete;
  image.header.enEtatAcq = vandrel::FIN_NORMALE;
  image.save(dir_.file("88.dat"));
  AcqFile f;
  ASSERT_EQ(f.open(dir_.file("88.dat")), AcqOpenStatus::Ok) << f.detail();
  RecordCursor c(f);
  FrameRecord rec;
  EXPECT_EQ(c.next(rec), WalkStatus::End);
  CBrenvaleDoc doc(rapport_, dir_.file(""));
  EXPECT_EQ(doc.OpenAcquisitionFile(dir_.file("88.dat")), 1);
  EXPECT_EQ(rapport_.textes(), std::vector<std::string>{"No configuration data in acquisition file."});
}

TEST_F(FinDesDonnees, ImplausibleIndexBlockSizeIsReplacedAndSaid) {
  const std::string p = dir_.file("damaged.dat");
  {
    test::FileImage image;
    const auto flux = test::stream_of(enregistrements(20));
    image.put(88, flux);
    image.header.ullLgZonePostTrig = flux.size();
    image.save(p);
  }
  CBrenvaleDoc doc(rapport_, dir_.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.Resultats.ulTailleBlocIndex = 0;
  ASSERT_TRUE(doc.SaveAcquisitionTail());
  Rapport r;
  CBrenvaleDoc relu(r, dir_.file(""));
  ASSERT_EQ(relu.OpenAcquisitionFile(p), 1);
  EXPECT_EQ(relu.Resultats.ulTailleBlocIndex, kTailleBlocIndexDefaut);
  ASSERT_EQ(r.lignes.size(), 1u);
  EXPECT_EQ(r.lignes[0], "The index block size stored in the acquisition file (0) is out of range: 10240000 is used.");
}

TEST_F(FinDesDonnees, AReadErrorIsNotTheEndOfTheData) {
  test::FileImage image;
  const auto flux = test::stream_of(enregistrements(50));
  image.put(88, flux);
  image.header.ullLgZonePostTrig = flux.size();
  image.save(dir_.file("ok.dat"));
  AcqFile f;
  ASSERT_EQ(f.open(dir_.file("ok.dat")), AcqOpenStatus::Ok);
  // The descriptor now fails every positioned read, as a failing disk would.
  int tube[2];
  ASSERT_EQ(::pipe(tube), 0);
  ASSERT_GE(::dup2(tube[0], f.descriptor()), 0);
  RecordCursor c(f);
  FrameRecord rec;
  EXPECT_EQ(c.next(rec), WalkStatus::Invalid);
  EXPECT_TRUE(c.read_error());
  EXPECT_EQ(c.invalid_message(), "read error at offset 88: Illegal seek");
  ::close(tube[0]);
  ::close(tube[1]);
}

}  // namespace
}  // namespace brv
