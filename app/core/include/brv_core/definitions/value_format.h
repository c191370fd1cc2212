#pragma once
// A value of lg bits shown in its interpretation and marked "(b)", "(h)", "(d)" or "(f)": the
// same text in the bit-field lists, the frame detail and the interpreted export.

#include <cstdint>
#include <string>

namespace brv {

// interpretation: 0 binary, 1 hexadecimal, 2 decimal, 3 float, 4 scientific float; the value is
// taken on its lg low bits (sign-extended when signed).
std::string FormateValeur(uint64_t valeur, uint32_t interpretation, bool signe, unsigned lg);
// The same text without its mark: what the bit-field editor's value control shows.
std::string TexteValeur(uint64_t valeur, uint32_t interpretation, bool signe, unsigned lg);

// Binary digits, most significant first, without leading zeros ("0" for zero).
std::string TexteBinaire(uint64_t v);

}  // namespace brv
