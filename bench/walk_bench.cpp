// Record walk over a large sample capture, and the sample writer itself.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/synth/sample_capture.h"

namespace {

constexpr uint64_t kFrames = 4'000'000;

const std::string& sample_path(brv::AcqLayout layout) {
  static std::string paths[3];
  std::string& path = paths[static_cast<int>(layout)];
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() /
            ("brv_bench_" + std::string(brv::layout_name(layout)) + ".dat"))
               .string();
    brv::SampleCaptureOptions o;
    o.frames = kFrames;
    o.layout = layout;
    o.seed = 3;
    brv::SampleCaptureSummary s;
    std::string error;
    if (!brv::write_sample_capture(path, o, s, error)) std::fprintf(stderr, "%s\n", error.c_str());
  }
  return path;
}

void walk(benchmark::State& state, brv::AcqLayout layout, bool forward) {
  brv::AcqFile file;
  if (file.open(sample_path(layout)) != brv::AcqOpenStatus::Ok) {
    state.SkipWithError("sample capture not readable");
    return;
  }
  uint64_t records = 0;
  uint64_t bytes = 0;
  for (auto _ : state) {
    brv::RecordCursor cursor(file);
    brv::FrameRecord rec;
    if (forward) {
      while (cursor.next(rec) == brv::WalkStatus::Record) {
        bytes += rec.length;
        ++records;
      }
    } else {
      cursor.seek_end();
      while (cursor.prev(rec) == brv::WalkStatus::Record) {
        bytes += rec.length;
        ++records;
      }
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(records));
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_WalkLinearForward(benchmark::State& s) { walk(s, brv::AcqLayout::Linear, true); }
void BM_WalkLinearBackward(benchmark::State& s) { walk(s, brv::AcqLayout::Linear, false); }
void BM_WalkCircularForward(benchmark::State& s) { walk(s, brv::AcqLayout::Circular, true); }
void BM_WalkPretrigForward(benchmark::State& s) { walk(s, brv::AcqLayout::Pretrigger, true); }
BENCHMARK(BM_WalkLinearForward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkLinearBackward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkCircularForward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkPretrigForward)->Unit(benchmark::kMillisecond);

void BM_SynthLinear(benchmark::State& state) {
  const std::string path = (std::filesystem::temp_directory_path() / "brv_bench_synth.dat").string();
  uint64_t bytes = 0;
  for (auto _ : state) {
    brv::SampleCaptureOptions o;
    o.frames = 1'000'000;
    brv::SampleCaptureSummary s;
    std::string error;
    brv::write_sample_capture(path, o, s, error);
    bytes += s.bytes_written;
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_SynthLinear)->Unit(benchmark::kMillisecond);

}  // namespace
