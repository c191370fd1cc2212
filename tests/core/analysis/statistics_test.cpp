// Classification, bus time charging, data-rate intervals, counters and the network table.

#include <gtest/gtest.h>

#include <vector>

#include "brv_core/analysis/network_config.h"
#include "brv_core/analysis/statistics.h"
#include "brv_core/analysis/view_snapshot.h"

namespace brv {
namespace {

using Octets = std::vector<uint8_t>;
const Octets kIdDat = {0x03, 0x01, 0x00, 0, 0};
const Octets kIdDat2 = {0x03, 0x02, 0x00, 0, 0};
const Octets kPadding = {0x03, 0x90, 0x80, 0, 0};
const Octets kRpDat = {0x02, 0x40, 0x00, 0, 0};
const Octets kIdMsg = {0x05, 0x0D, 0x01, 0, 0};
const Octets kRpMsg = {0x14, 0, 0, 0, 0, 0, 0, 0, 0};

struct Banc {
  CConfigReseau reseau;
  CStatistiques stats;
  explicit Banc(uint64_t intervalle = 1'000'000, BourrageEnVigueur b = {})
      : stats(100, true, intervalle, b, reseau) {}
  ClasseCharge passe(const Octets& o, int64_t date, ErreurTrame r = TRAME_OK) {
    const ClasseCharge c = stats.Classe(r, o.data(), static_cast<uint16_t>(o.size()), date * 100);
    stats.ChargeTrame(c, date, static_cast<uint16_t>(o.size()));
    return c;
  }
};

TEST(Statistics, ClassesAndAnsweredCalls) {
  Banc b(1'000'000, {true, 0x9080, false});
  EXPECT_EQ(b.passe(kIdDat, 0), CLASSE_AUTRE);
  EXPECT_EQ(b.passe(kRpDat, 100), CLASSE_AUTRE);
  EXPECT_EQ(b.passe(kIdDat2, 200), CLASSE_AUTRE);
  EXPECT_EQ(b.passe(kIdDat, 300), CLASSE_AUTRE);  // 0200 went unanswered
  EXPECT_EQ(b.passe(kPadding, 400), CLASSE_BOURRAGE);  // settles 0100 as unanswered
  EXPECT_EQ(b.passe(kIdMsg, 500), CLASSE_MESSAGE);
  EXPECT_EQ(b.passe(kRpMsg, 600), CLASSE_MESSAGE);
  EXPECT_EQ(b.passe(kIdDat, 700), CLASSE_AUTRE);
  EXPECT_EQ(b.passe(kRpDat, 800, TRAME_CRC), CLASSE_ERREUR);  // a damaged answer still answers

  const auto& t = b.reseau.Table();
  ASSERT_EQ(t.size(), 3u);  // ascending whatever the order seen
  EXPECT_EQ(t[0].usIdentifiant, 0x0100);
  EXPECT_EQ(t[0].ullAppels, 3u);
  EXPECT_EQ(t[0].ullReponses, 2u);
  EXPECT_EQ(t[0].bRupture, 1u);
  EXPECT_EQ(t[1].usIdentifiant, 0x0200);
  EXPECT_EQ(t[1].ullReponses, 0u);
  EXPECT_EQ(t[2].usIdentifiant, 0x0D01);
  EXPECT_EQ(t[2].ullReponses, 1u);
  EXPECT_EQ(TexteIdentifiant(t[1]), "0200  -  Lost answers 1 / 1");
  EXPECT_EQ(TexteIdentifiant(t[2]), "0D01");
}

TEST(Statistics, PaddingOnlyTrafficHasNoLoad) {
  Banc b(1'000'000, {true, 0x9080, false});
  for (int i = 0; i < 100; ++i) b.passe(kPadding, i * 500);
  BlocStatistiques s;
  b.stats.CalculeMoyennes(s);
  EXPECT_GT(s.ullTempsTraficNs, 0u);
  EXPECT_EQ(s.fChargeDonnees, 0.0f);
  EXPECT_EQ(s.fChargeMessages, 0.0f);
  EXPECT_FALSE(b.stats.Points().empty());
  EXPECT_EQ(b.stats.Points().front().fChargeDonnees, 0.0f);
}

TEST(Statistics, GapsFillIntervalsAndLongSilencesChargeOnlyTheFrame) {
  Banc b(1000);  // 1 µs intervals, 100 ns per date unit
  b.passe(kIdDat, 0);
  b.passe(kRpDat, 15);  // 1500 ns: one interval filled, 500 ns carried
  EXPECT_EQ(b.stats.Points().size(), 1u);
  EXPECT_EQ(b.stats.Intervalle().total, 500u);
  EXPECT_EQ(b.stats.Totaux().total, 1500u);
  b.passe(kIdDat, 100);  // 8500 ns > two intervals: only the RP_DAT's 61 bit times
  EXPECT_EQ(b.stats.Totaux().total, 1500u + (21 + 8 * 5) * 1000u);
  EXPECT_EQ(b.stats.TempsGraphe(), 100u * 100);
  EXPECT_EQ(b.stats.Intervalle().total, 0u);
}

TEST(Statistics, PointStorageStopsWithAMessageAndKeepsTheLastPoint) {
  Banc b(1000);
  b.stats.LimitePoints(2);
  for (int i = 0; i < 10; ++i) b.passe(kIdDat, i * 10);
  EXPECT_FALSE(b.stats.StockePoints());
  EXPECT_EQ(b.stats.Points().size(), 2u);
  EXPECT_EQ(b.stats.Message(), "Data rates display into the chart interrupted because of insufficient memory.");
  EXPECT_EQ(b.stats.Points().back().ullTempsGraphe, b.stats.TempsGraphe());
}

TEST(Statistics, CountersByResultAndStatus) {
  AcqResults r;
  CompteTrame(TRAME_OK, kRpDat.data(), 5, 0, false, r);
  CompteTrame(TRAME_OK, kPadding.data(), 5, 0, true, r);
  CompteTrame(TRAME_CRC, kRpDat.data(), 5, 0x01 | 0x08, false, r);
  CompteTrame(TRAME_GLITCH, kRpDat.data(), 2, 0x20, false, r);
  CompteTrame(TRAME_INTERRUPTION_PC, kRpDat.data(), 2, 0, false, r);
  EXPECT_EQ(r.comptesParType[5], 1u);  // RP_DAT
  EXPECT_EQ(r.comptesParType[0], 1u);  // padding
  EXPECT_EQ(r.compteursErreur[ERR_TRAMES_ERRONEES], 1u);
  EXPECT_EQ(r.compteursErreur[ERR_CRC], 1u);
  EXPECT_EQ(r.compteursErreur[ERR_INTERRUPTION_TRAFIC], 1u);
  EXPECT_EQ(r.compteursErreur[ERR_TX_VOIE1], 1u);
  EXPECT_EQ(r.compteursErreur[ERR_GLITCH], 1u);
  EXPECT_EQ(r.compteursErreur[ERR_PHYSIQUES], 2u);
  EXPECT_EQ(r.compteursErreur[ERR_INTERRUPTION_PC], 1u);
}

TEST(NetworkConfig, StatesAgeAndExport) {
  CConfigReseau reseau;
  reseau.EnregistreAppel(0x0200, 1000, true);
  reseau.EnregistreAppel(0x0100, -5000, false);  // before the trigger
  reseau.EnregistreAppel(0x0300, 900, false);
  const auto& t = reseau.Table();
  EXPECT_EQ(DateDepuisSignee(t[0].ullDerniereDate), -5000);
  EXPECT_EQ(EtatIdentifiant(t[0], 1000, 1000), EtatReseau::NonAppele);  // 6000 ns ago
  EXPECT_EQ(EtatIdentifiant(t[1], 1000, 1000), EtatReseau::Present);
  EXPECT_EQ(EtatIdentifiant(t[2], 1000, 1000), EtatReseau::Manquant);
  const std::string s = SectionExportReseau(t, 1000, 1000);
  EXPECT_EQ(s.substr(0, s.find('\n')), "NETWORK CONFIGURATION (1µs)");
  EXPECT_NE(s.find("0200  Present     \n"), std::string::npos);
  EXPECT_NE(s.find("0100  -  Lost answers 1 / 1Not called  A least one break\n"), std::string::npos);
  EXPECT_EQ(ImageEtat(t[0], 1000, 1000), 6);  // not called, with a break
  EXPECT_EQ(ImageEtat(t[1], 1000, 1000), 1);
  EXPECT_EQ(ImageEtat(t[2], 1000, 1000), 4);
  EXPECT_EQ(TexteRacineReseau(-90'000'000'000'000), "Network configuration (1d 1h 0.00mn)");
  for (int id = 0; id < 200; ++id) reseau.EnregistreAppel(static_cast<uint16_t>(199 - id), 0, true);
  for (size_t i = 1; i < t.size(); ++i) ASSERT_LT(t[i - 1].usIdentifiant, t[i].usIdentifiant);
}

TEST(Statistics, ExportSection) {
  AcqResults r;
  r.ullNbTramesAcquises = 12;
  r.stats.fChargeDonnees = 50.5f;
  const std::string s = SectionExportStatistiques(r, {false, 0, false});
  EXPECT_EQ(s.rfind("STATISTICS\nAcquired frames         12\n", 0), 0u);
  EXPECT_NE(s.find("Average data load                   50.50 %\n"), std::string::npos);
  EXPECT_NE(s.find("Padding frames          Not defined\n"), std::string::npos);
  InstantaneVues vues;
  vues.ullNbTramesAcquises = r.ullNbTramesAcquises;
  vues.stats = r.stats;
  vues.bourrage = {true, 0x9080, false};
  const auto dialogue = ValeursStatistiques(vues);
  ASSERT_EQ(dialogue.size(), 29u);
  EXPECT_EQ(dialogue[0], (std::pair<std::string, std::string>{"acquired:", "12"}));
  EXPECT_EQ(dialogue[5], (std::pair<std::string, std::string>{"Data load:", "50.50 %"}));
  EXPECT_EQ(dialogue[8], (std::pair<std::string, std::string>{"Padding:", "0"}));
  // Filtered padding: one line in place of the bus time and the three loads, as in the export.
  vues.bourrage.filtreAcquisition = true;
  const auto filtre = ValeursStatistiques(vues);
  ASSERT_EQ(filtre.size(), 26u);
  EXPECT_EQ(filtre[4].first, "Data rates not calculated because of acquisition filtering");
  EXPECT_EQ(filtre[5], (std::pair<std::string, std::string>{"Padding:", "Filtered at acquisition level"}));
  const std::string f = SectionExportStatistiques(r, {true, 0x9080, true});
  EXPECT_NE(f.find("Data rates not calculated because of acquisition filtering\n"), std::string::npos);
  EXPECT_NE(f.find("Padding frames          Filtered at acquisition level\n"), std::string::npos);
}

}  // namespace
}  // namespace brv
