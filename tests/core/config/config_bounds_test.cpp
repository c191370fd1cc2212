// Values of a configuration that drive a loop, an allocation or a step are brought back into
// range, each replacement said once.

#include <gtest/gtest.h>

#include <functional>

#include "brv_core/config/config_bounds.h"

namespace brv {
namespace {

struct Cas {
  const char* nom;
  std::function<void(Configuration&)> abime;
  std::function<bool(const Configuration&)> corrige;
  size_t notes;
};

TEST(ConfigBounds, ImplausibleValuesAreReplaced) {
  const Cas cas[] = {
      {"defaults", [](Configuration&) {}, [](const Configuration&) { return true; }, 0},
      {"size that wraps in bytes",
       [](Configuration& c) {
         c.postTrig.ullTaille = 18014398509481985ULL;
         c.postTrig.ucUnite = UNITE_KO;
       },
       [](const Configuration& c) { return c.postTrig.taille_octets() == 1024000; }, 1},
      {"largest size kept",
       [](Configuration& c) {
         c.postTrig.ullTaille = kTailleZoneMaxOctets / 1024000000;
         c.postTrig.ucUnite = UNITE_GO;
       },
       [](const Configuration& c) { return c.postTrig.ullTaille == kTailleZoneMaxOctets / 1024000000; }, 0},
      {"unknown unit", [](Configuration& c) { c.postTrig.ucUnite = 7; },
       [](const Configuration& c) { return c.postTrig.ucUnite == UNITE_MO; }, 1},
      {"data rate every nanosecond", [](Configuration& c) { c.vues.debitInstantane.ullNs = 1; },
       [](const Configuration& c) { return c.vues.debitInstantane.ullNs == 1000000000; }, 1},
      {"network window of a day", [](Configuration& c) { c.vues.configReseau.ullNs = 86400000000000ULL; },
       [](const Configuration& c) { return c.vues.configReseau.ullNs == 1000000000; }, 1},
      {"100 ms kept", [](Configuration& c) { c.vues.debitInstantane.ullNs = 100000000; },
       [](const Configuration& c) { return c.vues.debitInstantane.ullNs == 100000000; }, 0},
      {"chart points", [](Configuration& c) { c.vues.usNbPointsMemorises = 65535; },
       [](const Configuration& c) { return c.vues.usNbPointsMemorises == 100; }, 1},
      {"durations beyond the pages' limits",
       [](Configuration& c) {
         c.postTrig.duree = {200, 61, 25, 49};
         c.differe.delai.jours = 255;
       },
       [](const Configuration& c) {
         return c.postTrig.duree == DureeJHMS{60, 60, 24, 48} && c.differe.delai.jours == 48;
       },
       2},
      {"pre-trig size", [](Configuration& c) { c.preTrig.ullTailleEquivalente = UINT64_MAX; },
       [](const Configuration& c) { return c.preTrig.ullTailleEquivalente == 0; }, 1},
  };
  for (const Cas& k : cas) {
    Configuration c;
    k.abime(c);
    const auto notes = BorneConfiguration(c);
    EXPECT_TRUE(k.corrige(c)) << k.nom;
    EXPECT_EQ(notes.size(), k.notes) << k.nom;
  }
  Configuration c;
  c.vues.debitInstantane.ullNs = 1;
  EXPECT_EQ(BorneConfiguration(c).at(0),
            "The configuration's data rate integration time in ns (1) is out of range: 1000000000 is used.");
}

}  // namespace
}  // namespace brv
