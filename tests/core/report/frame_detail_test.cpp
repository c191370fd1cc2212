// Frame detail report: network-management variables, identifier texts, line events, CRC errors,
// channels, user-data names and bit fields, UNI-TE messaging and the failure pages.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "brv_core/analysis/monitor.h"
#include "brv_core/decode/crc.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/report/frame_detail.h"
#include "support/capture_builder.h"
#include "support/recalculated_capture.h"
#include "support/quiet_reporter.h"

namespace brv {
namespace {

using Octets = std::vector<uint8_t>;

Octets avec_crc(Octets f) {
  const uint16_t crc = CrcTrame(true, f.data(), static_cast<uint32_t>(f.size()));
  f.push_back(static_cast<uint8_t>(crc >> 8));
  f.push_back(static_cast<uint8_t>(crc));
  return f;
}

bool contient(const std::string& page, const std::string& texte) { return page.find(texte) != std::string::npos; }

size_t compte(const std::string& page, const std::string& texte) {
  size_t n = 0;
  for (size_t p = page.find(texte); p != std::string::npos; p = page.find(texte, p + 1)) ++n;
  return n;
}

class FrameDetail : public ::testing::Test {
 protected:
  void capture(const std::vector<test::TestRecord>& recs, uint32_t boitier = vandrel::BT_ZIZA_BI) {
    test::capture_relue(path_, recs, boitier, doc_, fichier_, resultat_);
  }
  // Frames 1000 date units apart, all on channel 1 unless a status says otherwise.
  void trames(const std::vector<Octets>& frames, uint32_t boitier = vandrel::BT_ZIZA_BI) {
    std::vector<test::TestRecord> recs;
    uint64_t date = 0;
    for (const auto& f : frames) recs.push_back({date += 1000, f, 0});
    capture(recs, boitier);
  }
  std::string page(uint64_t ligne) { return PageDetailTrame(doc_, fichier_, ligne, donnees_ ? &*donnees_ : nullptr); }
  void donnees(const std::string& texte) {
    const std::string csv = dir_.file("plant.csv");
    std::ofstream(csv) << texte;
    donnees_.emplace();
    ASSERT_EQ(LitDonneesUtilisateur(csv, *donnees_).resultat, LectureDonneesUtilisateur::Ok);
  }

  test::TempDir dir_;
  std::string path_ = dir_.file("capture.dat");
  test::RapportSilencieux rapport_;
  CBrenvaleDoc doc_{rapport_, dir_.file("")};
  AcqFile fichier_;
  ResultatTache resultat_;
  std::optional<std::vector<DONNEE_UTILISATEUR>> donnees_;
};

TEST_F(FrameDetail, NetworkVariablesFollowTheAnsweredIdentifier) {
  trames({avec_crc({0x03, 0x90, 0x02}),
          avec_crc({0x02, 0x50, 0x0A, 0x80, 0x08, 0x05, 0x80, 0, 0, 0, 0, 0, 0}),
          avec_crc({0x03, 0x90, 0x03}),
          avec_crc({0x02, 0x50, 0x03, 0x80, 0x03, 0x1A, 0x2B, 0x3C}),
          avec_crc({0x03, 0x14, 0x07}),
          avec_crc({0x02, 0x50, 0x06, 0x80, 0x03, 0xFF, 0x0C, 0x25}),
          avec_crc({0x02, 0x50, 0x06, 0x80, 0x03, 0x02, 0x0C, 0x25})});
  const std::string presence = page(1);
  EXPECT_TRUE(contient(presence, "<B>FIPIO-FIPWAY :</B> <BR>Present stations : stations 0, 2, 15</P>")) << presence;
  EXPECT_TRUE(contient(page(3), "Macro-cycle number: 1A <BR>Elementary cycle number: 2B <BR>"));
  // Row 6 answers the same ID_DAT as row 5: the walk back skips the response in between.
  const std::string sans = page(5);
  EXPECT_TRUE(contient(sans, "<B>Station presence variable</B> 5127 <BR><B> Identification variable length</B> Pas "
                             "de variable d'identification <BR><B>Production/Consumption Function:</B>  C<BR><B> "
                             "Priority of bus arbitrator:</B>  5 <BR><B> Bus arbitrator function:</B> BA Function BA "
                             "is in wait!"))
      << sans;
  EXPECT_TRUE(contient(page(6), "Identification variable length:</B> 2 octets<BR>"));
  EXPECT_FALSE(contient(page(2), "Present stations"));
}

TEST_F(FrameDetail, IdentifierTextsOfNetworkRequests) {
  trames({avec_crc({0x03, 0x14, 0x05}), avec_crc({0x03, 0x00, 0x1F}), avec_crc({0x05, 0x0D, 0x03}),
          avec_crc({0x03, 0x01, 0x00})});
  EXPECT_TRUE(contient(page(0), "<B>Identifier :</B> 1405 Presence request to station 5<BR>\n"));
  EXPECT_TRUE(contient(page(1), "<B>Identifier :</B> 001F Common words request to station 31<BR>"));
  EXPECT_TRUE(contient(page(2), "0D03 Telegram request from bus arbitrator to station 3<BR>"));
  const std::string simple = page(3);
  EXPECT_TRUE(contient(simple, "<B>Identifier :</B> 0100<BR>"));
  // Identification frames show no contents; the CRC follows the identifier.
  EXPECT_FALSE(contient(simple, "Frame contents"));
  EXPECT_TRUE(contient(simple, "<B>CRC :</B> "));
}

TEST_F(FrameDetail, LineEventShowsOnlyTheFirstParagraphAndTheEvent) {
  trames({avec_crc({0x03, 0x01, 0x00}), {kMarqueurGlitch, kMarqueurGlitch}});
  const std::string p = page(1);
  EXPECT_TRUE(contient(p, "<font color=\"red\"><B>Line glitch</B></font><BR>\n</P>\n\n\n</HTML>")) << p;
  EXPECT_EQ(compte(p, "<P>"), 2u);
  EXPECT_FALSE(contient(p, "Frame type"));
  EXPECT_FALSE(contient(p, "FIPIO"));
}

TEST_F(FrameDetail, CrcErrorShowsTheReadAndComputedCrc) {
  Octets f = {0x02, 0x40, 0x02, 0x11, 0x22, 0x12, 0x34};
  const uint16_t calcule = CrcTrame(true, f.data(), 5);
  trames({avec_crc({0x03, 0x01, 0x00}), f});
  char attendu[96];
  std::snprintf(attendu, sizeof attendu, "CErroneous CRC (read = 0x1234, calculated = 0x%04X)", calcule);
  const std::string p = page(1);
  EXPECT_TRUE(contient(p, attendu)) << p;
  // The list shows the same computed CRC.
  CLecteurLignes lecteur(doc_, fichier_);
  std::vector<LIGNE_TRAME> lignes;
  ASSERT_EQ(lecteur.Lit(1, 1, true, lignes), 1u);
  EXPECT_TRUE(contient(lignes[0].texte, std::string(attendu).substr(std::string(attendu).find("calculated"))))
      << lignes[0].texte;
  EXPECT_FALSE(contient(p, "<B>CRC :</B>"));
  // The contents run over the whole frame, its CRC bytes included.
  EXPECT_TRUE(contient(p, "(after the fixed fields)<BR>\n<DIV class=\"champbits\">\n40 02 11 22 12 34<BR>\n</DIV>"));
}

TEST_F(FrameDetail, ChannelLinesDependOnTheMonitoredChannels) {
  std::vector<test::TestRecord> recs = {{1000, avec_crc({0x03, 0x01, 0x00}), vandrel::STATUT_ERR_TX_VOIE1},
                                        {2000, avec_crc({0x02, 0x40, 0x02, 0x11, 0x22}), vandrel::STATUT_VOIE2}};
  capture(recs, vandrel::BT_ZIZA_MONO);
  for (uint64_t r : {0u, 1u}) EXPECT_FALSE(contient(page(r), "Receiving channel"));
  EXPECT_TRUE(contient(page(0), "<font color=\"red\"><B>Transmission error on channel 1</B></font>"));
  EXPECT_TRUE(contient(page(0), "<B>Frame length :</B> 5 bytes<BR>"));

  capture(recs, vandrel::BT_ZIZA_BI);
  EXPECT_TRUE(contient(page(0), "<B>Receiving channel :</B> 1<BR>"));
  EXPECT_TRUE(contient(page(1), "<B>Receiving channel :</B> 2<BR>"));
}

TEST_F(FrameDetail, UserDataNamesAndBitFieldsWithPartialBytes) {
  donnees(
      "Pump speed;ID;3!2;0x0100;;;\n"
      "Speed;FIELD;3!2;0x0100;;;12;8;HEXA;;\n"
      "Drive 12;DEST;4;;0x0D00;;\n");
  trames({avec_crc({0x03, 0x01, 0x00}), avec_crc({0x02, 0xAB, 0xCD, 0xEF}),
          avec_crc({0x04, 0x0D, 0x00, 0x05, 0x0D, 0x00, 0x07, 0x33})});
  EXPECT_TRUE(contient(page(0), "<B>Identifier :</B><font color=\"blue\"> Pump speed</font><BR>"));
  const std::string p = page(1);
  // Bits 8-11 are the low nibble of AB, the field takes A and D, bits 20-23 the high nibble of CD,
  // then the bytes to the end.
  EXPECT_TRUE(contient(p, "(after the fixed fields)<BR>\n<DIV class=\"champbits\">\n0B<BR>\n"
                          "<font color=\"blue\"><B>Speed</B> =</font> DA (h)<BR>\n0C EF "))
      << p;
  const std::string m = page(2);
  EXPECT_TRUE(contient(m, "<B>Destination address :</B><font color=\"blue\"> Drive 12</font><BR>"));
  EXPECT_TRUE(contient(m, "<B>Source address :</B> 0D00 07<BR>"));
  EXPECT_TRUE(contient(m, "(after the fixed fields)<BR>\n<DIV class=\"champbits\">\n33 "));
}

TEST_F(FrameDetail, FieldsBeforeTheContentsStartAtPositionZero) {
  donnees("Control;FIELD;3;;;;0;8;HEXA;;\n");
  trames({avec_crc({0x03, 0x01, 0x00})});
  const std::string p = page(0);
  EXPECT_TRUE(contient(p, "<B>Frame contents :</B> (from position 0)<BR>\n<DIV class=\"champbits\">\n"
                          "<font color=\"blue\"><B>Control</B> =</font> "))
      << p;
}

TEST_F(FrameDetail, UniTeRequestAndReports) {
  Octets base = {0x04, 0x09, 0x00, 0x01, 0x0D, 0x00, 0x02, 0xF1, 0, 0, 0, 0, 0x09, 0x00, 0x14, 0x07, 0x34, 0x12};
  Octets ecriture = base;
  ecriture.insert(ecriture.end(), {0xCD, 0xAB});
  Octets court = base;
  court.push_back(0xCD);
  Octets succes = base;
  succes[12] = 0x19;
  succes[14] = 0xFE;
  Octets lecture = succes;
  lecture[14] = 0x34;
  trames({avec_crc(ecriture), avec_crc(court), avec_crc(succes), avec_crc(lecture)});
  const std::string p = page(0);
  EXPECT_TRUE(contient(p, "<B> UNI_TE  Service </B> :Request <BR>WRITE_INTERNAL_WORD<BR>\n<B> <font color = "
                          "\"blue\">Code category:</font></B> 7 <BR> Internal word number: 1234 <BR> Value: ABCD"))
      << p;
  // One byte short of the written word: the name stays, the parameters go.
  const std::string c = page(1);
  EXPECT_TRUE(contient(c, "WRITE_INTERNAL_WORD<BR>\n</P>")) << c;
  EXPECT_TRUE(contient(page(2), "<B> UNI_TE  Service </B> : Report <BR>Success<BR>\nData: 07 34 12"));
  EXPECT_TRUE(contient(page(3), " : Report <BR>READ_INTERNAL_WORD<BR>"));
}

TEST(FrameDetailUniTe, ChosenLayouts) {
  using detail_trame::ServiceUniTe;
  auto requete = [](std::initializer_list<uint8_t> parametres) {
    Octets f = {0x04, 0x09, 0x00, 0x01, 0x0D, 0x00, 0x02, 0xF1, 0, 0, 0, 0, 0x09, 0x00};
    f.insert(f.end(), parametres);
    f.insert(f.end(), {0, 0});
    return ServiceUniTe(static_cast<uint16_t>(f.size()), f.data());
  };
  EXPECT_TRUE(contient(requete({0x37, 0x06, 0x64, 0x07, 0x10, 0x00, 0x02, 0x00, 0xAA, 0xBB}),
                       "Category code= 6 <BR> Segment = ( 64) Internal data space <BR> Object = (7) Word <BR> Adress "
                       "= 10 <BR> Quantity = 2 <BR> Data = <BR>AA BB"));
  EXPECT_TRUE(contient(requete({0x43, 0x06, 0x02, 0x0A}),
                       "Category code: 6 <BR> Number of objects: 2 <BR> Index of object 1: A"));
  EXPECT_TRUE(contient(requete({0xFA, 0x00, 0x55}), "MIRROR<BR>\n<B> Category code</B> 0 <BR> <B> Data: </B> <BR>55"));
  EXPECT_TRUE(contient(requete({0x33, 0x06, 0x01}), "INIT<BR>\nCategory code: 6 <BR> Type of initialisation: 1"));
  // Another service code is not UNI-TE.
  Octets autre = {0x04, 0x09, 0x00, 0x01, 0x0D, 0x00, 0x02, 0xF0, 0, 0, 0, 0, 0x09, 0x00, 0x00, 0x07, 0, 0, 0, 0};
  EXPECT_EQ(ServiceUniTe(static_cast<uint16_t>(autre.size()), autre.data()), "");
}

TEST_F(FrameDetail, TelegramContentsFollowTheOption) {
  Octets f = {0x04, 0x0D, 0x00, 0x05, 0x0D, 0x00, 0x02, 0xF5, 0x03, 0x00, 0x09};
  for (uint8_t i = 11; i < 32; ++i) f.push_back(i);
  trames({avec_crc(f)});
  const std::string p = page(0);
  EXPECT_TRUE(contient(p, "Telegram from station 3 to station 9<BR>Telegram content:<BR>10 11 12 13 14 15 16 17 18 "
                          "19 1A 1B 1C 1D 1E 1F<BR>"))
      << p;
  EXPECT_FALSE(contient(PageDetailTrame(doc_, fichier_, 0, nullptr, false), "Telegram content"));
}

TEST_F(FrameDetail, NamesAndAsciiFromFramesAreTextNotMarkup) {
  donnees(
      "<img src=x onerror=alert(1)>;ID;3;0x0100;;;\n"
      "Tag & 'name';FIELD;2;;;;8;32;ASCII;;\n");
  trames({avec_crc({0x03, 0x01, 0x00}), avec_crc({0x02, '<', 'b', '>', '"'})});
  const std::string id = page(0);
  EXPECT_TRUE(contient(id, "&lt;img src=x onerror=alert(1)&gt;")) << id;
  EXPECT_FALSE(contient(id, "<img"));
  const std::string valeur = page(1);
  EXPECT_TRUE(contient(valeur, "<B>Tag &amp; &#39;name&#39;</B> =</font> &lt;b&gt;&quot;<BR>")) << valeur;
}

TEST_F(FrameDetail, ThePageLivesInAPrivateFolder) {
  const std::string chemin = CheminDetailTrame();
  ASSERT_FALSE(chemin.empty());
  EXPECT_TRUE(chemin.ends_with("/frame.htm"));
  const std::filesystem::path dossier = std::filesystem::path(chemin).parent_path();
  EXPECT_EQ(std::filesystem::status(dossier).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);
  EXPECT_EQ(CheminDetailTrame(), chemin);
  // A folder cleaned away meanwhile is made again.
  std::filesystem::remove_all(dossier);
  const std::string encore = CheminDetailTrame();
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(encore).parent_path()));
  std::filesystem::remove_all(std::filesystem::path(encore).parent_path());
}

TEST_F(FrameDetail, UnreadableRowAndUnwritableFile) {
  trames({avec_crc({0x03, 0x01, 0x00})});
  const std::string p = page(5);
  EXPECT_TRUE(contient(p, "<font color=\"red\"><B>Error getting<BR>frame contents</B></font>"));
  EXPECT_FALSE(contient(p, "Frame length"));
  EXPECT_TRUE(p.starts_with("<HTML>") && p.ends_with("\n\n</HTML>"));
  EXPECT_TRUE(contient(p, "<TITLE>Frame detail</TITLE>"));

  std::string message;
  EXPECT_FALSE(EcritDetailTrame(p, dir_.file("no/such/dir/frame.htm"), message));
  EXPECT_EQ(message, "Error formatting frame detail:\nImpossible to create a temporary file.");
  const std::string chemin = dir_.file("frame.htm");
  ASSERT_TRUE(EcritDetailTrame(p, chemin, message));
  std::ifstream in(chemin);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), p);
}

}  // namespace
}  // namespace brv
