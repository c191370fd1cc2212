#include "brv_core/config/views_page.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace brv {

namespace {

constexpr uint64_t kNsParUnite[3] = {1000000ULL, 1000000000ULL, 60000000000ULL};
constexpr uint64_t kNsMin = 100000000ULL;      // 100 ms
constexpr uint64_t kNsMax = 3600000000000ULL;  // one hour
constexpr uint64_t kPointsMin = 10, kPointsMax = 6000;

// A missing or unreadable number counts as 0; one too large for 64 bits saturates.
uint64_t Nombre(const std::string& t) {
  uint64_t v = 0;
  const auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec == std::errc::result_out_of_range) return std::numeric_limits<uint64_t>::max();
  return ec == std::errc() && p == t.data() + t.size() ? v : 0;
}

bool Corrige(SaisieTemps& s, TempsIntegration& t) {
  const int unite = std::clamp(s.unite, 0, 2);
  const uint64_t n = Nombre(s.nombre);
  const uint64_t ns = n > kNsMax / kNsParUnite[unite] ? kNsMax + 1 : n * kNsParUnite[unite];
  t = TempsIntegration{};
  if (ns < kNsMin) {
    s = {"100", 0};
  } else if (ns > kNsMax) {
    s = {"60", 2};
  } else {
    t.ulValeur = static_cast<uint32_t>(n);
    t.ucUnite = static_cast<uint8_t>(unite);
    t.ullNs = ns;
    return false;
  }
  t.ulValeur = static_cast<uint32_t>(Nombre(s.nombre));
  t.ucUnite = static_cast<uint8_t>(s.unite);
  t.ullNs = t.ulValeur * kNsParUnite[s.unite];
  return true;
}

}  // namespace

SaisiePageVues SaisiePageVuesDe(const ConfigVues& v) {
  const auto temps = [](const TempsIntegration& t) { return SaisieTemps{std::to_string(t.ulValeur), std::min<int>(t.ucUnite, 2)}; };
  return {temps(v.configReseau), temps(v.debitInstantane), std::to_string(v.usNbPointsMemorises), v.bOuvertureAuto != 0};
}

bool VerifiePageVues(SaisiePageVues& s, ConfigVues& vues) {
  bool corrige = Corrige(s.configReseau, vues.configReseau);
  corrige = Corrige(s.debitInstantane, vues.debitInstantane) || corrige;
  const uint64_t points = Nombre(s.nbPoints);
  const uint64_t retenu = std::clamp(points, kPointsMin, kPointsMax);
  if (retenu != points) {
    s.nbPoints = std::to_string(retenu);
    corrige = true;
  }
  vues.usNbPointsMemorises = static_cast<uint16_t>(retenu);
  vues.bOuvertureAuto = s.ouvertureAuto;
  return corrige;
}

std::optional<std::string> VerifiePageBourrage(bool autre, const std::string& identifiant, TripletBourrage& affichage) {
  if (!autre) {
    affichage = TripletBourrage{};
    return std::nullopt;
  }
  uint32_t id = 0;
  const auto [p, ec] = std::from_chars(identifiant.data(), identifiant.data() + identifiant.size(), id, 16);
  if (identifiant.empty() || ec != std::errc() || p != identifiant.data() + identifiant.size() || id > 0xFFFF) {
    return kMsgBourrageRecalcul;
  }
  affichage.bActif = 1;
  affichage.ulIdentifiant = id;
  return std::nullopt;
}

}  // namespace brv
