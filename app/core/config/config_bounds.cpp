#include "brv_core/config/config_bounds.h"

#include <cstdint>

namespace brv {

namespace {

constexpr uint64_t kNsParMs = 1000000ULL;

std::string Remplace(const char* champ, uint64_t lu, uint64_t retenu) {
  return std::string("The configuration's ") + champ + " (" + std::to_string(lu) +
         ") is out of range: " + std::to_string(retenu) + " is used.";
}

// The duration fields as the pages limit them (days 48, hours 24, minutes 60, seconds 60).
void BorneDuree(DureeJHMS& d, const char* champ, std::vector<std::string>& notes) {
  const DureeJHMS lue = d;
  d.jours = std::min<uint8_t>(d.jours, 48);
  d.heures = std::min<uint8_t>(d.heures, 24);
  d.minutes = std::min<uint8_t>(d.minutes, 60);
  d.secondes = std::min<uint8_t>(d.secondes, 60);
  if (!(d == lue)) notes.push_back(Remplace(champ, lue.en_secondes(), d.en_secondes()));
}

void BorneIntegration(TempsIntegration& t, const char* champ, std::vector<std::string>& notes) {
  // 100 ms to 60 minutes: a shorter step would close an interval on every frame.
  if (t.ullNs >= 100 * kNsParMs && t.ullNs <= 3600000 * kNsParMs) return;
  const uint64_t lu = t.ullNs;
  t = TempsIntegration{};
  notes.push_back(Remplace(champ, lu, t.ullNs));
}

}  // namespace

std::vector<std::string> BorneConfiguration(Configuration& c) {
  std::vector<std::string> notes;
  ZonePostTrig& post = c.postTrig;
  if (post.ucUnite > UNITE_GO) {
    notes.push_back(Remplace("post-trig size unit", post.ucUnite, UNITE_MO));
    post.ucUnite = UNITE_MO;
  }
  // The size in bytes must be representable: a wrapped size would pass every check.
  if (post.ullTaille > kTailleZoneMaxOctets / octets_par_unite(post.ucUnite)) {
    notes.push_back(Remplace("post-trig size", post.ullTaille, ZonePostTrig{}.ullTaille));
    post.ullTaille = ZonePostTrig{}.ullTaille;
    post.ucUnite = ZonePostTrig{}.ucUnite;
  }
  if (c.preTrig.ullTailleEquivalente > kTailleZoneMaxOctets) {
    notes.push_back(Remplace("pre-trig equivalent size", c.preTrig.ullTailleEquivalente, 0));
    c.preTrig.ullTailleEquivalente = 0;
  }
  BorneDuree(post.duree, "post-trig duration in seconds", notes);
  BorneDuree(c.preTrig.duree, "pre-trig duration in seconds", notes);
  BorneDuree(c.differe.delai, "deferred start delay in seconds", notes);
  BorneIntegration(c.vues.configReseau, "network configuration integration time in ns", notes);
  BorneIntegration(c.vues.debitInstantane, "data rate integration time in ns", notes);
  if (c.vues.usNbPointsMemorises < 10 || c.vues.usNbPointsMemorises > 6000) {
    notes.push_back(Remplace("number of chart points", c.vues.usNbPointsMemorises, ConfigVues{}.usNbPointsMemorises));
    c.vues.usNbPointsMemorises = ConfigVues{}.usNbPointsMemorises;
  }
  return notes;
}

}  // namespace brv
