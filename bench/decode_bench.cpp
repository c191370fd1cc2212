// Frame decoding throughput on a FIP traffic mix: validation alone (the monitor's pass over a
// capture) and with the rendered line and annotation (the list and the export).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/decode/crc.h"
#include "brv_core/decode/decodage_trame.h"

namespace {

struct Trame {
  std::vector<uint8_t> octets;
};

void AjouteCrc(std::vector<uint8_t>& o) {
  const uint16_t crc = brv::CrcTrame(true, o.data(), o.size());
  o.push_back(static_cast<uint8_t>(crc >> 8));
  o.push_back(static_cast<uint8_t>(crc & 0xFF));
}

// A periodic-traffic cycle: ID_DAT / RP_DAT pairs of 10 to 40 bytes, network-management and
// common-word variables, and a few message exchanges.
std::vector<Trame> MelangeFip() {
  std::vector<Trame> trames;
  uint32_t x = 2024;
  auto alea = [&x]() {
    x = x * 1103515245u + 12345u;
    return static_cast<uint8_t>(x >> 16);
  };
  for (int cycle = 0; cycle < 64; ++cycle) {
    for (int v = 0; v < 30; ++v) {
      const uint16_t id = v < 4 ? static_cast<uint16_t>(v) : static_cast<uint16_t>(0x0100 + 16 * v);
      std::vector<uint8_t> idDat{0x03, static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)};
      AjouteCrc(idDat);
      trames.push_back({idDat});
      std::vector<uint8_t> rp{0x02};
      if (v < 4) {
        rp.insert(rp.end(), {0x40, 0x09});
        for (int i = 0; i < 9; ++i) rp.push_back(alea());
      } else {
        const int n = 7 + (alea() % 31);  // 10 to 40 bytes with control and CRC
        for (int i = 0; i < n; ++i) rp.push_back(alea());
      }
      AjouteCrc(rp);
      trames.push_back({rp});
    }
    std::vector<uint8_t> idMsg{0x05, 0x0D, static_cast<uint8_t>(cycle & 0x0F)};
    AjouteCrc(idMsg);
    trames.push_back({idMsg});
    std::vector<uint8_t> msg{0x14, 0x09, 0x02, 0x00, 0x09, 0x05, 0x00, 0xF1, 0, 0, 0, 0, 0x09, 0x00, 0x04};
    for (int i = 0; i < 20; ++i) msg.push_back(alea());
    AjouteCrc(msg);
    trames.push_back({msg});
    std::vector<uint8_t> ack{0x30};
    AjouteCrc(ack);
    trames.push_back({ack});
  }
  return trames;
}

void BM_DecodeValidation(benchmark::State& state) {
  const brv::DescriptionCapture capture;
  const brv::CDecodageTrame decodeur(capture);
  const std::vector<Trame> trames = MelangeFip();
  std::string annotation;
  int64_t erreurs = 0;
  for (auto _ : state) {
    for (const Trame& t : trames) {
      erreurs += decodeur.DecodeTrame(static_cast<uint16_t>(t.octets.size()), t.octets.data(), nullptr, false,
                                      annotation) != brv::TRAME_OK;
    }
  }
  benchmark::DoNotOptimize(erreurs);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(trames.size()));
}
BENCHMARK(BM_DecodeValidation);

void BM_DecodeTexteAnnotation(benchmark::State& state) {
  const brv::DescriptionCapture capture;
  const brv::CDecodageTrame decodeur(capture);
  const std::vector<Trame> trames = MelangeFip();
  std::string texte;
  std::string annotation;
  const bool court = state.range(0) != 0;
  for (auto _ : state) {
    for (const Trame& t : trames) {
      decodeur.DecodeTrame(static_cast<uint16_t>(t.octets.size()), t.octets.data(), &texte, court, annotation);
      benchmark::DoNotOptimize(texte.data());
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(trames.size()));
}
BENCHMARK(BM_DecodeTexteAnnotation)->Arg(0)->Arg(1);

}  // namespace
