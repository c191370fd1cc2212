// Trigger search cost per frame: three definitions of several conditions each, evaluated on
// realistic bus traffic, the way the file thread runs them before the trigger.

#include <benchmark/benchmark.h>

#include <vector>

#include <simcard/network.h>
#include <simcard/scenario.h>
#include <vandrel/trigger.h>

namespace {

using namespace vandrel;

struct_CHAMP_BIT_SYNCHRO champ(uint16_t pos, uint8_t lg, int32_t largeur, int32_t op, uint64_t r, bool lsb = false) {
  struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = pos;
  c.ucLgValBit = lg;
  c.enLgInterpretationVal = largeur;
  c.enOperation = op;
  c.ullValeur = r;
  c.bLSBPremier = lsb ? 1 : 0;
  return c;
}

std::vector<std::vector<uint8_t>> traffic(size_t n) {
  simcard::Scenario sc = *simcard::preset("demo");
  simcard::NetworkModel model(sc);
  std::vector<std::vector<uint8_t>> frames;
  frames.reserve(n);
  while (frames.size() < n) {
    const auto& f = model.next();
    frames.push_back(simcard::stored_bytes(f));
  }
  return frames;
}

void BM_TriggerSearch(benchmark::State& state) {
  const auto frames = traffic(200000);
  // F1: an RP_DAT whose first data byte is a length of at least 8; F2: an identifier range on
  // a field not aligned on bytes; F3: a 32-bit value, least significant byte first, below a bound.
  struct_DEF_TRAME_SYNCHRO f1{2, {champ(0, 8, LG_8, OP_EQUAL, 0x02), champ(16, 8, LG_8, OP_GREATER_EQUAL, 8)}};
  struct_DEF_TRAME_SYNCHRO f2{3, {champ(0, 8, LG_8, OP_EQUAL, 0x03), champ(12, 12, LG_16, OP_GREATER, 0x500),
                                  champ(8, 16, LG_16, OP_LESS, 0x9000)}};
  struct_DEF_TRAME_SYNCHRO f3{2, {champ(24, 32, LG_32, OP_LESS, 0x1000, true), champ(0, 3, LG_8, OP_AND, 0x04)}};
  const struct_DEF_TRAME_SYNCHRO* defs[3] = {&f1, &f2, &f3};
  const uint8_t methode = static_cast<uint8_t>(state.range(0));
  CombinaisonSynchro comb;
  construit_combinaison(methode, 3, defs, comb);
  size_t i = 0, fired = 0;
  for (auto _ : state) {
    const auto& f = frames[i];
    if (avance_combinaison(comb, f.data(), static_cast<uint16_t>(f.size()))) {
      ++fired;
      construit_combinaison(methode, 3, defs, comb);
    }
    if (++i == frames.size()) i = 0;
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
  state.counters["fired"] = static_cast<double>(fired);
}
// "F1 Then F2 Then F3" and "F1 Or F2 Or F3": one and three branches evaluated per frame.
BENCHMARK(BM_TriggerSearch)->Arg(3)->Arg(7);

}  // namespace
