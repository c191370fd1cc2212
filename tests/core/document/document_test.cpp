// The acquisition document: opening captures with and without their tail, saving the tail,
// Save As, and the texts that describe an opened acquisition.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "brv_core/document/acq_description.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/synth/sample_capture.h"
#include "core/config/config_builders.h"
#include "support/capture_builder.h"
#include "support/recording_reporter.h"

namespace brv {
namespace {

using test::RapportTest;

uint64_t taille(const std::string& p) { return std::filesystem::file_size(p); }

class Document : public ::testing::Test {
 protected:
  std::string capture(uint64_t frames = 2000) {
    const std::string p = dir_.file("capture.dat");
    SampleCaptureOptions o;
    o.frames = frames;
    SampleCaptureSummary s;
    std::string e;
    EXPECT_TRUE(write_sample_capture(p, o, s, e)) << e;
    return p;
  }
  void remplit_resultats(AcqResults& r) {
    r.EndReason = FIN_TROP_LENT;
    r.RecalcEndReason = RECALCUL_UTILISATEUR;
    r.ullPosPremiereTrame = 88;
    r.ulDerniereLignePreTrig = 41;
    r.usLgDernierEnregPreTrig = 18;
    r.ullDateDernierEnregPreTrig = 123456;
    r.ulTailleBlocIndex = 4096;
    r.indexPreTrig.Ajoute({0, 88, 0, 0xABCD, 1, 2, 3, 4, 5, 6});
    for (uint64_t i = 0; i < 600; ++i) r.indexPostTrig.Ajoute({i * 100, 5000 + i * 4096, i == 0, 0, i, 0, 0, 0, 0, 0});
    r.ullNbLignesErreur = 7;
    r.ullNbLignesEvenement = 8;
    r.ullNbTramesAcquises = 2000;
    r.ulNbTramesAffichables = 1990;
    r.ullNbEvenements = 9;
    r.stats = {987654321, 12.5f, 3.25f, 0.5f, {1, 2, 3, 4}};
    for (size_t i = 0; i < r.comptesParType.size(); ++i) r.comptesParType[i] = 100 + i;
    for (size_t i = 0; i < r.compteursErreur.size(); ++i) r.compteursErreur[i] = 1000 + i;
  }
  void compare_resultats(const AcqResults& a, const AcqResults& b) {
    EXPECT_EQ(a.EndReason, b.EndReason);
    EXPECT_EQ(a.RecalcEndReason, b.RecalcEndReason);
    EXPECT_EQ(a.ullPosPremiereTrame, b.ullPosPremiereTrame);
    EXPECT_EQ(a.ulDerniereLignePreTrig, b.ulDerniereLignePreTrig);
    EXPECT_EQ(a.usLgDernierEnregPreTrig, b.usLgDernierEnregPreTrig);
    EXPECT_EQ(a.ullDateDernierEnregPreTrig, b.ullDateDernierEnregPreTrig);
    EXPECT_EQ(a.ulTailleBlocIndex, b.ulTailleBlocIndex);
    EXPECT_EQ(a.indexPreTrig.Copie(), b.indexPreTrig.Copie());
    EXPECT_EQ(a.indexPostTrig.Copie(), b.indexPostTrig.Copie());
    EXPECT_EQ(a.ullNbLignesErreur, b.ullNbLignesErreur);
    EXPECT_EQ(a.ullNbLignesEvenement, b.ullNbLignesEvenement);
    EXPECT_EQ(a.ullNbTramesAcquises, b.ullNbTramesAcquises);
    EXPECT_EQ(a.ulNbTramesAffichables, b.ulNbTramesAffichables);
    EXPECT_EQ(a.ullNbEvenements, b.ullNbEvenements);
    EXPECT_EQ(a.stats.ullTempsTraficNs, b.stats.ullTempsTraficNs);
    EXPECT_EQ(a.stats.fChargeDonnees, b.stats.fChargeDonnees);
    EXPECT_EQ(a.stats.fTauxErreur, b.stats.fTauxErreur);
    EXPECT_EQ(a.stats.reserve, b.stats.reserve);
    EXPECT_EQ(a.comptesParType, b.comptesParType);
    EXPECT_EQ(a.compteursErreur, b.compteursErreur);
  }

  test::TempDir dir_;
  std::string defaut_ = dir_.file("home") + "/";
  RapportTest rapport_;
};

TEST_F(Document, CaptureWithoutTailOpensWithDefaultsAndAWarning) {
  const std::string p = capture();
  CBrenvaleDoc doc(rapport_, defaut_);
  doc.Config = test::configuration_complete();
  ASSERT_EQ(doc.OpenAcquisitionFile(p), 1);
  ASSERT_EQ(rapport_.messages.size(), 1u);
  EXPECT_EQ(rapport_.messages[0].first, "No configuration data in acquisition file.");
  EXPECT_EQ(rapport_.messages[0].second, IconeMessage::Avertissement);
  EXPECT_EQ(doc.Config.cheminFichierAcq, defaut_ + "brenvale.dat");
  EXPECT_EQ(doc.Config.ulModeFiltre, 1u);
  EXPECT_EQ(doc.ConfigLoaded, 1u);
  EXPECT_TRUE(doc.FichierAcqOuvert);
  EXPECT_EQ(doc.ConfigPartBOffset, 0u);
}

TEST_F(Document, HeaderOnlyCaptureAndForeignFiles) {
  test::FileImage image;
  image.header.ullPosZonePostTrig = 0;
  image.save(dir_.file("empty.dat"));
  CBrenvaleDoc doc(rapport_, defaut_);
  EXPECT_EQ(doc.OpenAcquisitionFile(dir_.file("empty.dat")), 1);
  ASSERT_EQ(rapport_.messages.size(), 1u);
  EXPECT_EQ(rapport_.messages[0].first, "No configuration data in acquisition file.");

  image.header.ulFormatEntete = 257;
  image.save(dir_.file("v257.dat"));
  rapport_.messages.clear();
  const uint32_t etat = doc.Entete.enEtatAcq;
  EXPECT_EQ(doc.OpenAcquisitionFile(dir_.file("v257.dat")), 0);
  EXPECT_EQ(rapport_.messages.at(0).first, "Acquisition file invalid.");
  EXPECT_EQ(rapport_.messages.at(0).second, IconeMessage::Erreur);
  EXPECT_EQ(doc.Entete.enEtatAcq, etat);

  test::write_bytes(dir_.file("short.dat"), std::vector<uint8_t>(40, 0));
  EXPECT_EQ(doc.OpenAcquisitionFile(dir_.file("short.dat")), 0);
  EXPECT_EQ(doc.OpenAcquisitionFile(dir_.file("absent.dat")), 0);
  EXPECT_EQ(rapport_.messages.back().first, "Error opening the acquisition file.");
}

TEST_F(Document, TailOfAHeaderOnlyCaptureGoesBehindTheHeader) {
  test::FileImage image;
  image.header.ullPosZonePostTrig = 0;
  const std::string p = dir_.file("empty.dat");
  image.save(p);
  CBrenvaleDoc doc(rapport_, defaut_);
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.Config.ulModeFiltre = 2;
  ASSERT_TRUE(doc.SaveAcquisitionTail());
  RapportTest r;
  CBrenvaleDoc relu(r, defaut_);
  ASSERT_EQ(relu.OpenAcquisitionFile(p), 1);
  EXPECT_EQ(relu.Entete.ulFormatEntete, vandrel::kFormatEntete);
  EXPECT_EQ(relu.Config.ulModeFiltre, 2u);
  EXPECT_TRUE(r.messages.empty());
}

TEST_F(Document, TailSavedBehindACaptureReopensWithConfigurationAndResults) {
  const std::string p = capture();
  const uint64_t donnees = taille(p);
  CBrenvaleDoc doc(rapport_, defaut_);
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.Config = test::configuration_complete();
  remplit_resultats(doc.Resultats);
  ASSERT_TRUE(doc.SaveAcquisitionTail());
  EXPECT_GT(taille(p), donnees);
  const uint64_t partB = doc.ConfigPartBOffset;
  EXPECT_GT(partB, donnees);

  RapportTest autre;
  CBrenvaleDoc relu(autre, defaut_);
  ASSERT_TRUE(relu.OuvrirAcquisition(p));
  EXPECT_TRUE(autre.messages.empty());
  EXPECT_EQ(relu.ConfigPartBOffset, partB);
  EXPECT_TRUE(relu.Config == test::sans_identifiants(doc.Config));
  compare_resultats(relu.Resultats, doc.Resultats);
  EXPECT_EQ(relu.PostTrigEnVigueur, doc.Config.postTrig);
  EXPECT_TRUE(relu.FiltreUtilisable);
  EXPECT_TRUE(relu.EvenementsUtilisables);
  EXPECT_EQ(relu.TypeAcq, vandrel::SYN_FILTRE);  // triggers defined, frame filtering on
  // Acquisition padding dropped at acquisition level: the decoder shows that identifier.
  EXPECT_TRUE(relu.Decodeur.BourrageActif());
  EXPECT_EQ(relu.Decodeur.IdentifiantBourrage(), 0x9080);

  // A shorter tail leaves nothing of the longer one behind it: 600 index records fewer.
  const uint64_t long_ = taille(p);
  relu.Resultats.indexPostTrig.Vide();
  ASSERT_TRUE(relu.SaveAcquisitionTail());
  EXPECT_EQ(taille(p), long_ - 600 * 72);
  RapportTest troisieme;
  CBrenvaleDoc encore(troisieme, defaut_);
  ASSERT_EQ(encore.OpenAcquisitionFile(p), 1);
  EXPECT_EQ(encore.Resultats.indexPostTrig.Nombre(), 0u);
  EXPECT_EQ(encore.Resultats.ullNbTramesAcquises, 2000u);
}

TEST_F(Document, SaveAsCopiesThenWritesTheTailAndOnTheSamePathOnlyTheTail) {
  const std::string p = capture();
  CBrenvaleDoc doc(rapport_, defaut_);
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.Resultats.ullNbTramesAcquises = 2000;
  const auto avant = taille(p);

  const std::string copie = dir_.file("copy.dat");
  ASSERT_TRUE(doc.SaveAcquisitionAs(copie));
  EXPECT_EQ(doc.AcqFilePath, copie);
  EXPECT_EQ(taille(p), avant);  // the original is untouched
  EXPECT_GT(taille(copie), avant);

  ASSERT_TRUE(doc.SaveAcquisitionAs(copie));  // same file: no copy onto itself
  RapportTest r2;
  CBrenvaleDoc relu(r2, defaut_);
  ASSERT_EQ(relu.OpenAcquisitionFile(copie), 1);
  EXPECT_EQ(relu.Resultats.ullNbTramesAcquises, 2000u);

  EXPECT_FALSE(doc.SaveAcquisitionAs(dir_.file("no/such/dir/x.dat")));
  EXPECT_EQ(rapport_.messages.back().first.rfind("Error copying the acquisition file", 0), 0u);
  EXPECT_EQ(doc.AcqFilePath, copie);
}

TEST_F(Document, OpeningAskForConfirmationOnceAConfigurationIsLoaded) {
  const std::string p = capture(100);
  CBrenvaleDoc doc(rapport_, defaut_);
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  EXPECT_TRUE(rapport_.questions.empty());
  rapport_.reponse = false;
  EXPECT_FALSE(doc.OuvrirAcquisition(p));
  ASSERT_EQ(rapport_.questions.size(), 1u);
  EXPECT_EQ(rapport_.questions[0],
            "The current configuration will be overwritten by the one associated to the acquisition.\n"
            "Do you want to continue ?");
}

TEST_F(Document, DamagedTailKeepsTheCaptureOpen) {
  const std::string p = capture(100);
  {
    CBrenvaleDoc doc(rapport_, defaut_);
    ASSERT_TRUE(doc.OuvrirAcquisition(p));
    remplit_resultats(doc.Resultats);
    ASSERT_TRUE(doc.SaveAcquisitionTail());
  }
  // Cut the tail inside the results: the configuration is restored, the results are not.
  std::filesystem::resize_file(p, taille(p) - 50);
  RapportTest r;
  CBrenvaleDoc doc(r, defaut_);
  ASSERT_EQ(doc.OpenAcquisitionFile(p), 1);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0].second, IconeMessage::Avertissement);
  EXPECT_EQ(doc.Resultats.ullNbTramesAcquises, 0u);
  EXPECT_EQ(doc.Resultats.indexPostTrig.Nombre(), 0u);
}

TEST_F(Document, DescriptionLinesAndChannels) {
  const std::string p = capture(100);
  CBrenvaleDoc doc(rapport_, defaut_);
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  EXPECT_EQ(rapport_.lignes, (std::vector<std::string>{"Speed adapter: bi-medium at 1 Mbit/s - FIP frames",
                                                       "Acquisition mode: free run",
                                                       "The acquisition ended normally."}));
  EXPECT_TRUE(doc.Voie1);
  EXPECT_TRUE(doc.Voie2);
}

TEST(AcqDescription, Texts) {
  vandrel::ENTETE_FICHIER h{};
  h.enTypeBoitier = 7;
  h.enVitesse = 9;
  EXPECT_EQ(TexteAdaptateur(h), "Speed adapter: unknown unknown speed - WorldFIP frames");
  h.enTypeBoitier = 1;
  h.enVitesse = 0;
  h.bTramesTypeFip = 1;
  EXPECT_EQ(TexteAdaptateur(h), "Speed adapter: mono-medium at 31.25 kbit/s - FIP frames");
  EXPECT_EQ(TexteModeAcq(3, false), "Acquisition mode: triggered with pre-triggering");
  EXPECT_EQ(TexteModeAcq(0, true), "Acquisition mode: free run on circular buffer");
  EXPECT_EQ(TexteFinAcq(6, 0), "Acquisition terminated by user.");
  EXPECT_EQ(TexteFinAcq(6, 4), "Acquisition aborted because of application not fast enough.");
  EXPECT_EQ(TexteFinAcq(6, 99), "Acquisition terminated by user.");
  EXPECT_EQ(TexteFinAcq(7, 3), "Acquisition aborted because of disk full.");
  EXPECT_EQ(TexteFinAcq(10, 0), "Acquisition aborted because of driver error (error accessing the acquisition file).");
  EXPECT_EQ(TexteFinAcq(3, 0), "");
  EXPECT_EQ(TexteFinRecalcul(3), "Re-calculation aborted because of invalid end of file error.");
  EXPECT_EQ(TexteFinRecalcul(0), "");
}

}  // namespace
}  // namespace brv
