#pragma once
// Bit-field conditions on frame bytes: extraction of a field and its comparison with a
// reference value. The trigger engine and the program's display filter and event marks
// share this one implementation, so a definition matches the same frames everywhere.

#include <cstddef>
#include <cstdint>

namespace vandrel {

// Width codes of a value.
enum enLgInterpretation : int32_t { LG_8 = 0, LG_16 = 1, LG_32 = 2, LG_64 = 3 };

// Operations, in stored order.
enum enOperationChamp : int32_t {
  OP_AND = 0,         // "&"   V & R != 0
  OP_NOT_OR = 1,      // "~|"  V | R != all ones
  OP_AND_EQUAL = 2,   // "&="  V & R == R
  OP_OR_EQUAL = 3,    // "|="  V | R == R
  OP_DIFFERENT = 4,   // "!="
  OP_EQUAL = 5,       // "="
  OP_LESS = 6,        // "<"
  OP_GREATER = 7,     // ">"
  OP_LESS_EQUAL = 8,  // "<="
  OP_GREATER_EQUAL = 9,
};

// Bit-field condition of a trigger frame definition (24 bytes in the parameter block).
struct struct_CHAMP_BIT_SYNCHRO {
  uint16_t usPosValBit;   // bit p is bit (p mod 8) of byte (p div 8); bit 0 is in the control byte
  uint8_t ucLgValBit;     // 0 to 64
  uint8_t bLSBPremier;    // non-zero: least significant byte first
  uint8_t bSigne;
  uint8_t bFlottant;      // IEEE 754: single for LG_32, double for LG_64
  uint8_t ucReserve[2];
  int32_t enLgInterpretationVal;
  int32_t enOperation;
  uint64_t ullValeur;     // reference value; widths below 64 use its low bits
};
static_assert(sizeof(struct_CHAMP_BIT_SYNCHRO) == 24);
static_assert(offsetof(struct_CHAMP_BIT_SYNCHRO, enLgInterpretationVal) == 8);
static_assert(offsetof(struct_CHAMP_BIT_SYNCHRO, ullValeur) == 16);

namespace bitfield {

constexpr unsigned largeur_bits(int32_t code) {
  switch (code) {
    case LG_8: return 8;
    case LG_16: return 16;
    case LG_32: return 32;
    case LG_64: return 64;
    default: return 0;
  }
}

// The narrowest width that holds a field of lg bits.
constexpr int32_t code_largeur(unsigned lg) { return lg <= 8 ? LG_8 : lg <= 16 ? LG_16 : lg <= 32 ? LG_32 : LG_64; }

constexpr uint64_t masque(unsigned bits) { return bits >= 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1; }

// Field bits assembled into B as the engine does, one bit at a time (any position and length).
constexpr void assembler_bits(const uint8_t* trame, const struct_CHAMP_BIT_SYNCHRO& c, unsigned largeur, uint8_t (&b)[8]) {
  const unsigned lg = c.ucLgValBit;
  if (c.bLSBPremier) {
    for (unsigned k = 0; k < lg; ++k) {
      const unsigned p = c.usPosValBit + k;
      const unsigned bit = (trame[p >> 3] >> (p & 7)) & 1u;
      b[k >> 3] = static_cast<uint8_t>(b[k >> 3] | (bit << (k & 7)));
    }
    return;
  }
  // Bits land in B from byte (f + k) / 8 on; inside each byte they fill from bit 0 upward in
  // arrival order, so a partial first byte is filled from its bit 0.
  const unsigned f = c.enLgInterpretationVal == LG_8 ? 0 : largeur - lg;
  unsigned rempli[8] = {};
  for (unsigned k = 0; k < lg; ++k) {
    const unsigned p = c.usPosValBit + k;
    const unsigned bit = (trame[p >> 3] >> (p & 7)) & 1u;
    const unsigned octet = (f + k) >> 3;
    if (octet >= 8) break;  // beyond the width: ignored
    b[octet] = static_cast<uint8_t>(b[octet] | (bit << rempli[octet]++));
  }
}

// The same for a field of whole bytes: each frame byte lands whole in B.
constexpr void assembler_octets(const uint8_t* trame, const struct_CHAMP_BIT_SYNCHRO& c, unsigned largeur, uint8_t (&b)[8]) {
  const unsigned n = c.ucLgValBit / 8;
  const unsigned debut = c.bLSBPremier || c.enLgInterpretationVal == LG_8 ? 0 : (largeur - c.ucLgValBit) / 8;
  const uint8_t* src = trame + c.usPosValBit / 8;
  for (unsigned j = 0; j < n && debut + j < 8; ++j) b[debut + j] = src[j];
}

// Checks that the condition can be evaluated on n frame bytes: the field lies wholly inside the
// frame, its length is at most 64, its width code is known, and (most significant byte first)
// it is not longer than its width.
constexpr bool evaluable(uint16_t n, const struct_CHAMP_BIT_SYNCHRO& c) {
  const unsigned lg = c.ucLgValBit;
  const unsigned largeur = largeur_bits(c.enLgInterpretationVal);
  if (lg > 64 || largeur == 0) return false;
  if (uint32_t{c.usPosValBit} + lg > uint32_t{n} * 8) return false;
  return c.bLSBPremier || c.enLgInterpretationVal == LG_8 || lg <= largeur;
}

constexpr uint64_t lire_largeur(const uint8_t (&b)[8], unsigned largeur, bool lsb) {
  uint64_t v = 0;
  for (unsigned i = 0; i < largeur / 8; ++i) v = lsb ? v | (uint64_t{b[i]} << (8 * i)) : (v << 8) | b[i];
  return v;
}

// Reads the field into value at its width; false when the condition cannot be evaluated.
constexpr bool extraire(const uint8_t* trame, uint16_t n, const struct_CHAMP_BIT_SYNCHRO& c, uint64_t& valeur) {
  if (!evaluable(n, c)) return false;
  const unsigned largeur = largeur_bits(c.enLgInterpretationVal);
  uint8_t b[8] = {};
  if ((c.usPosValBit | c.ucLgValBit) % 8 == 0) {
    assembler_octets(trame, c, largeur, b);
  } else {
    assembler_bits(trame, c, largeur, b);
  }
  valeur = lire_largeur(b, largeur, c.bLSBPremier != 0);
  return true;
}

// The bit-at-a-time reading alone, the reference the whole-byte reading must agree with.
constexpr bool extraire_bit_a_bit(const uint8_t* trame, uint16_t n, const struct_CHAMP_BIT_SYNCHRO& c, uint64_t& valeur) {
  if (!evaluable(n, c)) return false;
  const unsigned largeur = largeur_bits(c.enLgInterpretationVal);
  uint8_t b[8] = {};
  assembler_bits(trame, c, largeur, b);
  valeur = lire_largeur(b, largeur, c.bLSBPremier != 0);
  return true;
}

// Order of IEEE 754 values of a width by sign, then exponent, then mantissa (reversed for two
// negative values): an unsigned key that sorts the same way.
constexpr uint64_t cle_flottant(uint64_t bits, unsigned largeur) {
  const uint64_t signe = uint64_t{1} << (largeur - 1);
  return (bits & signe) ? (~bits & masque(largeur)) : (bits | signe);
}

constexpr int64_t etendre_signe(uint64_t v, unsigned largeur) {
  if (largeur >= 64) return static_cast<int64_t>(v);
  const uint64_t signe = uint64_t{1} << (largeur - 1);
  return static_cast<int64_t>((v ^ signe) - signe);
}

// Compares a field value with the reference under the condition's operation and interpretation.
constexpr bool comparer(uint64_t v, const struct_CHAMP_BIT_SYNCHRO& c) {
  const unsigned largeur = largeur_bits(c.enLgInterpretationVal);
  if (largeur == 0) return false;
  const uint64_t m = masque(largeur);
  v &= m;
  const uint64_t r = c.ullValeur & m;

  if (c.bFlottant) {
    if (largeur < 32) return false;
    const uint64_t kv = cle_flottant(v, largeur);
    const uint64_t kr = cle_flottant(r, largeur);
    switch (c.enOperation) {
      case OP_DIFFERENT: return v != r;
      case OP_EQUAL: return v == r;
      case OP_LESS: return kv < kr;
      case OP_GREATER: return kv > kr;
      case OP_LESS_EQUAL: return kv <= kr;
      case OP_GREATER_EQUAL: return kv >= kr;
      default: return false;
    }
  }

  switch (c.enOperation) {
    case OP_AND: return (v & r) != 0;
    case OP_NOT_OR: return (v | r) != m;
    case OP_AND_EQUAL: return (v & r) == r;
    case OP_OR_EQUAL: return (v | r) == r;
    case OP_DIFFERENT: return v != r;
    case OP_EQUAL: return v == r;
    default: break;
  }
  if (c.bSigne) {
    const int64_t sv = etendre_signe(v, largeur);
    const int64_t sr = etendre_signe(r, largeur);
    switch (c.enOperation) {
      case OP_LESS: return sv < sr;
      case OP_GREATER: return sv > sr;
      case OP_LESS_EQUAL: return sv <= sr;
      case OP_GREATER_EQUAL: return sv >= sr;
      default: return false;
    }
  }
  switch (c.enOperation) {
    case OP_LESS: return v < r;
    case OP_GREATER: return v > r;
    case OP_LESS_EQUAL: return v <= r;
    case OP_GREATER_EQUAL: return v >= r;
    default: return false;
  }
}

// Whether the frame satisfies the condition; a condition that cannot be evaluated does not.
constexpr bool satisfait(const uint8_t* trame, uint16_t n, const struct_CHAMP_BIT_SYNCHRO& c) {
  uint64_t v = 0;
  return extraire(trame, n, c, v) && comparer(v, c);
}

}  // namespace bitfield
}  // namespace vandrel
