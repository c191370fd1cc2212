// The rows of a capture as text, as `frames` (tab-separated, CSV, JSON Lines) and `export` (word
// processor, spreadsheet) write them: every row of a 4 M-frame sample capture, read again after
// the statistics pass. Items are rows.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "brv_core/analysis/monitor.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/report/text_export.h"
#include "brv_core/synth/sample_capture.h"
#include "brv_platform/files.h"
#include "frames_rows.h"
#include "quiet_reporter.h"

namespace {

constexpr uint64_t kFrames = 4'000'000;

// The capture, its document after the statistics pass, and the file to read rows from.
struct Capture {
  Quiet quiet;
  brv::CBrenvaleDoc doc{quiet, "/tmp/"};
  brv::ResultatTache result;
  brv::AcqFile file;

  Capture() {
    const std::string path = (std::filesystem::temp_directory_path() / "brv_bench_rows.dat").string();
    brv::SampleCaptureOptions o;
    o.frames = kFrames;
    brv::SampleCaptureSummary s;
    std::string e;
    if (!brv::write_sample_capture(path, o, s, e)) std::fprintf(stderr, "%s\n", e.c_str());
    doc.OuvrirAcquisition(path);
    doc.ResetResults(false);
    brv::IObservateurTache obs;
    brv::CFileRequetes requests;
    brv::FncTacheAcq(doc, obs, requests, result);
    file.open(path);
  }
};

Capture& capture() {
  static Capture c;
  return c;
}

// frames: 0 text, 1 CSV, 2 JSON Lines, written to /dev/null in the program's blocks.
void BM_FramesRows(benchmark::State& state) {
  Capture& c = capture();
  const auto format = static_cast<brv::cli::RowFormat>(state.range(0));
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  brv::platform::BufferedOutput out(null);
  std::vector<brv::LIGNE_TRAME> rows;
  const uint64_t total = c.doc.Resultats.ulNbTramesAffichables;
  uint64_t done = 0;
  for (auto _ : state) {
    brv::CLecteurLignes reader(c.doc, c.file);
    reader.AvecDateAbsolue(true);
    for (uint64_t row = 0; row < total;) {
      const size_t got = reader.Lit(row, 4096, true, rows);
      if (got == 0) break;
      for (const auto& l : rows) brv::cli::append_frame_row(out.buffer(), l, format);
      out.maybe_flush();
      row += got;
    }
    out.flush();
    done += total;
  }
  ::close(null);
  state.SetItemsProcessed(static_cast<int64_t>(done));
}
BENCHMARK(BM_FramesRows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(2);

// export of every row: 0 word processor, 1 spreadsheet; sections included.
void BM_ExportRows(benchmark::State& state) {
  Capture& c = capture();
  const std::string out = (std::filesystem::temp_directory_path() / "brv_bench_rows.txt").string();
  brv::PARAM_EXPORT p;
  p.ulFormat = static_cast<uint32_t>(state.range(0));
  uint64_t rows = 0;
  for (auto _ : state) {
    const brv::SourceExport s{c.doc, c.file, c.result.bourrage, &c.result.points, nullptr};
    rows += brv::ExporteTexte(out, p, s, 0, UINT64_MAX).lignes;
  }
  std::filesystem::remove(out);
  state.SetItemsProcessed(static_cast<int64_t>(rows));
}
BENCHMARK(BM_ExportRows)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
