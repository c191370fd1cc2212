// User data files: entries, names and bit fields as the detail and the export look them up.

#include <gtest/gtest.h>

#include <fstream>

#include "brv_core/userdata/user_data.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

class UserData : public ::testing::Test {
 protected:
  LectureDonneesUtilisateur lit(const std::string& texte) {
    std::ofstream(path_) << texte;
    return LitDonneesUtilisateur(path_, liste_);
  }
  test::TempDir dir_;
  std::string path_ = dir_.file("plant.csv");
  std::vector<DONNEE_UTILISATEUR> liste_;
};

constexpr const char* kPlant =
    "// plant line 4\n"
    "Pump speed;ID;3!2;0x0100;;;\n"
    "Speed value;FIELD;3!2;0x0100;;;24;16;DEC;S;LSB\n"
    "Pump name;FIELD;3!2;0x0100;;;8;32;ASCII;;\n"
    "\n"
    "Any variable;ID;3;;;;\n"
    "  Drive 12  ;DEST;0x14;;0x0D00;;\n"
    "Telegrams to 5;DEST;0x14!0x94;;!5;;\n";

TEST_F(UserData, ReadsEntriesNamesAndFields) {
  const auto r = lit(kPlant);
  ASSERT_EQ(r.resultat, LectureDonneesUtilisateur::Ok) << r.message;
  ASSERT_EQ(liste_.size(), 4u);
  const DONNEE_UTILISATEUR& pompe = liste_[0];
  EXPECT_EQ(pompe.types, (std::vector<uint8_t>{3, 2}));
  EXPECT_TRUE(pompe.bIdentifiant);
  EXPECT_EQ(pompe.usIdentifiant, 0x0100);
  EXPECT_EQ(pompe.nomIdentifiant, "Pump speed");
  ASSERT_EQ(pompe.champs.size(), 2u);  // same key: the lines complete one entry
  EXPECT_EQ(pompe.champs[0].usDebut, 24);
  EXPECT_EQ(pompe.champs[0].ulInterpretation, UD_DEC);
  EXPECT_TRUE(pompe.champs[0].bSigne);
  EXPECT_TRUE(pompe.champs[0].bLSB);
  EXPECT_EQ(pompe.champs[1].ulInterpretation, UD_ASCII);
  EXPECT_EQ(liste_[2].nomDestination, "Drive 12");
  EXPECT_TRUE(liste_[2].destination.bDeuxPremiers);
  EXPECT_FALSE(liste_[2].destination.bTroisieme);
  EXPECT_FALSE(liste_[3].destination.bDeuxPremiers);
  EXPECT_EQ(liste_[3].destination.ucTroisieme, 5);
}

TEST_F(UserData, InvalidLinesNameTheirLineAndKeepThePreviousList) {
  ASSERT_EQ(lit(kPlant).resultat, LectureDonneesUtilisateur::Ok);
  struct Cas {
    const char* texte;
    uint64_t ligne;
  };
  const std::string long51(51, 'n');
  const std::string ligne51 = "// first\n" + long51 + ";ID;3;1;;;\n";
  const Cas cas[] = {
      {"// only a comment\n;ID;3;1;;;\n", 2},
      {ligne51.c_str(), 2},
      {"ok;ID;3;1;;;\n;x\n", 2},
      {" ;ID;3;1;;;\n", 1},
      {"name;ID;;1;;;\n", 1},
      {"name;ID;3;zz;;;\n", 1},
      {"name;ID;3!x;1;;;\n", 1},
      {"field;F;3;1;;;8\n", 1},
      {"field;F;3;1;;;eight;8;HEXA\n", 1},
      {"\n\n\nname;DEST;0x14;;0x10000;;\n", 4},
  };
  for (const auto& c : cas) {
    const auto r = lit(c.texte);
    EXPECT_EQ(r.resultat, LectureDonneesUtilisateur::Invalide) << c.texte;
    EXPECT_EQ(r.ligne, c.ligne) << c.texte;
    EXPECT_EQ(r.message, "Invalid user data file (line " + std::to_string(c.ligne) + ")");
    EXPECT_EQ(liste_.size(), 4u);
  }
  EXPECT_EQ(lit(std::string(50, 'n') + ";ID;3;1;;;\n").resultat, LectureDonneesUtilisateur::Ok);
  EXPECT_EQ(LitDonneesUtilisateur(dir_.file("absent.csv"), liste_).message, "Error opening the user data file");
  EXPECT_EQ(liste_.size(), 1u);
}

TEST_F(UserData, LookupByFrameClass) {
  ASSERT_EQ(lit(kPlant).resultat, LectureDonneesUtilisateur::Ok);
  const uint8_t idPompe[] = {0x03, 0x01, 0x00, 0, 0};
  const uint8_t idAutre[] = {0x03, 0x02, 0x00, 0, 0};
  const uint8_t reponse[] = {0x02, 0x40, 0x04, 0x34, 0x12, 0, 0};
  const uint8_t message[] = {0x14, 0x0D, 0x00, 0x07, 0x0D, 0x00, 0x03, 0xF5, 0, 0};
  const uint8_t message5[] = {0x94, 0x09, 0x00, 0x05, 0x09, 0x00, 0x03, 0xF5, 0, 0};
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, 5, idPompe, false, 0), &liste_[0]);
  // An ID_DAT entry without identifier names every other ID_DAT.
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, 5, idAutre, false, 0), &liste_[1]);
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, 7, reponse, true, 0x0100), &liste_[0]);
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, 7, reponse, true, 0x0200), nullptr);
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, 7, reponse, false, 0), nullptr);
  // Destination's first two bytes only: any third byte, any source.
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, sizeof message, message, false, 0), &liste_[2]);
  EXPECT_EQ(ChercheDonneeUtilisateur(liste_, sizeof message5, message5, false, 0), &liste_[3]);
}

TEST_F(UserData, FieldValuesInTheirInterpretation) {
  const uint8_t trame[] = {0x02, 'P', 'u', 'm', 'p', 0xFE, 0xFF, 0x00};
  CHAMP_UTILISATEUR c;
  c.usDebut = 8;
  c.usLongueur = 32;
  c.ulInterpretation = UD_ASCII;
  EXPECT_EQ(ValeurChampUtilisateur(c, sizeof trame, trame), "Pump");
  c.usDebut = 40;
  c.usLongueur = 16;
  c.ulInterpretation = UD_DEC;
  c.bSigne = true;
  c.bLSB = true;
  EXPECT_EQ(ValeurChampUtilisateur(c, sizeof trame, trame), "-2 (d)");
  c.bLSB = false;
  c.bSigne = false;
  c.ulInterpretation = UD_HEXA;
  EXPECT_EQ(ValeurChampUtilisateur(c, sizeof trame, trame), "FEFF (h)");
  c.usLongueur = 4;
  c.ulInterpretation = UD_BIN;
  EXPECT_EQ(ValeurChampUtilisateur(c, sizeof trame, trame), "1110 (b)");
  c.usDebut = 60;
  c.usLongueur = 8;
  EXPECT_EQ(ValeurChampUtilisateur(c, sizeof trame, trame), "");  // past the frame
}

}  // namespace
}  // namespace brv
