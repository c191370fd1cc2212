// The frame definition editor's checks and value conversions.

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <string>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_rules.h"

namespace brv {
namespace {

SaisieChampBits saisie(std::string pos, std::string lg, std::string valeur, int interp = INTERP_HEXA, int signe = 0) {
  SaisieChampBits s;
  s.position = std::move(pos);
  s.longueur = std::move(lg);
  s.operation = OP_EGAL;
  s.valeur = std::move(valeur);
  s.signe = signe;
  s.interpretation = interp;
  s.ordre = 0;
  return s;
}

struct Questions {
  bool reponse = true;
  std::vector<std::string> posees;
  QuestionOuiNon fn() {
    return [this](std::string_view q) {
      posees.emplace_back(q);
      return reponse;
    };
  }
};

constexpr uint8_t kRpDat = 0x02;

TEST(DefinitionRules, BitFieldChecksInOrder) {
  Questions q;
  CHAMP_BITS c;
  std::string texte;
  struct Cas {
    SaisieChampBits s;
    uint8_t type;
    const char* message;
  };
  SaisieChampBits sansOperation = saisie("8", "8", "1");
  sansOperation.operation = -1;
  SaisieChampBits sansSigne = saisie("8", "8", "1");
  sansSigne.signe = -1;
  SaisieChampBits sansFormat = saisie("8", "8", "1");
  sansFormat.interpretation = -1;
  SaisieChampBits sansOrdre = saisie("8", "8", "1");
  sansOrdre.ordre = -1;
  const Cas cas[] = {
      {saisie("", "8", "1"), kRpDat, "Please define the starting position of the bit field."},
      {saisie("0", "8", "1"), kRpDat, "The starting position of the bit field overlaps the control byte.\nPlease define another one."},
      {saisie("8", "", "1"), kRpDat, "Please define the bit field length."},
      {saisie("8", "65", "1"), kRpDat, "A bit field length cannot exceed 64 bits.\nPlease define another length."},
      {sansOperation, kRpDat, "Please select the comparing operation to apply to the bit field."},
      {saisie("8", "8", "  "), kRpDat, "Please define the comparing value to apply to the bit field."},
      {sansSigne, kRpDat, "Please select whether the comparing value is signed or not."},
      {sansFormat, kRpDat, "Please select the interpretation format of the comparing value."},
      {saisie("8", "12", "1", INTERP_HEXA, 1), kRpDat,
       "A binary or hexadecimal value can be signed\nonly if the bit field length is worth 8, 16, 32 or 64 bits."},
      {saisie("8", "16", "1.5", INTERP_FLOTTANT), kRpDat,
       "A value can be interpreted as a float\nonly if the bit field length is worth 32 or 64 bits."},
      {sansOrdre, kRpDat, "Please select the bytes transmission order associated to the bit field."},
  };
  for (const auto& x : cas) {
    const Verdict v = ValideChampBits(x.s, x.type, q.fn(), c, texte);
    EXPECT_EQ(v.type, Verdict::Refuse) << x.message;
    EXPECT_EQ(v.message, x.message);
  }
  EXPECT_TRUE(q.posees.empty());
  // The control byte is free on a user-defined frame.
  EXPECT_TRUE(ValideChampBits(saisie("0", "8", "3"), kTypeDefiniParUtilisateur, q.fn(), c, texte).ok());
}

TEST(DefinitionRules, FieldBeyondTheFrameAsksFirst) {
  Questions q;
  CHAMP_BITS c;
  std::string texte;
  q.reponse = false;
  const Verdict non = ValideChampBits(saisie("1040", "16", "1"), kRpDat, q.fn(), c, texte);
  EXPECT_EQ(non.type, Verdict::Abandonne);
  ASSERT_EQ(q.posees.size(), 1u);
  EXPECT_EQ(q.posees[0], "The bit field location exceeds the maximum length of the frame.\nDo you want to continue ?");
  q.reponse = true;
  EXPECT_TRUE(ValideChampBits(saisie("1040", "16", "1"), kRpDat, q.fn(), c, texte).ok());
  EXPECT_TRUE(ValideChampBits(saisie("1032", "16", "1"), kRpDat, q.fn(), c, texte).ok());
  EXPECT_EQ(q.posees.size(), 2u);  // 1032 + 16 = 1048 stays inside
  EXPECT_EQ(LimiteBitsType(0x03), 40u);
  EXPECT_EQ(LimiteBitsType(0x14), 2120u);
  EXPECT_EQ(LimiteBitsType(0x40), 24u);
  EXPECT_EQ(LimiteBitsType(0x28), 1048u);
  EXPECT_EQ(LimiteBitsType(0), 0u);
}

TEST(DefinitionRules, ValuesParseToTheirCanonicalText) {
  struct Cas {
    const char* texte;
    InterpretationValeur interp;
    bool signe;
    unsigned lg;
    uint64_t valeur;
    const char* canonique;
  };
  const Cas cas[] = {
      {"10102", INTERP_BINAIRE, false, 8, 0b1010, "1010"},
      {"0011", INTERP_BINAIRE, false, 8, 3, "11"},
      {"111111111", INTERP_BINAIRE, false, 4, 0xF, "1111"},
      {"1ff", INTERP_HEXA, false, 8, 0xFF, "FF"},
      {"0x8000", INTERP_HEXA, true, 16, 0x8000, "8000"},
      {"-1", INTERP_DECIMAL, true, 12, ~uint64_t{0}, "-1"},
      {"2047", INTERP_DECIMAL, true, 12, 2047, "2047"},
      {"4096", INTERP_DECIMAL, false, 12, 0, "0"},
      {"1.5", INTERP_FLOTTANT, false, 32, std::bit_cast<uint32_t>(1.5f), "1.500000"},
      {"1e3", INTERP_FLOTTANT_SCIENTIFIQUE, false, 64, std::bit_cast<uint64_t>(1000.0), "1000"},
  };
  for (const auto& x : cas) {
    uint64_t v = 0;
    std::string t;
    ASSERT_TRUE(AnalyseValeur(x.texte, x.interp, x.signe, x.lg, v, t).ok()) << x.texte;
    EXPECT_EQ(v, x.valeur) << x.texte;
    EXPECT_EQ(t, x.canonique) << x.texte;
  }
  uint64_t v = 0;
  std::string t;
  EXPECT_EQ(AnalyseValeur("2", INTERP_BINAIRE, false, 8, v, t).message,
            "Please define the comparing value to apply to the bit field.");
}

TEST(DefinitionRules, ValuesShowWithTheirMark) {
  CHAMP_BITS c;
  c.ucLongueur = 12;
  c.ullValeur = ~uint64_t{0};
  c.ulInterpretation = INTERP_DECIMAL;
  c.bSigne = 1;
  EXPECT_EQ(FormateValeurChamp(c), "-1 (d)");
  c.ulInterpretation = INTERP_HEXA;
  c.ullValeur = 0x1A;
  EXPECT_EQ(FormateValeurChamp(c), "1A (h)");
  c.ulInterpretation = INTERP_BINAIRE;
  EXPECT_EQ(FormateValeurChamp(c), "11010 (b)");
  c.ulInterpretation = INTERP_FLOTTANT_SCIENTIFIQUE;
  c.ucLongueur = 32;
  c.ullValeur = std::bit_cast<uint32_t>(0.25f);
  EXPECT_EQ(FormateValeurChamp(c), "0.25 (f)");
}

TEST(DefinitionRules, NamesAndTriggerMethod) {
  TableDefinitions liste;
  liste.nb = 2;
  DefinitNom(liste.defs[0], "Frame");
  DefinitNom(liste.defs[1], "Other");
  EXPECT_EQ(ValideDefinition("", liste, -1).message, "Please define a frame name.");
  EXPECT_EQ(ValideDefinition("FRAME", liste, -1).message, "This frame name already exists.\nPlease define another one.");
  EXPECT_TRUE(ValideDefinition("FRAME", liste, 0).ok());  // its own name
  EXPECT_TRUE(ValideDefinition("Third", liste, -1).ok());

  Questions q;
  EXPECT_EQ(VerifieMethodeDeclenchement(-1, 3, q.fn()).message, "Please, select a trigger method.");
  q.reponse = false;
  EXPECT_EQ(VerifieMethodeDeclenchement(3, 2, q.fn()).type, Verdict::Abandonne);
  ASSERT_EQ(q.posees.size(), 1u);
  EXPECT_EQ(q.posees[0], "Warning:\n  There is not enough frames according to the selected method.\nDo you want to continue ?");
  EXPECT_TRUE(VerifieMethodeDeclenchement(2, 2, q.fn()).ok());
  EXPECT_EQ(kOperations[1].symbole, std::string("~|"));
  EXPECT_EQ(kMethodesDeclenchement[5].texte, std::string("F1 Then (F2 Or F3)"));
}

TEST(DefinitionRules, OkStoresWhatTheListKeeps) {
  TableDefinitions liste;
  liste.nb = 1;
  DefinitNom(liste.defs[0], "Taken");
  DEFINITION_TRAME d;
  d.bNePasDissocierRP = 1;
  d.champs.resize(2);
  d.champs[1].ulOrdre = 1;
  const struct {
    const char* nom;
    JeuDefinitions jeu;
    uint8_t type;
    uint32_t ordre;
    bool accepte;
    uint32_t nePasDissocier;
    uint32_t ordreChamps[2];
  } cas[] = {
      {"ID_DAT filter", JeuDefinitions::Filtre, 0x03, ORDRE_MSB, true, 1, {0, 0}},
      {"ID_RQ1 filter", JeuDefinitions::Filtre, 0x29, ORDRE_LSB, true, 1, {1, 1}},
      {"RP_DAT filter", JeuDefinitions::Filtre, 0x02, ORDRE_LIBRE, true, 0, {0, 1}},
      {"user filter", JeuDefinitions::Filtre, 0, ORDRE_LIBRE, true, 0, {0, 1}},
      {"ID_DAT event", JeuDefinitions::Evenement, 0x03, ORDRE_LIBRE, true, 0, {0, 1}},
      {"ID_MSG trigger", JeuDefinitions::Declenchement, 0x05, ORDRE_LIBRE, true, 0, {0, 1}},
      {"taken", JeuDefinitions::Filtre, 0x03, ORDRE_LSB, false, 1, {0, 1}},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.nom);
    DEFINITION_TRAME x = d;
    x.ucTypeTrame = c.type;
    x.ulOrdreOctets = c.ordre;
    EXPECT_EQ(TermineDefinition(c.nom, liste, -1, c.jeu, x).ok(), c.accepte);
    EXPECT_EQ(NomDefinition(x), c.accepte ? c.nom : "");
    EXPECT_EQ(x.bNePasDissocierRP, c.nePasDissocier);
    EXPECT_EQ(x.champs[0].ulOrdre, c.ordreChamps[0]);
    EXPECT_EQ(x.champs[1].ulOrdre, c.ordreChamps[1]);
  }
}

TEST(DefinitionRules, TypeChoicesAndIdentifier) {
  EXPECT_EQ(RangChoixType(0x03), 0);
  EXPECT_EQ(RangChoixType(0x40), 19);
  EXPECT_EQ(RangChoixType(0), 20);
  EXPECT_EQ(RangChoixType(0x55), 20);  // no such type
  for (int i = 0; i <= 20; ++i) EXPECT_EQ(RangChoixType(TypeDuChoix(i)), i);
  EXPECT_EQ(TypeDuChoix(20), kTypeDefiniParUtilisateur);

  const struct {
    const char* texte;
    bool ok;
    uint16_t valeur;
  } cas[] = {{"", true, 0}, {"50", true, 0x50}, {" 4f50 ", true, 0x4F50}, {"FFFF", true, 0xFFFF},
             {"10000", false, 0}, {"12G", false, 0}, {"-1", false, 0}};
  for (const auto& c : cas) {
    uint16_t v = 0x7777;
    EXPECT_EQ(AnalyseIdentifiant(c.texte, v), c.ok) << c.texte;
    EXPECT_EQ(v, c.ok ? c.valeur : 0x7777) << c.texte;  // left alone when refused
  }
  EXPECT_EQ(TexteIdentifiant(0x50), "0050");
}

// A row of the bit-field list, and the editor filled from it, which checks back to the same condition.
TEST(DefinitionRules, BitFieldRowsAndTheEditorAgree) {
  const struct {
    CHAMP_BITS c;
    std::array<std::string, 6> ligne;
  } cas[] = {
      {{16, 8, 0, OP_EGAL, 0x4F, INTERP_HEXA, 0, 0, 0}, {"16", "8", "=", "4F (h)", " ", "MSB"}},
      {{8, 12, 0, OP_NON_OU, ~uint64_t{0}, INTERP_DECIMAL, 1, 1, 0}, {"8", "12", "~|", "-1 (d)", "X", "LSB"}},
      {{40, 5, 0, OP_SUP_EGAL, 0b10110, INTERP_BINAIRE, 0, 0, 0}, {"40", "5", ">=", "10110 (b)", " ", "MSB"}},
      {{64, 32, 0, OP_INFERIEUR, std::bit_cast<uint32_t>(2.5f), INTERP_FLOTTANT, 0, 1, 0},
       {"64", "32", "<", "2.500000 (f)", " ", "LSB"}},
  };
  for (const auto& x : cas) {
    SCOPED_TRACE(x.ligne[3]);
    EXPECT_EQ(TextesChampBits(x.c), x.ligne);
    CHAMP_BITS relu;
    std::string texte;
    ASSERT_TRUE(ValideChampBits(SaisieChampDe(x.c), kRpDat, [](std::string_view) { return true; }, relu, texte).ok());
    EXPECT_EQ(relu, x.c);
    EXPECT_EQ(texte + x.ligne[3].substr(x.ligne[3].size() - 4), x.ligne[3]);
  }
}

}  // namespace
}  // namespace brv
