// The definition list pages: adding up to the limit, deleting, pasting across lists, and the
// names a pasted definition takes.

#include <gtest/gtest.h>

#include <string>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_table.h"

namespace brv {
namespace {

TableDefinitions Liste(std::initializer_list<const char*> noms) {
  TableDefinitions t;
  for (const char* n : noms) {
    DEFINITION_TRAME d = NouvelleDefinition();
    DefinitNom(d, n);
    EXPECT_TRUE(AjouteDefinition(t, d));
  }
  return t;
}

std::vector<std::string> Noms(const TableDefinitions& t) {
  std::vector<std::string> n;
  for (size_t i = 0; i < t.nb; ++i) n.push_back(NomDefinition(t.defs[i]));
  return n;
}

TEST(DefinitionTable, TagsAddAndDelete) {
  EXPECT_EQ(EtiquetteDeclenchement(0), "F1");
  EXPECT_EQ(EtiquetteDeclenchement(2), "F3");
  EXPECT_EQ(EtiquetteDeclenchement(3), "");

  TableDefinitions t = Liste({"A", "B", "C"});
  t.defs[2].champs.resize(2);
  SupprimeDefinition(t, 1);
  EXPECT_EQ(Noms(t), (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(t.defs[1].champs.size(), 2u);
  EXPECT_EQ(t.defs[2], DEFINITION_TRAME{});  // the freed slot holds nothing
  SupprimeDefinition(t, 5);
  EXPECT_EQ(t.nb, 2);

  while (t.nb < kNbDefinitionsMax) ASSERT_TRUE(AjouteDefinition(t, NouvelleDefinition()));
  const TableDefinitions pleine = t;
  EXPECT_FALSE(AjouteDefinition(t, NouvelleDefinition()));
  EXPECT_FALSE(ColleDefinition(t, NouvelleDefinition(), JeuDefinitions::Evenement));
  EXPECT_EQ(t, pleine);
}

TEST(DefinitionTable, FreeNames) {
  const std::string long50(50, 'n');
  const std::string accents = std::string(48, 'a') + "\xC3\xA9";  // 50 bytes ending in "é"
  const struct {
    TableDefinitions t;
    std::string nom;
    std::string attendu;
  } cas[] = {
      {Liste({"Frame"}), "Other", "Other"},
      {Liste({"Frame"}), "FRAME", "FRAME (2)"},
      {Liste({"Frame", "Frame (2)"}), "frame", "frame (3)"},
      {Liste({long50.c_str()}), long50, std::string(46, 'n') + " (2)"},
      {Liste({accents.c_str()}), accents, std::string(46, 'a') + " (2)"},
      {Liste({"x"}), std::string(49, 'a') + "\xC3\xA9", std::string(49, 'a')},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    EXPECT_EQ(NomLibre(c.nom, c.t), c.attendu);
  }
}

TEST(DefinitionTable, PastingKeepsWhatTheListKeeps) {
  DEFINITION_TRAME id = NouvelleDefinition();
  DefinitNom(id, "Copied");
  id.ucTypeTrame = 0x03;
  id.bNePasDissocierRP = 1;
  id.bUtilisee = 0;
  id.champs.resize(2);
  DEFINITION_TRAME rp = id;
  rp.ucTypeTrame = 0x02;
  const struct {
    const char* cas;
    const DEFINITION_TRAME& d;
    JeuDefinitions jeu;
    uint32_t nePasDissocier;
    uint32_t utilisee;
  } cas[] = {
      {"identification into filtering", id, JeuDefinitions::Filtre, 1, 0},
      {"identification into events", id, JeuDefinitions::Evenement, 0, 0},
      {"identification into trigger", id, JeuDefinitions::Declenchement, 0, 1},
      {"response into filtering", rp, JeuDefinitions::Filtre, 0, 0},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.cas);
    TableDefinitions t = Liste({"copied", "Other"});
    ASSERT_TRUE(ColleDefinition(t, c.d, c.jeu));
    ASSERT_EQ(t.nb, 3);
    const DEFINITION_TRAME& collee = t.defs[2];
    EXPECT_EQ(NomDefinition(collee), "Copied (2)");
    EXPECT_EQ(collee.bNePasDissocierRP, c.nePasDissocier);
    EXPECT_EQ(collee.bUtilisee, c.utilisee);
    EXPECT_EQ(collee.champs, c.d.champs);
    EXPECT_EQ(collee.ucTypeTrame, c.d.ucTypeTrame);
  }
}

TEST(DefinitionTable, CopyBetweenDocumentAndPage) {
  TableDefinitions source = Liste({"A", "B"});
  source.defs[1].champs.resize(3);
  source.defs[1].usIdentifiant = 0x1234;
  TableDefinitions cible = Liste({"X", "Y", "Z"});
  EXPECT_TRUE(CopieDefinitions(source, cible));
  EXPECT_EQ(cible, source);
}

}  // namespace
}  // namespace brv
