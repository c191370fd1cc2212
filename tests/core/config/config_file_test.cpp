// Configuration files: every field survives a round trip in both identifier forms, defaults
// reload as defaults, and a damaged file leaves the configuration exactly as it was.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "brv_core/file/config_file.h"
#include "core/config/config_builders.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

std::vector<uint8_t> lire(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

Configuration defaut() {
  Configuration c;
  ConfigurationParDefaut(c, "/tmp/brenvale.dat");
  return c;
}

class ConfigFile : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string path_ = dir_.file("setup.cfg");
};

TEST_F(ConfigFile, EveryFieldSurvivesARoundTripInBothForms) {
  for (bool apresCapture : {false, true}) {
    SCOPED_TRACE(apresCapture);
    const Configuration ecrite = test::configuration_complete();
    ASSERT_EQ(EnregistrerConfiguration(path_, apresCapture, ecrite), ResultatConfiguration::Ok);
    Configuration lue = defaut();
    ASSERT_EQ(OuvrirConfiguration(path_, apresCapture, lue), ResultatConfiguration::Ok);
    // The form written after a capture was opened has no identifiers: they read back as 0.
    const Configuration attendue = apresCapture ? test::sans_identifiants(ecrite) : ecrite;
    EXPECT_EQ(ChampsConfiguration(lue, true).size(), ChampsConfiguration(attendue, true).size());
    EXPECT_TRUE(lue == attendue);
  }
}

TEST_F(ConfigFile, NewConfigurationReloadsAsDefaults) {
  ASSERT_EQ(EnregistrerConfiguration(path_, false, defaut()), ResultatConfiguration::Ok);
  Configuration lue = test::configuration_complete();
  ASSERT_EQ(OuvrirConfiguration(path_, false, lue), ResultatConfiguration::Ok);
  EXPECT_EQ(lue.vues.configReseau.ullNs, 1000000000u);
  EXPECT_EQ(lue.vues.debitInstantane.ullNs, 1000000000u);
  EXPECT_EQ(lue.vues.usNbPointsMemorises, 100);
  EXPECT_EQ(lue.ulModeFiltre, 1u);
  EXPECT_EQ(lue.postTrig.bTailleChoisie, 1u);
  EXPECT_EQ(lue.postTrig.ullTaille, 1u);
  EXPECT_EQ(lue.postTrig.ucUnite, UNITE_MO);
  EXPECT_EQ(lue.declenchement.nb, 0);
  EXPECT_TRUE(lue == defaut());
}

TEST_F(ConfigFile, DefinitionRecordSizesAndNames) {
  Configuration c = defaut();
  ASSERT_EQ(EnregistrerConfiguration(path_, false, c), ResultatConfiguration::Ok);
  const size_t vide = lire(path_).size();

  c.declenchement.nb = 1;
  c.declenchement.defs[0] = test::definition(std::string(50, 'N'), 0x03, 0x9002, 0, 0);
  ASSERT_EQ(EnregistrerConfiguration(path_, false, c), ResultatConfiguration::Ok);
  const auto octets = lire(path_);
  EXPECT_EQ(octets.size() - vide, 59u);  // 51 + 1 + 2 + 1 + 4

  ASSERT_EQ(EnregistrerConfiguration(path_, true, c), ResultatConfiguration::Ok);
  EXPECT_EQ(lire(path_).size() - vide, 57u);  // no identifier once a capture was opened

  // The name: 50 characters and a single NUL, right after the trigger count.
  const size_t debutDef = 16 + 4 + c.cheminFichierAcq.size() + 4 + 32 + 24 + 1;
  EXPECT_EQ(std::string(octets.begin() + debutDef, octets.begin() + debutDef + 50), std::string(50, 'N'));
  EXPECT_EQ(octets[debutDef + 50], 0);
  EXPECT_EQ(octets[debutDef + 51], 0x03);
}

TEST_F(ConfigFile, DamagedFilesLeaveTheConfigurationUnchanged) {
  ASSERT_EQ(EnregistrerConfiguration(path_, false, test::configuration_complete()), ResultatConfiguration::Ok);
  const auto bon = lire(path_);
  const Configuration avant = defaut();

  auto essaie = [&](const std::vector<uint8_t>& octets) {
    test::write_bytes(path_, octets);
    Configuration c = avant;
    const auto r = OuvrirConfiguration(path_, false, c);
    EXPECT_TRUE(c == avant);
    return r;
  };

  auto magie = bon;
  magie[15] = '2';  // "CONFIG BRNV 5.02"
  EXPECT_EQ(essaie(magie), ResultatConfiguration::Invalide);
  EXPECT_STREQ(MessageConfiguration(ResultatConfiguration::Invalide), "Configuration file invalid.");

  for (size_t lg = 0; lg < bon.size(); lg += 7) {
    SCOPED_TRACE(lg);
    EXPECT_EQ(essaie(std::vector<uint8_t>(bon.begin(), bon.begin() + static_cast<std::ptrdiff_t>(lg))),
              ResultatConfiguration::Invalide);
  }

  // 21 trigger definitions do not fit the 20 slots.
  Configuration vingtEtUn = defaut();
  ASSERT_EQ(EnregistrerConfiguration(path_, false, vingtEtUn), ResultatConfiguration::Ok);
  auto trop = lire(path_);
  const size_t posNombre = 16 + 4 + vingtEtUn.cheminFichierAcq.size() + 4 + 32 + 24;
  trop[posNombre] = 21;
  EXPECT_EQ(essaie(trop), ResultatConfiguration::Invalide);

  Configuration c = avant;
  EXPECT_EQ(OuvrirConfiguration(dir_.file("absent.cfg"), false, c), ResultatConfiguration::ErreurOuverture);
  EXPECT_EQ(EnregistrerConfiguration(dir_.file("no/dir/x.cfg"), false, c), ResultatConfiguration::ErreurCreation);
}

TEST_F(ConfigFile, EitherIdentifierFormIsRecognised) {
  const Configuration ecrite = test::configuration_complete();
  // Saved before any capture was opened, read after one was: the identifiers still come back.
  ASSERT_EQ(EnregistrerConfiguration(path_, false, ecrite), ResultatConfiguration::Ok);
  Configuration lue = defaut();
  ASSERT_EQ(OuvrirConfiguration(path_, true, lue), ResultatConfiguration::Ok);
  EXPECT_TRUE(lue == ecrite);

  // And the other way round.
  ASSERT_EQ(EnregistrerConfiguration(path_, true, ecrite), ResultatConfiguration::Ok);
  lue = defaut();
  ASSERT_EQ(OuvrirConfiguration(path_, false, lue), ResultatConfiguration::Ok);
  EXPECT_EQ(NomDefinition(lue.filtre.defs[7]), "Filter 7");
  EXPECT_EQ(lue.filtre.defs[7].usIdentifiant, 0);
  EXPECT_EQ(lue.ulModeFiltre, 2u);

  // Bytes after the body fit neither form exactly: the flag decides, as ever.
  auto octets = lire(path_);
  octets.push_back(0);
  test::write_bytes(path_, octets);
  lue = defaut();
  ASSERT_EQ(OuvrirConfiguration(path_, true, lue), ResultatConfiguration::Ok);
  EXPECT_EQ(lue.ulModeFiltre, 2u);
}

TEST_F(ConfigFile, EmbeddedVariantCarriesItsExtrasAndMarksTheDisplaySection) {
  Configuration c = test::configuration_complete();
  c.extras.ulAvantAcquisition = 0xCAFE;
  c.extras.apresModeFiltre = {7, 8};
  c.extras.apresBourrageAffichage = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ByteWriter a, b;
  EcrireSectionAcquisition(a, c, FormeConfiguration{true, true});
  EcrireSectionAffichage(b, c, FormeConfiguration{true, true});
  std::vector<uint8_t> octets(100, 0x55);  // stands for the capture in front
  octets.insert(octets.end(), a.data().begin(), a.data().end());
  octets.insert(octets.end(), b.data().begin(), b.data().end());
  test::write_bytes(path_, octets);

  FILE* f = std::fopen(path_.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  ByteReader in(fileno(f), 100, octets.size());
  Configuration lue = defaut();
  uint64_t debutB = 0;
  ASSERT_TRUE(LireCorpsConfiguration(in, FormeConfiguration{true, true}, lue, &debutB));
  std::fclose(f);
  EXPECT_EQ(debutB, 100 + a.size());
  EXPECT_EQ(lue.extras, c.extras);
  EXPECT_TRUE(lue == test::sans_identifiants(c));
}

TEST(ConfigFileRecord, OneDefinitionAloneRoundTripsAndRefusesAnythingElse) {
  DEFINITION_TRAME d = test::definition("Copied", 0x05, 0x0D03, 3, 4);
  d.bNePasDissocierRP = 1;
  d.bUtilisee = 1;
  const std::vector<uint8_t> octets = EcrireDefinitionSeule(d);
  // Name, type, identifier, count, three conditions, order, option, in use.
  ASSERT_EQ(octets.size(), 51u + 1 + 2 + 1 + 3 * 32 + 4 + 4 + 4);
  DEFINITION_TRAME lue;
  ASSERT_TRUE(LireDefinitionSeule(octets, lue));
  EXPECT_EQ(lue, d);

  const DEFINITION_TRAME temoin = test::definition("Untouched", 0x02, 1, 1, 9);
  std::vector<uint8_t> trop = octets;
  trop.push_back(0);
  std::vector<uint8_t> compteFaux = octets;
  compteFaux[51 + 1 + 2] = 4;  // announces a condition the bytes do not hold
  const struct {
    const char* cas;
    std::vector<uint8_t> octets;
  } refus[] = {
      {"empty", {}},
      {"cut in the last field", std::vector<uint8_t>(octets.begin(), octets.end() - 1)},
      {"cut in the name", std::vector<uint8_t>(octets.begin(), octets.begin() + 20)},
      {"a byte too many", trop},
      {"count beyond the bytes", compteFaux},
  };
  for (const auto& r : refus) {
    SCOPED_TRACE(r.cas);
    DEFINITION_TRAME x = temoin;
    EXPECT_FALSE(LireDefinitionSeule(r.octets, x));
    EXPECT_EQ(x, temoin);
  }
}

TEST(Configuration, SizesInBytesAndDurations) {
  ZonePostTrig z;
  z.ullTaille = 5;
  z.ucUnite = UNITE_MO;
  EXPECT_EQ(z.taille_octets(), 5u * 1000 * 1024);
  z.ucUnite = UNITE_KO;
  EXPECT_EQ(z.taille_octets(), 5u * 1024);
  z.ucUnite = UNITE_GO;
  EXPECT_EQ(z.taille_octets(), 5ULL * 1000 * 1000 * 1024);
  EXPECT_EQ((DureeJHMS{1, 2, 3, 4}).en_secondes(), 1u + 120 + 3 * 3600 + 4 * 86400);
}

}  // namespace
}  // namespace brv
