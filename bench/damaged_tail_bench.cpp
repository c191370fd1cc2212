// Re-reading a capture whose saved tail carries an implausible index block size costs the same as
// with a clean tail: the reader replaces the value. The third case reads with the block size
// forced to 0 (a record per row) to show what the bound saves.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>

#include "brv_core/analysis/monitor.h"
#include "brv_core/synth/sample_capture.h"
#include "quiet_reporter.h"

namespace {

constexpr uint64_t kFrames = 2'000'000;

std::string path(const char* name) { return (std::filesystem::temp_directory_path() / name).string(); }

// A clean capture with its tail, and a copy whose tail says the index block size is 0.
void make_captures() {
  static bool made = false;
  if (made) return;
  made = true;
  brv::SampleCaptureOptions o;
  o.frames = kFrames;
  o.seed = 9;
  brv::SampleCaptureSummary s;
  std::string e;
  if (!brv::write_sample_capture(path("brv_bench_clean.dat"), o, s, e)) std::fprintf(stderr, "%s\n", e.c_str());
  Quiet quiet;
  brv::CBrenvaleDoc doc(quiet, "/tmp/");
  doc.OuvrirAcquisition(path("brv_bench_clean.dat"));
  doc.SaveAcquisitionTail();
  doc.Resultats.ulTailleBlocIndex = 0;
  doc.SaveAcquisitionAs(path("brv_bench_damaged.dat"));
}

void reread(benchmark::State& state, const char* name, bool force_zero) {
  make_captures();
  uint64_t frames = 0;
  size_t index = 0;
  for (auto _ : state) {
    Quiet quiet;
    brv::CBrenvaleDoc doc(quiet, "/tmp/");
    doc.OuvrirAcquisition(path(name));
    doc.ResetResults(false);
    if (force_zero) doc.Resultats.ulTailleBlocIndex = 0;
    brv::IObservateurTache obs;
    brv::CFileRequetes requests;
    brv::ResultatTache result;
    brv::FncTacheAcq(doc, obs, requests, result);
    frames += doc.Resultats.ullNbTramesAcquises;
    index = doc.Resultats.indexPostTrig.Nombre();
  }
  state.SetItemsProcessed(static_cast<int64_t>(frames));
  state.counters["index_records"] = static_cast<double>(index);
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  state.counters["peak_rss_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}

void BM_RereadCleanTail(benchmark::State& s) { reread(s, "brv_bench_clean.dat", false); }
void BM_RereadDamagedTail(benchmark::State& s) { reread(s, "brv_bench_damaged.dat", false); }
void BM_RereadBlockSizeZero(benchmark::State& s) { reread(s, "brv_bench_clean.dat", true); }
BENCHMARK(BM_RereadCleanTail)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RereadDamagedTail)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RereadBlockSizeZero)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
