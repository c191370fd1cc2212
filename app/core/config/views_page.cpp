#include "brv_core/config/views_page.h"

#include "brv_core/config/acq_pages.h"
#include "brv_core/definitions/definition_rules.h"

#include <algorithm>

namespace brv {

namespace {

constexpr uint64_t kNsParUnite[3] = {1000000ULL, 1000000000ULL, 60000000000ULL};
constexpr uint64_t kNsMin = 100000000ULL;      // 100 ms
constexpr uint64_t kNsMax = 3600000000000ULL;  // one hour
constexpr uint64_t kPointsMin = 10, kPointsMax = 6000;

// Stores the time, or its nearest limit, which the page then shows; true when it was replaced.
bool Corrige(SaisieTemps& s, TempsIntegration& t) {
  const int unite = std::clamp(s.unite, 0, 2);
  const uint64_t n = NombreSaisi(s.nombre);
  const uint64_t ns = n > kNsMax / kNsParUnite[unite] ? kNsMax + 1 : n * kNsParUnite[unite];
  const bool corrige = ns < kNsMin || ns > kNsMax;
  if (ns < kNsMin) s = {"100", 0};
  if (ns > kNsMax) s = {"60", 2};
  t = TempsIntegration{};
  t.ulValeur = static_cast<uint32_t>(corrige ? NombreSaisi(s.nombre) : n);
  t.ucUnite = static_cast<uint8_t>(corrige ? s.unite : unite);
  t.ullNs = corrige ? t.ulValeur * kNsParUnite[t.ucUnite] : ns;
  return corrige;
}

}  // namespace

SaisiePageVues SaisiePageVuesDe(const ConfigVues& v) {
  const auto temps = [](const TempsIntegration& t) { return SaisieTemps{std::to_string(t.ulValeur), std::min<int>(t.ucUnite, 2)}; };
  return {temps(v.configReseau), temps(v.debitInstantane), std::to_string(v.usNbPointsMemorises), v.bOuvertureAuto != 0};
}

bool VerifiePageVues(SaisiePageVues& s, ConfigVues& vues) {
  bool corrige = Corrige(s.configReseau, vues.configReseau);
  corrige = Corrige(s.debitInstantane, vues.debitInstantane) || corrige;
  const uint64_t points = NombreSaisi(s.nbPoints);
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
  uint16_t id = 0;
  if (identifiant.empty() || !AnalyseIdentifiant(identifiant, id)) return kMsgBourrageRecalcul;
  affichage.bActif = 1;
  affichage.ulIdentifiant = id;
  return std::nullopt;
}

}  // namespace brv
