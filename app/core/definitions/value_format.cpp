#include "brv_core/definitions/value_format.h"

#include <bit>
#include <cstdio>

namespace brv {

std::string TexteBinaire(uint64_t v) {
  if (v == 0) return "0";
  std::string s;
  for (int b = 63 - std::countl_zero(v); b >= 0; --b) s.push_back(((v >> b) & 1) ? '1' : '0');
  return s;
}

std::string TexteValeur(uint64_t v, uint32_t interpretation, bool signe, unsigned lg) {
  const uint64_t masque = lg >= 64 || lg == 0 ? ~uint64_t{0} : (uint64_t{1} << lg) - 1;
  char t[64];
  switch (interpretation) {
    case 0: return TexteBinaire(v & masque);
    case 2: {
      v &= masque;
      if (signe && lg > 0 && lg < 64 && ((v >> (lg - 1)) & 1)) v |= ~masque;
      if (signe) {
        std::snprintf(t, sizeof t, "%lld", static_cast<long long>(v));
      } else {
        std::snprintf(t, sizeof t, "%llu", static_cast<unsigned long long>(v));
      }
      return t;
    }
    case 3:
    case 4: {
      const double x = lg == 32 ? static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(v))) : std::bit_cast<double>(v);
      std::snprintf(t, sizeof t, interpretation == 3 ? "%f" : "%g", x);
      return t;
    }
    default:
      std::snprintf(t, sizeof t, "%llX", static_cast<unsigned long long>(v & masque));
      return t;
  }
}

std::string FormateValeur(uint64_t v, uint32_t interpretation, bool signe, unsigned lg) {
  const char* marque = interpretation == 0 ? " (b)" : interpretation == 2 ? " (d)"
                       : interpretation == 3 || interpretation == 4 ? " (f)" : " (h)";
  return TexteValeur(v, interpretation, signe, lg) + marque;
}

}  // namespace brv
