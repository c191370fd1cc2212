// The definition pickers: the conditions each one writes, and the choices that leave a definition
// as it was.

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "brv_core/definitions/pickers.h"

namespace brv {
namespace {

using Conditions = std::vector<std::pair<uint16_t, uint64_t>>;  // start bit and value

Conditions De(const DEFINITION_TRAME& d) {
  Conditions c;
  for (const auto& ch : d.champs) {
    EXPECT_EQ(ch.ulOperation, OP_EGAL);
    EXPECT_EQ(ch.ulInterpretation, 1u);
    EXPECT_EQ(ch.bSigne, 0u);
    EXPECT_EQ(ch.ulOrdre, 0u);
    c.emplace_back(ch.usPosition, ch.ullValeur);
  }
  return c;
}

DEFINITION_TRAME Ancienne() {
  DEFINITION_TRAME d;
  d.ucTypeTrame = 0x02;
  d.usIdentifiant = 0x1234;
  d.champs.resize(3);
  return d;
}

TEST(Pickers, UniTeRequestsAndReports) {
  ChoixUniTe c;
  c.requete = 2;  // READ_CPU
  c.source = 3;
  DEFINITION_TRAME d = Ancienne();
  ASSERT_EQ(SelecteurUniTe(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x14}, {8, 0x09}, {32, 0x09}, {40, 3}, {56, 0xF1}, {96, 0x09}, {112, 0x4F}}));
  EXPECT_EQ(d.usIdentifiant, 0x4F50);
  EXPECT_EQ(d.ucTypeTrame, 0x14);
  EXPECT_EQ(d.bNePasDissocierRP, 0u);
  EXPECT_EQ(d.champs[6].ucLongueur, 8);

  c.requeteCoche = false;
  c.rapport = true;
  c.destination = 7;
  c.paires = false;  // neither parity: odd
  ASSERT_EQ(SelecteurUniTe(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x94}, {8, 0x09}, {16, 7}, {32, 0x09}, {40, 3}, {56, 0xF1}, {96, 0x19}, {112, 0x7F}}));

  c = {};
  c.requeteCoche = false;
  ASSERT_EQ(SelecteurUniTe(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x14}, {8, 0x09}, {32, 0x09}, {56, 0xF1}}));
  EXPECT_EQ(d.usIdentifiant, 0x0050);
}

TEST(Pickers, SearchingByTheTransmittingStation) {
  ChoixUniTe c;
  c.parEmetteur = true;
  DEFINITION_TRAME d = Ancienne();
  ASSERT_EQ(SelecteurUniTe(c, d), ResultatSelecteur::IdentifiantSeul);
  EXPECT_EQ(d.usIdentifiant, 0x0050);
  EXPECT_EQ(d.champs.size(), 3u);
  c.source = 12;
  ASSERT_EQ(SelecteurUniTe(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x05}, {8, 12}}));
  EXPECT_EQ(d.champs[1].ucLongueur, 16);
  EXPECT_EQ(d.bNePasDissocierRP, 1u);
}

TEST(Pickers, StationPickers) {
  const struct {
    const char* cas;
    ResultatSelecteur (*selecteur)(DEFINITION_TRAME&);
    ResultatSelecteur resultat;
    Conditions conditions;
  } cas[] = {
      {"COM words of station 9", [](DEFINITION_TRAME& d) { return SelecteurMotsCom(9, d); }, ResultatSelecteur::Rempli,
       {{0, 0x03}, {8, 9}}},
      {"COM words without a station", [](DEFINITION_TRAME& d) { return SelecteurMotsCom(-1, d); },
       ResultatSelecteur::Inchange, {}},
      {"identification of station 5", [](DEFINITION_TRAME& d) { return SelecteurIdentification(5, false, d); },
       ResultatSelecteur::Rempli, {{0, 0x03}, {8, 0x1005}}},
      {"presence of station 63", [](DEFINITION_TRAME& d) { return SelecteurIdentification(63, true, d); },
       ResultatSelecteur::Rempli, {{0, 0x03}, {8, 0x143F}}},
      {"identification without a station", [](DEFINITION_TRAME& d) { return SelecteurIdentification(-1, true, d); },
       ResultatSelecteur::Inchange, {}},
  };
  for (const auto& c : cas) {
    DEFINITION_TRAME d = Ancienne();
    EXPECT_EQ(c.selecteur(d), c.resultat) << c.cas;
    if (c.resultat == ResultatSelecteur::Inchange) {
      EXPECT_EQ(d, Ancienne()) << c.cas;
      continue;
    }
    EXPECT_EQ(De(d), c.conditions) << c.cas;
    EXPECT_EQ(d.ucTypeTrame, 0x03) << c.cas;
    EXPECT_EQ(d.bNePasDissocierRP, 1u) << c.cas;
  }
}

TEST(Pickers, Telegrams) {
  DEFINITION_TRAME d = Ancienne();
  ChoixTelegrammes c;
  c.source = 4;
  ASSERT_EQ(SelecteurTelegrammes(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x05}, {8, 0x0D04}}));
  EXPECT_EQ(d.usIdentifiant, 0x0051);
  // Without a source: the bus arbitrator's telegram requests to any station.
  c.source = -1;
  ASSERT_EQ(SelecteurTelegrammes(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x05}, {8, 0x0D}}));
  EXPECT_EQ(d.champs[1].ucLongueur, 8);

  c = {};
  c.nePasFiltrerArbitre = true;
  c.impaires = true;
  c.source = 1;
  c.destination = 2;
  ASSERT_EQ(SelecteurTelegrammes(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(De(d), (Conditions{{0, 0x94}, {8, 0x0D}, {16, 2}, {32, 0x0D}, {40, 1}, {56, 0xF5}}));
  EXPECT_EQ(d.bNePasDissocierRP, 0u);
  c.paires = true;  // both ticked: even
  ASSERT_EQ(SelecteurTelegrammes(c, d), ResultatSelecteur::Rempli);
  EXPECT_EQ(d.ucTypeTrame, 0x14);
}

}  // namespace
}  // namespace brv
