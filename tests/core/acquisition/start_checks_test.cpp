// The checks before an acquisition start, on real directories of a temporary folder and with
// the free space simulated.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "brv_core/acquisition/start_checks.h"
#include "support/temp_dir.h"
#include "support/recording_reporter.h"

namespace brv {
namespace {

namespace fs = std::filesystem;

using test::RapportTest;

constexpr uint64_t kGrandDisque = 1ULL << 50;
const EspaceLibre kDisqueLibre = [](const fs::path&) { return std::optional<uint64_t>(kGrandDisque); };

class VerifDemarrage : public ::testing::Test {
 protected:
  VerifDemarrage() {
    config_.cheminFichierAcq = dir_.file("acq.dat");
    config_.ulActionDebut = ACTION_ECRASER;
  }
  VerificationDemarrage verifie(bool declenche = false, const EspaceLibre& libre = kDisqueLibre) {
    return VerifieDemarrage(config_, declenche, false, rapport_, libre);
  }
  void refuse_avec(const std::string& texte, IconeMessage icone) {
    const VerificationDemarrage v = verifie();
    EXPECT_FALSE(v.ok);
    ASSERT_EQ(rapport_.messages.size(), 1u);
    EXPECT_EQ(rapport_.messages[0].first, texte);
    EXPECT_EQ(rapport_.messages[0].second, icone);
  }

  test::TempDir dir_;
  Configuration config_;
  RapportTest rapport_;
};

TEST_F(VerifDemarrage, NewFileIsTakenAsEntered) {
  const VerificationDemarrage v = verifie();
  EXPECT_TRUE(v.ok);
  EXPECT_EQ(v.AcqFilePath, config_.cheminFichierAcq);
  EXPECT_TRUE(rapport_.messages.empty());
  EXPECT_TRUE(rapport_.questions.empty());
}

TEST_F(VerifDemarrage, IncrementTakesTheFirstFreeName) {
  config_.ulActionDebut = ACTION_INCREMENTER;
  test::write_bytes(dir_.file("acq.dat"), {1});
  EXPECT_EQ(verifie().AcqFilePath, dir_.file("acq1.dat"));
  test::write_bytes(dir_.file("acq1.dat"), {1});
  EXPECT_EQ(verifie().AcqFilePath, dir_.file("acq2.dat"));
  EXPECT_TRUE(rapport_.messages.empty());
}

TEST_F(VerifDemarrage, IncrementOfANameWithoutExtensionIsRefused) {
  // A dot in a directory name does not count as the extension.
  fs::create_directory(dir_.file("v1.2"));
  config_.cheminFichierAcq = dir_.file("v1.2/acq");
  config_.ulActionDebut = ACTION_INCREMENTER;
  fs::create_directory(config_.cheminFichierAcq);
  refuse_avec("The acquisition file path or name is not valid.\nPlease, enter another one.", IconeMessage::Erreur);
}

TEST_F(VerifDemarrage, IncrementBeyondTheLongestNameIsRefused) {
  config_.ulActionDebut = ACTION_INCREMENTER;
  const std::string dossier = dir_.file("d");
  fs::create_directory(dossier);
  // The template fills 260 characters, so "acq…1.dat" is one too many.
  config_.cheminFichierAcq = dossier + "/" + std::string(260 - dossier.size() - 5, 'a') + ".dat";
  ASSERT_EQ(config_.cheminFichierAcq.size(), 260u);
  test::write_bytes(config_.cheminFichierAcq, {1});
  refuse_avec("The acquisition filename cannot be incremented.\nPlease enter another one.", IconeMessage::Erreur);
}

TEST_F(VerifDemarrage, ExistingFilePolicies) {
  test::write_bytes(config_.cheminFichierAcq, {1});
  struct Cas {
    uint32_t action;
    bool reponse;
    bool ok;
    size_t questions;
  };
  for (const Cas& c : {Cas{ACTION_DEMANDER, true, true, 1}, Cas{ACTION_DEMANDER, false, false, 1},
                       Cas{ACTION_ECRASER, false, true, 0}, Cas{7, false, true, 0}}) {
    SCOPED_TRACE(testing::Message() << "action " << c.action << " answer " << c.reponse);
    rapport_ = {};
    rapport_.reponse = c.reponse;
    config_.ulActionDebut = c.action;
    const VerificationDemarrage v = verifie();
    EXPECT_EQ(v.ok, c.ok);
    if (c.ok) {
      EXPECT_EQ(v.AcqFilePath, config_.cheminFichierAcq);
    }
    ASSERT_EQ(rapport_.questions.size(), c.questions);
    if (c.questions) {
      EXPECT_EQ(rapport_.questions[0], "Do you want to overwrite the acquisition file:\n" + config_.cheminFichierAcq + "?");
    }
    EXPECT_TRUE(rapport_.messages.empty());
  }
}

TEST_F(VerifDemarrage, MissingDirectoriesAreCreatedAfterTheQuestion) {
  config_.cheminFichierAcq = dir_.file("data/new/acq.dat");
  rapport_.reponse = false;
  EXPECT_FALSE(verifie().ok);
  ASSERT_EQ(rapport_.questions.size(), 1u);
  EXPECT_EQ(rapport_.questions[0],
            "The directory where to store the acquisition file does not exist.\nDo you want to create it?");
  EXPECT_FALSE(fs::exists(dir_.file("data")));

  rapport_ = {};
  const VerificationDemarrage v = verifie();
  EXPECT_TRUE(v.ok);
  EXPECT_TRUE(fs::is_directory(dir_.file("data/new")));
  EXPECT_FALSE(fs::exists(v.AcqFilePath));
  EXPECT_TRUE(rapport_.messages.empty());
}

TEST_F(VerifDemarrage, ALevelThatCannotBeMadeStops) {
  test::write_bytes(dir_.file("data"), {1});
  config_.cheminFichierAcq = dir_.file("data/new/acq.dat");
  refuse_avec("Unable to create the directory.\nPlease choose another one.", IconeMessage::Erreur);
  EXPECT_EQ(rapport_.questions.size(), 1u);
}

TEST_F(VerifDemarrage, InvalidPathsAreRefused) {
  for (const std::string& chemin : {std::string("acq.dat"), dir_.file("data/"), std::string("")}) {
    SCOPED_TRACE(chemin);
    rapport_ = {};
    config_.cheminFichierAcq = chemin;
    refuse_avec("The acquisition file path or name is not valid.\nPlease, enter another one.", IconeMessage::Erreur);
    EXPECT_TRUE(rapport_.questions.empty());
  }
}

TEST_F(VerifDemarrage, BusyEngineIsRefusedFirst) {
  config_.cheminFichierAcq = "relative";
  const VerificationDemarrage v = VerifieDemarrage(config_, true, true, rapport_, kDisqueLibre);
  EXPECT_FALSE(v.ok);
  ASSERT_EQ(rapport_.messages.size(), 1u);
  EXPECT_EQ(rapport_.messages[0].first, "Acquisition impossible:\nthe driver is already busy.");
  EXPECT_EQ(rapport_.messages[0].second, IconeMessage::Erreur);
}

TEST_F(VerifDemarrage, FreeSpaceMustExceedTheNeedByTheMargin) {
  config_.cheminFichierAcq = dir_.file("not/yet/acq.dat");
  config_.postTrig.bTailleChoisie = 1;
  config_.postTrig.ullTaille = 1;
  config_.postTrig.ucUnite = UNITE_KO;
  fs::path demande;
  auto libre = [&](uint64_t octets) {
    return EspaceLibre([&demande, octets](const fs::path& p) {
      demande = p;
      return std::optional<uint64_t>(octets);
    });
  };
  EXPECT_TRUE(verifie(false, libre(1024 + kMargeEspaceLibre)).ok);
  // Asked of the nearest directory that exists.
  EXPECT_EQ(demande, fs::path(dir_.file("")).parent_path());

  rapport_ = {};
  fs::remove_all(dir_.file("not"));
  EXPECT_FALSE(verifie(false, libre(1023 + kMargeEspaceLibre)).ok);
  ASSERT_EQ(rapport_.messages.size(), 1u);
  EXPECT_EQ(rapport_.messages[0].first.rfind("Not enough free space on drive /", 0), 0u);
  EXPECT_NE(rapport_.messages[0].first.find(" to create the acquisition file.\nPlease, choose another drive or enter another size."),
            std::string::npos);
  EXPECT_EQ(rapport_.messages[0].second, IconeMessage::Avertissement);
  EXPECT_TRUE(rapport_.questions.empty());
  EXPECT_FALSE(fs::exists(dir_.file("not")));

  rapport_ = {};
  EXPECT_FALSE(verifie(false, [](const fs::path&) { return std::optional<uint64_t>(); }).ok);
  ASSERT_EQ(rapport_.messages.size(), 1u);
  EXPECT_EQ(rapport_.messages[0].first, "The selected directory is not valid.\nPlease, choose another one.");
  EXPECT_EQ(rapport_.messages[0].second, IconeMessage::Avertissement);
}

TEST_F(VerifDemarrage, KindAndNeededSize) {
  struct Cas {
    const char* nom;
    bool declenche;
    uint32_t filtrage, preTrig, continu, tailleChoisie;
    uint64_t taille;
    uint8_t unite;
    uint64_t zonePreTrig;
    int32_t type;
    uint64_t zone, besoin;
  };
  const std::vector<Cas> cas = {
      {"free run ignores pre-trigger", false, 0, 1, 0, 1, 3, UNITE_KO, 5000, 0, 3072, 3072},
      {"triggered", true, 0, 0, 0, 1, 2, UNITE_MO, 0, 1, 2048000, 2048000},
      {"frame filtering first", true, 1, 1, 0, 1, 1, UNITE_GO, 0, 2, 1024000000, 1024000000},
      {"pre-trigger adds its zone", true, 0, 1, 0, 1, 1, UNITE_KO, 5000, 3, 1024, 6024},
      {"pre-trigger without size limit", true, 0, 1, 0, 0, 1, UNITE_KO, 5000, 3, 0, 5000},
      {"pre-trigger zone raised", true, 0, 1, 0, 0, 1, UNITE_KO, 1000, 3, 0, 2780},
      {"continuous forbids pre-trigger", true, 0, 1, 1, 1, 10, UNITE_MO, 5000, 1, 10240000, 10240000},
      {"continuous KB minimum", false, 0, 0, 1, 1, 5, UNITE_KO, 0, 0, 10240000, 10240000},
      {"continuous MB minimum", false, 0, 0, 1, 1, 5, UNITE_MO, 0, 0, 10240000, 10240000},
      {"continuous GB minimum", false, 0, 0, 1, 1, 0, UNITE_GO, 0, 0, 1024000000, 1024000000},
      {"continuous above minimum", false, 0, 0, 1, 1, 12, UNITE_MO, 0, 0, 12288000, 12288000},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.nom);
    Configuration cfg;
    cfg.cheminFichierAcq = dir_.file("acq.dat");
    cfg.bFiltrageTrames = c.filtrage;
    cfg.preTrig.bPreTrig = c.preTrig;
    cfg.preTrig.ullTailleEquivalente = c.zonePreTrig;
    cfg.postTrig.bContinue = c.continu;
    cfg.postTrig.bTailleChoisie = c.tailleChoisie;
    cfg.postTrig.ullTaille = c.taille;
    cfg.postTrig.ucUnite = c.unite;
    RapportTest r;
    const VerificationDemarrage v = VerifieDemarrage(cfg, c.declenche, false, r, kDisqueLibre);
    EXPECT_TRUE(v.ok);
    EXPECT_EQ(v.enTypeAcq, c.type);
    EXPECT_EQ(v.ullTaillePostTrig, c.zone);
    EXPECT_EQ(v.ullTailleNecessaire, c.besoin);
  }
}

TEST_F(VerifDemarrage, CorrectionsAreWrittenBackIntoTheConfiguration) {
  config_.preTrig.bPreTrig = 1;
  config_.preTrig.ullTailleEquivalente = 1000;
  config_.postTrig.bContinue = 1;
  config_.postTrig.ullTaille = 5;
  config_.postTrig.ucUnite = UNITE_MO;
  verifie(true);
  // Continuous: no pre-trigger, so its zone is left alone.
  EXPECT_EQ(config_.preTrig.ullTailleEquivalente, 1000u);
  EXPECT_EQ(config_.postTrig.ullTaille, 10u);

  config_.postTrig.bContinue = 0;
  verifie(true);
  EXPECT_EQ(config_.preTrig.ullTailleEquivalente, 2780u);
}

}  // namespace
}  // namespace brv
