#include <cctype>

#include <gtest/gtest.h>

#include "brv_core/decode/decodage_trame.h"
#include "outils_trame.h"

namespace brv {
namespace {

using test::AvecCrc;
using test::Octets;

struct CasAnnotation {
  const char* description;
  Octets sansCrc;
  const char* annotation;
};

// Data bytes d[0..n-1] after the control byte, completed with zeros up to n.
Octets Donnees(uint8_t controle, std::initializer_list<uint8_t> debut, size_t n) {
  Octets o(1 + n, 0x00);
  o[0] = controle;
  size_t i = 1;
  for (uint8_t d : debut) o[i++] = d;
  return o;
}

// Message frame: destination seg/station, source seg/station, byte 7 = kind, UNI-TE service at 12 and code at 14.
Octets Message(uint8_t segDest, uint8_t dest, uint8_t segSrc, uint8_t src, uint8_t genre, uint8_t service = 0x00,
               uint8_t code = 0x00) {
  return {0x14, segDest, dest, 0x00, segSrc, src, 0x00, genre, 0x00, 0x00, 0x00, 0x00, service, 0x00, code, 0x00};
}

const CasAnnotation kCas[] = {
    {"id_dat 9002", {0x03, 0x90, 0x02}, "Check_Stations_Presence variable (Request)"},
    {"id_dat 9003", {0x03, 0x90, 0x03}, "Bus Arbitrator Synchronisation Variable (Request)"},
    {"id_dat 9008", {0x03, 0x90, 0x08}, "Segment Parameters Variable (Request)"},
    {"id_dat 9080", {0x03, 0x90, 0x80}, "Padding Variable "},
    {"id_dat 9004", {0x03, 0x90, 0x04}, ""},
    {"id_dat 1400", {0x03, 0x14, 0x00}, "Presence of the station Variable 0 (Request)"},
    {"id_dat 143F", {0x03, 0x14, 0x3F}, "Presence of the station Variable 63 (Request)"},
    {"id_dat 1440", {0x03, 0x14, 0x40}, ""},
    {"id_dat 1000", {0x03, 0x10, 0x00}, "Identification variable"},
    {"id_dat 1040", {0x03, 0x10, 0x40}, ""},
    {"id_dat 0000", {0x03, 0x00, 0x00}, "Common words to the station 0 (Request)"},
    {"id_dat 001F", {0x03, 0x00, 0x1F}, "Common words to the station 31 (Request)"},
    {"id_dat 0020", {0x03, 0x00, 0x20}, ""},
    {"id_msg 0D00", {0x05, 0x0D, 0x00}, "Telegram to the station 0 (Request)"},
    {"id_msg 0D0F", {0x05, 0x0D, 0x0F}, "Telegram to the station 15 (Request)"},
    {"id_msg 0D10", {0x05, 0x0D, 0x10}, ""},
    {"id_msg 0005", {0x05, 0x00, 0x05}, "Authorization to emit UNI_TE request for the station 5"},
    {"id_msg 9002", {0x05, 0x90, 0x02}, ""},
    {"id_rq1 9002", {0x29, 0x90, 0x02}, ""},

    {"segment parameters", Donnees(0x02, {0x50, 0x06, 0x80}, 8), "Segment Parameters Variable (Answer)"},
    {"segment parameters, 9 bytes", Donnees(0x02, {0x50, 0x06, 0x80}, 9), ""},
    {"station presence list", Donnees(0x02, {0x50, 0x22, 0x80}, 36), "Check_Stations_Presence variable (Answer)"},
    {"station presence list, 35 bytes", Donnees(0x02, {0x50, 0x22, 0x80}, 35), ""},
    {"arbitrator synchronisation", Donnees(0x02, {0x50, 0x04, 0x80}, 6),
     "Bus Arbitrator Synchronisation Variable (Answer)"},
    {"station presence", Donnees(0x02, {0x50, 0x05, 0x80, 0x03}, 7), "Presence of the station variable (Answer)"},
    {"station presence, d3 not 03", Donnees(0x02, {0x50, 0x05, 0x80, 0x04}, 7), ""},
    {"common words", Donnees(0x02, {0x40, 0x09}, 11), "Common words (Answer)"},
    {"common words, 12 bytes", Donnees(0x02, {0x40, 0x09}, 12), ""},
    {"common words on rp_dat_msg", Donnees(0x06, {0x40, 0x09}, 11),
     "Common words and demand of sending UNI_TE request"},
    {"common words on rp_dat_rq1", Donnees(0x2A, {0x40, 0x09}, 11), ""},

    {"fipio telegram 09", Message(0x09, 0x02, 0x09, 0x05, 0xF5), "Telegram from station 5 to station 2"},
    {"fipio telegram 0D", Message(0x0D, 0x7F, 0x0D, 0x01, 0xF5), "Telegram from station 1 to station 127"},
    {"signed stations", Message(0x0D, 0xFE, 0x0D, 0x80, 0xF5), "Telegram from station -128 to station -2"},
    {"mixed segments", Message(0x09, 0x02, 0x0D, 0x05, 0xF5), ""},
    {"other kind", Message(0x09, 0x02, 0x09, 0x05, 0xF0, 0x09, 0x04), ""},
    {"unite request", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x09, 0x04),
     "Request READ_INTERNAL_WORD (code 4)  from station 5 to station 2"},
    {"unite request 0D", Message(0x0D, 0x02, 0x0D, 0xFB, 0xF1, 0x09, 0xFA),
     "Request MIRROR (code fa)  from station -5 to station 2"},
    {"unite report", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x19, 0x34),
     "Report READ_INTERNAL_WORD (code 34)  from station 5 to station 2"},
    {"unite success", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x19, 0xFE),
     "Report Success (code fe)  from station 5 to station 2"},
    {"unite failure", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x19, 0xFD),
     "Report Failure (code fd)  from station 5 to station 2"},
    {"unite report FB unnamed", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x19, 0xFB),
     "Report  (code fb)  from station 5 to station 2"},
    {"unite request code as report", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x19, 0x04),
     "Report  (code 4)  from station 5 to station 2"},
    {"unite unmatched request", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x09, 0x02),
     "Request  (code 2)  from station 5 to station 2"},
    {"unite other service", Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x29, 0x04),
     "  (code 4)  from station 5 to station 2"},
};

class DecodageAnnotation : public ::testing::TestWithParam<CasAnnotation> {};

TEST_P(DecodageAnnotation, NamesTheVariable) {
  const CasAnnotation& c = GetParam();
  DescriptionCapture capture;
  CDecodageTrame d(capture);
  const auto r = test::Decoder(d, AvecCrc(c.sansCrc));
  ASSERT_EQ(r.resultat, TRAME_OK) << r.texte;
  EXPECT_EQ(r.annotation, c.annotation);
}

INSTANTIATE_TEST_SUITE_P(Regles, DecodageAnnotation, ::testing::ValuesIn(kCas),
                         [](const ::testing::TestParamInfo<CasAnnotation>& info) {
                           std::string nom;
                           for (const char* p = info.param.description; *p; ++p)
                             nom += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return nom;
                         });

TEST(DecodageAnnotationLimites, ShortUniteMessageGetsNoAnnotation) {
  DescriptionCapture capture;
  CDecodageTrame d(capture);
  // The service code would be byte 14: a 14-byte frame has none.
  Octets o = Message(0x09, 0x02, 0x09, 0x05, 0xF1, 0x09, 0x04);
  o.resize(12);
  EXPECT_EQ(test::Decoder(d, AvecCrc(o)).annotation, "");
  // The smallest message with its kind byte still names a telegram.
  o = Message(0x09, 0x02, 0x09, 0x05, 0xF5);
  o.resize(8);
  EXPECT_EQ(test::Decoder(d, AvecCrc(o)).annotation, "Telegram from station 5 to station 2");
}

TEST(DecodageAnnotationLimites, InvalidFramesGetNone) {
  DescriptionCapture capture;
  CDecodageTrame d(capture);
  Octets o = AvecCrc(Donnees(0x02, {0x40, 0x09}, 11));
  o.back() ^= 1;
  const auto r = test::Decoder(d, o);
  EXPECT_EQ(r.resultat, TRAME_CRC);
  EXPECT_EQ(r.annotation, "");
}

}  // namespace
}  // namespace brv
