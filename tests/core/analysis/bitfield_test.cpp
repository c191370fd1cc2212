// Field extraction and comparison shared by the trigger engine and the display filter.

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include <vandrel/bitfield.h>

namespace vandrel {
namespace {

struct_CHAMP_BIT_SYNCHRO champ(uint16_t pos, uint8_t lg, int32_t largeur, bool lsb, int32_t op, uint64_t r,
                               bool signe = false, bool flottant = false) {
  struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = pos;
  c.ucLgValBit = lg;
  c.enLgInterpretationVal = largeur;
  c.bLSBPremier = lsb;
  c.enOperation = op;
  c.ullValeur = r;
  c.bSigne = signe;
  c.bFlottant = flottant;
  return c;
}

struct Extraction {
  const char* nom;
  std::vector<uint8_t> trame;
  struct_CHAMP_BIT_SYNCHRO c;
  bool lisible;
  uint64_t valeur;
};

TEST(BitField, Extraction) {
  const Extraction cas[] = {
      {"16 bits MSB first", {0x03, 0x12, 0x34}, champ(8, 16, LG_16, false, OP_EQUAL, 0), true, 0x1234},
      {"16 bits LSB first", {0x03, 0x12, 0x34}, champ(8, 16, LG_16, true, OP_EQUAL, 0), true, 0x3412},
      {"control byte", {0xA5}, champ(0, 8, LG_8, false, OP_EQUAL, 0), true, 0xA5},
      {"high nibble", {0xA5}, champ(4, 4, LG_8, false, OP_EQUAL, 0), true, 0x0A},
      {"across bytes LSB", {0xF0, 0x0F}, champ(4, 8, LG_8, true, OP_EQUAL, 0), true, 0xFF},
      // 12 bits into 16, MSB first: the first 4 bits fill the low nibble of the first byte.
      {"partial first byte", {0x00, 0xAB, 0x0C}, champ(8, 12, LG_16, false, OP_EQUAL, 0), true, 0x0B0A | 0xC0},
      {"past the frame", {0x01}, champ(4, 8, LG_8, false, OP_EQUAL, 0), false, 0},
      {"exactly to the end", {0x01, 0x02}, champ(8, 8, LG_8, false, OP_EQUAL, 0), true, 0x02},
      {"longer than 64", std::vector<uint8_t>(16, 0), champ(0, 65, LG_64, true, OP_EQUAL, 0), false, 0},
      {"MSB longer than its width", {1, 2, 3, 4}, champ(0, 24, LG_16, false, OP_EQUAL, 0), false, 0},
      {"LSB longer than its width", {0x11, 0x22, 0x33}, champ(0, 24, LG_16, true, OP_EQUAL, 0), true, 0x2211},
      {"unknown width", {1, 2}, champ(0, 8, 7, false, OP_EQUAL, 0), false, 0},
      {"64 bits LSB", {1, 2, 3, 4, 5, 6, 7, 8}, champ(0, 64, LG_64, true, OP_EQUAL, 0), true, 0x0807060504030201},
      {"64 bits MSB", {1, 2, 3, 4, 5, 6, 7, 8}, champ(0, 64, LG_64, false, OP_EQUAL, 0), true, 0x0102030405060708},
  };
  for (const auto& x : cas) {
    SCOPED_TRACE(x.nom);
    uint64_t v = 0;
    ASSERT_EQ(bitfield::extraire(x.trame.data(), static_cast<uint16_t>(x.trame.size()), x.c, v), x.lisible);
    if (x.lisible) {
      EXPECT_EQ(v, x.valeur);
    }
  }
}

struct Comparaison {
  const char* nom;
  uint64_t v;
  struct_CHAMP_BIT_SYNCHRO c;
  bool resultat;
};

uint64_t f32(float f) { return std::bit_cast<uint32_t>(f); }
uint64_t f64(double d) { return std::bit_cast<uint64_t>(d); }

TEST(BitField, Operations) {
  const Comparaison cas[] = {
      {"& some bit", 0x81, champ(0, 8, LG_8, 0, OP_AND, 0x01), true},
      {"& no bit", 0x80, champ(0, 8, LG_8, 0, OP_AND, 0x01), false},
      {"~| all ones", 0xF0, champ(0, 8, LG_8, 0, OP_NOT_OR, 0x0F), false},
      {"~| a hole", 0x70, champ(0, 8, LG_8, 0, OP_NOT_OR, 0x0F), true},
      {"&= covers", 0x3F, champ(0, 8, LG_8, 0, OP_AND_EQUAL, 0x0F), true},
      {"&= misses", 0x37, champ(0, 8, LG_8, 0, OP_AND_EQUAL, 0x0F), false},
      {"|= inside", 0x05, champ(0, 8, LG_8, 0, OP_OR_EQUAL, 0x0F), true},
      {"|= outside", 0x15, champ(0, 8, LG_8, 0, OP_OR_EQUAL, 0x0F), false},
      {"!=", 1, champ(0, 8, LG_8, 0, OP_DIFFERENT, 2), true},
      {"= at the width only", 0x1234, champ(0, 8, LG_8, 0, OP_EQUAL, 0x0534), true},
      {"unsigned <", 0xFF, champ(0, 8, LG_8, 0, OP_LESS, 1), false},
      {"signed < with -1", 0xFF, champ(0, 8, LG_8, 0, OP_LESS, 1, true), true},
      {"signed >= 16 bits", 0x8000, champ(0, 16, LG_16, 0, OP_GREATER_EQUAL, 0x7FFF, true), false},
      {"unsigned <= equal", 7, champ(0, 8, LG_8, 0, OP_LESS_EQUAL, 7), true},
      {"unknown operation", 7, champ(0, 8, LG_8, 0, 10, 7), false},
      {"float <", f32(1.5f), champ(0, 32, LG_32, 0, OP_LESS, f32(2.0f), false, true), true},
      {"float negatives reversed", f32(-3.0f), champ(0, 32, LG_32, 0, OP_LESS, f32(-2.0f), false, true), true},
      {"float negative below positive", f32(-1.0f), champ(0, 32, LG_32, 0, OP_GREATER, f32(0.5f), false, true), false},
      {"float -0 below +0", f32(-0.0f), champ(0, 32, LG_32, 0, OP_LESS, f32(0.0f), false, true), true},
      {"float = compares bits", f32(-0.0f), champ(0, 32, LG_32, 0, OP_EQUAL, f32(0.0f), false, true), false},
      {"float & never", f32(1.0f), champ(0, 32, LG_32, 0, OP_AND, f32(1.0f), false, true), false},
      {"float on 16 bits never", 1, champ(0, 16, LG_16, 0, OP_EQUAL, 1, false, true), false},
      {"double >=", f64(1e300), champ(0, 64, LG_64, 0, OP_GREATER_EQUAL, f64(-1e300), false, true), true},
  };
  for (const auto& x : cas) {
    SCOPED_TRACE(x.nom);
    EXPECT_EQ(bitfield::comparer(x.v, x.c), x.resultat);
  }
}

}  // namespace
}  // namespace vandrel

namespace vandrel {
namespace {

TEST(BitField, WholeByteReadingAgreesWithTheBitwiseReading) {
  uint64_t graine = 0x9E3779B97F4A7C15ULL;
  const auto alea = [&graine] {
    graine ^= graine << 13;
    graine ^= graine >> 7;
    graine ^= graine << 17;
    return graine;
  };
  uint8_t trame[16];
  for (int essai = 0; essai < 20000; ++essai) {
    for (auto& o : trame) o = static_cast<uint8_t>(alea());
    struct_CHAMP_BIT_SYNCHRO c{};
    c.usPosValBit = static_cast<uint16_t>(8 * (alea() % 10));
    c.ucLgValBit = static_cast<uint8_t>(8 * (alea() % 9));
    c.enLgInterpretationVal = static_cast<int32_t>(alea() % 4);
    c.bLSBPremier = alea() & 1;
    uint64_t rapide = 0, lent = 0;
    const bool a = bitfield::extraire(trame, sizeof trame, c, rapide);
    const bool b = bitfield::extraire_bit_a_bit(trame, sizeof trame, c, lent);
    ASSERT_EQ(a, b);
    if (a) {
      ASSERT_EQ(rapide, lent) << c.usPosValBit << " " << int(c.ucLgValBit) << " " << c.enLgInterpretationVal;
    }
  }
}

}  // namespace
}  // namespace vandrel
