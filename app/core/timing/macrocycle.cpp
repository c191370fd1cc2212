#include <algorithm>
#include <cmath>
#include <numeric>

#include "brv_core/timing/bus_timing.h"

namespace brv {

Macrocycle CalculeMacrocycle(std::vector<TimingIdentifiant>& identifiants, int32_t identifiantExclu) {
  Macrocycle m;
  auto compte = [&](const TimingIdentifiant& t) {
    return t.periodes.nominalNs > 0 && static_cast<int32_t>(t.identifiant) != identifiantExclu;
  };
  for (const auto& t : identifiants) {
    if (!compte(t)) continue;
    if (t.identifiant == kIdSynchroArbitre) {
      m.cycleElementaireNs = t.periodes.nominalNs;
      m.cycleParSynchro = true;
      break;
    }
    if (m.cycleElementaireNs == 0 || t.periodes.nominalNs < m.cycleElementaireNs) {
      m.cycleElementaireNs = t.periodes.nominalNs;
    }
  }
  if (m.cycleElementaireNs == 0) return m;

  uint64_t multiple = 1;
  uint32_t plusLong = 0;
  const TimingIdentifiant* mesure = nullptr;
  for (auto& t : identifiants) {
    if (!compte(t)) continue;
    const double cycles = std::round(static_cast<double>(t.periodes.nominalNs) / static_cast<double>(m.cycleElementaireNs));
    t.nominalCycles = static_cast<uint32_t>(std::clamp(cycles, 1.0, double{UINT32_MAX}));
    if (!m.borne) {
      multiple = std::lcm(multiple, uint64_t{t.nominalCycles});
      if (multiple > kMaxCyclesMacrocycle) m.borne = true;
    }
    // The slowest identifier, the one scanned most often among equals.
    if (mesure == nullptr || t.periodes.nominalNs > mesure->periodes.nominalNs ||
        (t.periodes.nominalNs == mesure->periodes.nominalNs && t.appels > mesure->appels)) {
      mesure = &t;
    }
    plusLong = std::max(plusLong, t.nominalCycles);
  }
  m.periodeCycles = m.borne ? plusLong : static_cast<uint32_t>(multiple);
  m.periodeNs = static_cast<int64_t>(m.periodeCycles) * m.cycleElementaireNs;
  m.identifiantMesure = mesure->identifiant;
  m.mesure = mesure->periodes.periode;
  return m;
}

}  // namespace brv
