// Simulated card throughput, as fast as possible: bus frames generated per second by the network
// model alone and packed into event frames (what the card's traffic thread does per chunk).

#include <benchmark/benchmark.h>

#include <simcard/network.h>
#include <simcard/traffic.h>

namespace {

void BM_SimcardNetworkModel(benchmark::State& state) {
  simcard::NetworkModel model(*simcard::preset(state.range(0) ? "faults" : "stress"));
  uint64_t sum = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1024; ++i) sum += model.next().len;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1024);
  state.SetLabel(state.range(0) ? "faults" : "stress");
}
BENCHMARK(BM_SimcardNetworkModel)->Arg(0)->Arg(1);

void BM_SimcardEventStream(benchmark::State& state) {
  simcard::TrafficSource source(*simcard::preset(state.range(0) ? "faults" : "stress"));
  std::vector<uint8_t> chunk;
  chunk.reserve(16384);
  int64_t frames = 0, bytes = 0;
  for (auto _ : state) {
    chunk.clear();
    frames += static_cast<int64_t>(source.next_chunk(chunk));
    source.take_card_faults();
    bytes += static_cast<int64_t>(chunk.size());
  }
  state.SetItemsProcessed(frames);
  state.SetBytesProcessed(bytes);
  state.SetLabel(state.range(0) ? "faults" : "stress");
}
BENCHMARK(BM_SimcardEventStream)->Arg(0)->Arg(1);

}  // namespace
