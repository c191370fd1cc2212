// Display filter and event marks: conditions as the trigger engine reads them, and the
// transactions that keep an identification frame and its answers together.

#include <gtest/gtest.h>

#include <vector>

#include "brv_core/analysis/frame_filter.h"
#include "brv_core/config/config_fields.h"

namespace brv {
namespace {

using Octets = std::vector<uint8_t>;

CHAMP_BITS champ(uint16_t pos, uint8_t lg, uint32_t op, uint64_t valeur, uint32_t interpretation = 1) {
  CHAMP_BITS c;
  c.usPosition = pos;
  c.ucLongueur = lg;
  c.ulOperation = op;
  c.ullValeur = valeur;
  c.ulInterpretation = interpretation;
  return c;
}

DEFINITION_TRAME def(std::vector<CHAMP_BITS> champs, bool dissocier = false, bool utilisee = true) {
  DEFINITION_TRAME d;
  DefinitNom(d, "d");
  d.champs = std::move(champs);
  d.bNePasDissocierRP = dissocier;
  d.bUtilisee = utilisee;
  return d;
}

// "The control byte is C" as a bit field.
CHAMP_BITS controle(uint8_t c) { return champ(0, 8, OP_EGAL, c); }

const Octets kIdDat9002 = {0x03, 0x90, 0x02, 0x9E, 0x06};
const Octets kRpDat = {0x02, 0x40, 0x00, 0x12, 0x34};
const Octets kIdDatAutre = {0x03, 0x01, 0x00, 0x00, 0x00};

TEST(FrameFilter, ConditionsMatchAsTheEngineReadsThem) {
  EXPECT_TRUE(CorrespondDefinition(5, kIdDat9002.data(), def({})));  // no condition: every frame
  EXPECT_TRUE(CorrespondDefinition(5, kIdDat9002.data(), def({controle(0x03), champ(8, 16, OP_EGAL, 0x9002)})));
  EXPECT_FALSE(CorrespondDefinition(5, kIdDat9002.data(), def({controle(0x03), champ(8, 16, OP_EGAL, 0x9003)})));
  // A field that reaches past the end of a short frame fails rather than reading beyond it.
  EXPECT_FALSE(CorrespondDefinition(3, kIdDat9002.data(), def({champ(20, 8, OP_DIFFERENT, 0x77)})));
  // "~|" sets every bit above the field in the reference: a 4-bit field of ones has no hole.
  EXPECT_FALSE(CorrespondDefinition(1, Octets{0x0F}.data(), def({champ(0, 4, OP_NON_OU, 0x00)})));
  EXPECT_TRUE(CorrespondDefinition(1, Octets{0x07}.data(), def({champ(0, 4, OP_NON_OU, 0x00)})));

  const vandrel::struct_CHAMP_BIT_SYNCHRO s = ChampSynchroDe(champ(8, 12, OP_INFERIEUR, 5, 3));
  EXPECT_EQ(s.enLgInterpretationVal, vandrel::LG_16);
  EXPECT_EQ(s.bFlottant, 1);
  EXPECT_EQ(ChampSynchroDe(champ(0, 33, OP_EGAL, 0)).enLgInterpretationVal, vandrel::LG_64);
}

TEST(FrameFilter, EventsUseOnlyDefinitionsInUse) {
  TableDefinitions t;
  t.nb = 2;
  t.defs[0] = def({controle(0x03)}, false, false);
  t.defs[1] = def({controle(0x02)});
  EXPECT_FALSE(TestEvenement(5, kIdDat9002.data(), t));
  EXPECT_TRUE(TestEvenement(5, kRpDat.data(), t));
}

TEST(FrameFilter, DiscardingKeepsAnIdentificationAndItsAnswerTogether) {
  TableDefinitions t;
  t.nb = 1;
  t.defs[0] = def({controle(0x03), champ(8, 16, OP_EGAL, 0x9002)}, true);
  CFiltreAffichage filtre(t, true, FILTRE_EXCLUSION);
  EXPECT_FALSE(filtre.Teste(5, kIdDat9002.data()).affichee);
  const ResultatFiltre reponse = filtre.Teste(5, kRpDat.data());
  EXPECT_FALSE(reponse.affichee);
  EXPECT_TRUE(reponse.parAssociation);
  EXPECT_TRUE(filtre.Teste(5, kRpDat.data()).affichee);  // the transaction is over

  // Another frame in between breaks the association.
  EXPECT_FALSE(filtre.Teste(5, kIdDat9002.data()).affichee);
  EXPECT_TRUE(filtre.Teste(5, kIdDatAutre.data()).affichee);
  EXPECT_TRUE(filtre.Teste(5, kRpDat.data()).affichee);
}

TEST(FrameFilter, MessageTransactionStaysAssociatedAcrossFourFrames) {
  TableDefinitions t;
  t.nb = 1;
  t.defs[0] = def({controle(0x05)}, true);
  CFiltreAffichage filtre(t, true, FILTRE_SELECTION);
  EXPECT_TRUE(filtre.Teste(5, Octets{0x05, 0x0D, 0x01, 0, 0}.data()).affichee);
  for (uint8_t c : {uint8_t{0x14}, uint8_t{0xB0}, uint8_t{0x40}}) {
    const Octets trame(9, c);
    const ResultatFiltre r = filtre.Teste(static_cast<uint16_t>(trame.size()), trame.data());
    EXPECT_TRUE(r.affichee) << int(c);
    EXPECT_TRUE(r.parAssociation) << int(c);
  }
  EXPECT_FALSE(filtre.Etat().enAttente);
  EXPECT_FALSE(filtre.Teste(3, Octets{0x40, 0, 0}.data()).affichee);  // a stray RP_FIN is not selected
}

TEST(FrameFilter, UnusableListShowsEverything) {
  TableDefinitions vide;
  CFiltreAffichage selection(vide, false, FILTRE_SELECTION);
  EXPECT_TRUE(selection.Teste(5, kIdDat9002.data()).affichee);
  TableDefinitions inutilisee;
  inutilisee.nb = 1;
  inutilisee.defs[0] = def({controle(0x03)}, false, false);
  CFiltreAffichage exclusion(inutilisee, true, FILTRE_EXCLUSION);
  EXPECT_TRUE(exclusion.Teste(5, kIdDat9002.data()).affichee);
}

TEST(FrameFilter, TransactionTable) {
  struct Cas {
    uint8_t attente, controle;
    bool continue_;
    uint8_t suivant;
  };
  const Cas cas[] = {
      {0x03, 0x02, true, 0},    {0x03, 0x0E, true, 0},    {0x03, 0x03, false, 0}, {0x05, 0x04, true, 0x04},
      {0x05, 0x94, true, 0x94}, {0x09, 0x08, true, 0},    {0x29, 0x28, true, 0},  {0x29, 0x08, false, 0},
      {0x14, 0x90, true, 0x90}, {0x04, 0x40, true, 0},    {0x30, 0x40, true, 0},  {0x94, 0x40, false, 0},
  };
  for (const auto& c : cas) {
    uint8_t suivant = 0xEE;
    EXPECT_EQ(ContinueTransaction(c.attente, c.controle, suivant), c.continue_) << int(c.attente) << " " << int(c.controle);
    EXPECT_EQ(suivant, c.suivant);
  }
}

}  // namespace
}  // namespace brv
