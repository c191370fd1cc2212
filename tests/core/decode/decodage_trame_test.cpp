#include "brv_core/decode/decodage_trame.h"

#include <gtest/gtest.h>

#include "outils_trame.h"

namespace brv {
namespace {

using test::AvecCrc;
using test::Decoder;
using test::Octets;
using test::TrameLongueur;

class DecodageTrame : public ::testing::Test {
 protected:
  DescriptionCapture capture_;
  CDecodageTrame decodeur_{capture_};
};

TEST_F(DecodageTrame, IdDatExample) {
  const auto r = Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E, 0x06});
  EXPECT_EQ(r.resultat, TRAME_OK);
  EXPECT_EQ(r.texte, "ID_DAT(9002)  CRC : 9E06");
  EXPECT_EQ(r.annotation, "Check_Stations_Presence variable (Request)");
}

TEST_F(DecodageTrame, PaddingReplacesTheLineAndKeepsTheAnnotation) {
  decodeur_.DefinitBourrage(true, 0x9002);
  const auto r = Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E, 0x06});
  EXPECT_EQ(r.texte, "Padding");
  EXPECT_EQ(r.annotation, "Check_Stations_Presence variable (Request)");

  // Another identifier, or another identification type, renders normally.
  EXPECT_EQ(Decoder(decodeur_, AvecCrc({0x03, 0x90, 0x03})).texte.rfind("ID_DAT(9003)", 0), 0u);
  EXPECT_EQ(Decoder(decodeur_, AvecCrc({0x05, 0x90, 0x02})).texte.rfind("ID_MSG(9002)", 0), 0u);
  decodeur_.DefinitBourrage(false, 0x9002);
  EXPECT_EQ(Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E, 0x06}).texte, "ID_DAT(9002)  CRC : 9E06");
}

struct LimiteType {
  uint8_t controle;
  const char* nom;
  size_t min;
  size_t max;
};

// Names and lengths as the frames list shows them; request lists also need an even list.
const LimiteType kLimites[] = {
    {0x03, "ID_DAT", 5, 5},           {0x05, "ID_MSG", 5, 5},
    {0x29, "ID_RQ1", 5, 5},           {0x09, "ID_RQ2", 5, 5},
    {0x02, "RP_DAT", 5, 131},         {0x06, "RP_DAT_MSG", 5, 131},
    {0x2A, "RP_DAT_RQ1", 5, 131},     {0x0A, "RP_DAT_RQ2", 5, 131},
    {0x2E, "RP_DAT_RQ1_MSG", 5, 131}, {0x0E, "RP_DAT_RQ2_MSG", 5, 131},
    {0x14, "RP_MSG_ACK even", 9, 265}, {0x94, "RP_MSG_ACK odd", 9, 265},
    {0x04, "RP_MSG_NOACK", 9, 265},   {0x30, "RP_ACK+ even", 3, 3},
    {0xB0, "RP_ACK+ odd", 3, 3},      {0x10, "RP_ACK- even", 3, 3},
    {0x90, "RP_ACK- odd", 3, 3},      {0x28, "RP_RQ1", 5, 131},
    {0x08, "RP_RQ2", 5, 131},         {0x40, "RP_FIN", 3, 3},
};

TEST_F(DecodageTrame, EachTypeAtAndBeyondItsLengthLimits) {
  for (const LimiteType& l : kLimites) {
    SCOPED_TRACE(l.nom);
    const std::string tete = std::string(l.nom) + "(";
    for (size_t len : {l.min, l.max}) {
      const auto r = Decoder(decodeur_, TrameLongueur(l.controle, len));
      EXPECT_EQ(r.resultat, TRAME_OK) << len;
      EXPECT_EQ(r.texte.rfind(tete, 0), 0u) << r.texte;
    }
    std::string sansTexte = "x";
    EXPECT_EQ(decodeur_.DecodeTrame(static_cast<uint16_t>(l.max), TrameLongueur(l.controle, l.max).data(), nullptr,
                                    false, sansTexte),
              TRAME_OK);
    EXPECT_TRUE(sansTexte.empty());

    EXPECT_EQ(Decoder(decodeur_, TrameLongueur(l.controle, l.min - 1)).resultat, TRAME_TROP_COURTE);
    EXPECT_EQ(Decoder(decodeur_, TrameLongueur(l.controle, l.max + 1)).resultat, TRAME_TROP_LONGUE);
    EXPECT_EQ(Decoder(decodeur_, TrameLongueur(l.controle, 1)).resultat, TRAME_TROP_COURTE);
    // Zero length: no control byte is read, the frame is too short.
    EXPECT_EQ(Decoder(decodeur_, Octets{l.controle}, false, 0).resultat, TRAME_TROP_COURTE);
  }
}

TEST_F(DecodageTrame, EmptyFrameIsTooShortWithoutReadingItsBuffer) {
  const auto r = Decoder(decodeur_, Octets{0x77}, false, 0);
  EXPECT_EQ(r.resultat, TRAME_TROP_COURTE);
  EXPECT_EQ(r.texte, "Error: Too short frame -");
  std::string annotation;
  EXPECT_EQ(decodeur_.DecodeTrame(0, nullptr, nullptr, false, annotation), TRAME_TROP_COURTE);
}

TEST_F(DecodageTrame, LengthIsCheckedBeforeCrc) {
  Octets o = TrameLongueur(0x02, 132);
  o.back() ^= 0xFF;
  EXPECT_EQ(Decoder(decodeur_, o).resultat, TRAME_TROP_LONGUE);
  o = TrameLongueur(0x28, 6);
  o.back() ^= 0xFF;
  EXPECT_EQ(Decoder(decodeur_, o).resultat, TRAME_LONGUEUR_INVALIDE);
}

TEST_F(DecodageTrame, RequestListNeedsAnEvenList) {
  const auto impaire = Decoder(decodeur_, AvecCrc({0x28, 0x01, 0x02, 0x03}));
  EXPECT_EQ(impaire.resultat, TRAME_LONGUEUR_INVALIDE);
  EXPECT_EQ(impaire.texte.rfind("Error: Invalid frame length - 28 01 02 03 ", 0), 0u);
  const Octets paire = AvecCrc({0x28, 0x01, 0x02, 0x03, 0x04});
  EXPECT_EQ(Decoder(decodeur_, paire).texte,
            "RP_RQ1(0102 0304)  CRC : " + test::Hex4(paire[5] << 8 | paire[6]));
}

TEST_F(DecodageTrame, RenderingOfEachClass) {
  struct Cas {
    Octets sansCrc;
    const char* attendu;  // the CRC digits follow
  };
  const Cas cas[] = {
      {{0x09, 0x00, 0x1F}, "ID_RQ2(001F)  CRC : "},
      {{0x02, 0x0A, 0xB1}, "RP_DAT(0A B1)  CRC : "},
      {{0x0E, 0x00, 0x01, 0xFF}, "RP_DAT_RQ2_MSG(00 01 FF)  CRC : "},
      {{0x14, 0x09, 0x10, 0x02, 0x09, 0x20, 0x05}, "RP_MSG_ACK even(0910 02 0920 05)  CRC : "},
      {{0x04, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}, "RP_MSG_NOACK(1234 56 789A BC DE F0)  CRC : "},
      {{0x08, 0xAB, 0xCD}, "RP_RQ2(ABCD)  CRC : "},
      {{0x40}, "RP_FIN()  CRC : "},
      {{0xB0}, "RP_ACK+ odd()  CRC : "},
  };
  for (const Cas& c : cas) {
    const Octets o = AvecCrc(c.sansCrc);
    const auto r = Decoder(decodeur_, o);
    EXPECT_EQ(r.resultat, TRAME_OK);
    EXPECT_EQ(r.texte, c.attendu + test::Hex4(o[o.size() - 2] << 8 | o.back()));
  }
}

TEST_F(DecodageTrame, WorldFipFraming) {
  capture_.bTramesTypeFip = 0;
  const Octets wf = AvecCrc({0x03, 0x90, 0x02}, false);
  EXPECT_EQ(Decoder(decodeur_, wf).resultat, TRAME_OK);
  EXPECT_EQ(Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E, 0x06}).resultat, TRAME_CRC);
}

TEST_F(DecodageTrame, Markers) {
  struct Cas {
    Octets octets;
    ErreurTrame resultat;
    const char* texte;
  };
  const char* inconnu = "Error: Impossible to determine frame type (Unknown control) -";
  const Cas cas[] = {
      {{0xFC, 0xFC}, TRAME_INTERRUPTION_PC, "Error: Acquisition interruption due to computer activity"},
      {{0xFE, 0xFE}, TRAME_DELIMITEUR, "Error: Frame start delimiter incorrect or unknown"},
      {{0xFD, 0xFD}, TRAME_GLITCH, "Error: Line glitch"},
      {{0xFD, 0x00}, TRAME_CONTROLE_INCONNU, " FD 00"},
      {{0xFC, 0xFE}, TRAME_CONTROLE_INCONNU, " FC FE"},
      {{0xFE, 0xFE, 0xFE}, TRAME_CONTROLE_INCONNU, " FE FE FE"},
      {{0xFD}, TRAME_CONTROLE_INCONNU, " FD"},
      {{0x00}, TRAME_CONTROLE_INCONNU, " 00"},
      {{0x01, 0x02, 0x03, 0x04, 0x05}, TRAME_CONTROLE_INCONNU, " 01 02 03 04 05"},
  };
  for (const Cas& c : cas) {
    const auto r = Decoder(decodeur_, c.octets);
    EXPECT_EQ(r.resultat, c.resultat);
    const std::string attendu = c.resultat == TRAME_CONTROLE_INCONNU ? inconnu + std::string(c.texte) : c.texte;
    EXPECT_EQ(r.texte, attendu);
    EXPECT_TRUE(r.annotation.empty());
    std::string a;
    EXPECT_EQ(decodeur_.DecodeTrame(static_cast<uint16_t>(c.octets.size()), c.octets.data(), nullptr, false, a),
              c.resultat);
  }
}

TEST_F(DecodageTrame, ErrorTextsWithByteDump) {
  EXPECT_EQ(Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E, 0x06, 0x00}).texte,
            "Error: Too long frame - 03 90 02 9E 06 00");
  EXPECT_EQ(Decoder(decodeur_, {0x03, 0x90, 0x02, 0x9E}).texte, "Error: Too short frame - 03 90 02 9E");
  EXPECT_EQ(Decoder(decodeur_, {0x03}, false, 0).texte, "Error: Too short frame -");

  const auto crc = Decoder(decodeur_, {0x03, 0x90, 0x02, 0x12, 0x34});
  EXPECT_EQ(crc.resultat, TRAME_CRC);
  EXPECT_EQ(crc.texte, "Error: Erroneous CRC (read = 0x1234, calculated = 0x9E06) - 03 90 02 12 34");
  EXPECT_TRUE(crc.annotation.empty());
}

TEST_F(DecodageTrame, AnnotationIsClearedWithoutText) {
  std::string annotation = "old";
  const uint8_t trame[] = {0x03, 0x90, 0x02, 0x9E, 0x06};
  EXPECT_EQ(decodeur_.DecodeTrame(5, trame, nullptr, false, annotation), TRAME_OK);
  EXPECT_TRUE(annotation.empty());
}

// Short form: more than 259 characters is cut to exactly 259, "..." before the tail.
TEST_F(DecodageTrame, ShortFormBoundary) {
  const std::string queue = ")  CRC : ";
  // RP_DAT( + 80 bytes + tail = 259: kept whole.
  const auto entier = Decoder(decodeur_, TrameLongueur(0x02, 83), true);
  EXPECT_EQ(entier.texte.size(), 259u);
  EXPECT_EQ(entier.texte.find("..."), std::string::npos);

  // RP_DAT_MSG( + 79 bytes + tail = 260: cut.
  const auto coupe = Decoder(decodeur_, TrameLongueur(0x06, 82), true);
  EXPECT_EQ(coupe.texte.size(), 259u);
  EXPECT_EQ(coupe.texte.find("..." + queue), 259u - 16u);

  const Octets max = TrameLongueur(0x02, 131);
  const auto court = Decoder(decodeur_, max, true);
  const auto long_ = Decoder(decodeur_, max, false);
  EXPECT_EQ(court.texte.size(), 259u);
  EXPECT_EQ(court.texte.substr(259 - 16), "..." + queue + test::Hex4(max[129] << 8 | max[130]));
  EXPECT_EQ(long_.texte.size(), 7u + 383u + 13u);
  EXPECT_EQ(court.texte.substr(0, 259 - 16), long_.texte.substr(0, 259 - 16));
}

TEST_F(DecodageTrame, LongestValidFramesFitTheLongForm) {
  const auto message = Decoder(decodeur_, TrameLongueur(0x94, 265));
  EXPECT_EQ(message.resultat, TRAME_OK);
  EXPECT_EQ(message.texte.size(), 15u + 783u + 13u);
  EXPECT_EQ(message.texte.find("..."), std::string::npos);
  EXPECT_EQ(Decoder(decodeur_, TrameLongueur(0x94, 265), true).texte.size(), 259u);
}

// Error dumps: the tail is empty; long form cut from 880 characters to 879.
TEST_F(DecodageTrame, ErrorDumpBoundaries) {
  const size_t lgInconnu = 61;
  Octets inconnu(273, 0xAA);
  inconnu[0] = 0x01;

  auto r = Decoder(decodeur_, inconnu, false, 272);
  EXPECT_EQ(r.texte.size(), lgInconnu + 3 * 272);
  EXPECT_EQ(r.texte.find("..."), std::string::npos);
  r = Decoder(decodeur_, inconnu, false, 273);  // exactly 880
  EXPECT_EQ(r.texte.size(), 879u);
  EXPECT_EQ(r.texte.substr(876), "...");
  EXPECT_EQ(r.texte.substr(lgInconnu, 6), " 01 AA");

  r = Decoder(decodeur_, inconnu, true, 66);  // exactly 259
  EXPECT_EQ(r.texte.size(), 259u);
  EXPECT_EQ(r.texte.substr(256), " AA");
  r = Decoder(decodeur_, inconnu, true, 67);
  EXPECT_EQ(r.texte.size(), 259u);
  EXPECT_EQ(r.texte.substr(256), "...");

  // A too-long message: 285 bytes give 878 characters, 286 give 881.
  EXPECT_EQ(Decoder(decodeur_, TrameLongueur(0x14, 285)).texte.size(), 23u + 3 * 285);
  const auto coupe = Decoder(decodeur_, TrameLongueur(0x14, 286));
  EXPECT_EQ(coupe.resultat, TRAME_TROP_LONGUE);
  EXPECT_EQ(coupe.texte.size(), 879u);
  EXPECT_EQ(coupe.texte.rfind("Error: Too long frame - 14 01 02", 0), 0u);
  EXPECT_EQ(coupe.texte.substr(876), "...");

  // Far beyond the row, the line stays bounded.
  Octets enorme(60000, 0x55);
  EXPECT_EQ(Decoder(decodeur_, enorme).texte.size(), 879u);
}

TEST(DecodageTrameNom, ResultNames) {
  EXPECT_STREQ(NomErreurTrame(TRAME_OK), "TRAME_OK");
  EXPECT_STREQ(NomErreurTrame(TRAME_CRC), "TRAME_CRC");
  EXPECT_STREQ(NomErreurTrame(TRAME_LONGUEUR_INVALIDE), "TRAME_LONGUEUR_INVALIDE");
  EXPECT_STREQ(NomErreurTrame(9), "?");
  EXPECT_STREQ(NomErreurTrame(-1), "?");
}

}  // namespace
}  // namespace brv
