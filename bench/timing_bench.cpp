// The bus timing pass over a large sample capture: whole (records read from the file) and the
// analysis alone on frames held in memory.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "brv_core/file/acq_file.h"
#include "brv_core/synth/sample_capture.h"
#include "brv_core/synth/sample_traffic.h"
#include "brv_core/timing/bus_timing.h"

namespace {

constexpr uint64_t kFrames = 10'000'000;  // about 210 MB of records

const std::string& capture() {
  static std::string path;
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / "brv_bench_timing.dat").string();
    brv::SampleCaptureOptions o;
    o.frames = kFrames;
    o.seed = 11;
    brv::SampleCaptureSummary s;
    std::string e;
    if (!brv::write_sample_capture(path, o, s, e)) std::fprintf(stderr, "%s\n", e.c_str());
  }
  return path;
}

void BM_TimingPass(benchmark::State& state) {
  brv::AcqFile file;
  if (file.open(capture()) != brv::AcqOpenStatus::Ok) {
    state.SkipWithError("cannot open the sample capture");
    return;
  }
  const brv::ParametresTiming p = brv::ParametresTimingDefaut(file.header().enVitesse);
  uint64_t frames = 0;
  for (auto _ : state) {
    brv::ResultatTiming r;
    std::string message;
    if (brv::AnalyseTimingFichier(file, p, -1, r, message) != brv::FinTiming::Complete) {
      state.SkipWithError(message.c_str());
      return;
    }
    frames = r.trames;
    benchmark::DoNotOptimize(r);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  state.counters["peak_rss_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_TimingPass)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TimingAnalysisOnly(benchmark::State& state) {
  struct Trame {
    int64_t date;
    brv::SampleFrame f;
  };
  static std::vector<Trame> trames;
  if (trames.empty()) {
    brv::SampleTraffic traffic(false, 3);
    int64_t date = 0;
    trames.resize(1'000'000);
    for (auto& t : trames) {
      traffic.next(t.f);
      t.date = date;
      date += t.f.frame_time;
    }
  }
  const brv::DescriptionCapture capture{1, 1, 0};
  const brv::ParametresTiming p = brv::ParametresTimingDefaut(1);
  for (auto _ : state) {
    brv::CAnalyseTiming a(capture, p);
    for (const auto& t : trames) a.Trame(t.date, t.f.bytes, t.f.len, t.f.status);
    benchmark::DoNotOptimize(a.Termine());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * trames.size()));
}
BENCHMARK(BM_TimingAnalysisOnly)->Unit(benchmark::kMillisecond);

}  // namespace
