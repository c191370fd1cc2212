// Re-calculation of a large capture with filter and event definitions set, and fetching rows
// at random places of it.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "brv_core/analysis/monitor.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/report/text_export.h"
#include "brv_core/synth/sample_capture.h"
#include "quiet_reporter.h"

namespace {

constexpr uint64_t kFrames = 15'000'000;  // about 320 MB of records

const std::string& capture() {
  static std::string path;
  if (path.empty()) {
    path = (std::filesystem::temp_directory_path() / "brv_bench_recalc.dat").string();
    brv::SampleCaptureOptions o;
    o.frames = kFrames;
    o.seed = 5;
    brv::SampleCaptureSummary s;
    std::string e;
    if (!brv::write_sample_capture(path, o, s, e)) std::fprintf(stderr, "%s\n", e.c_str());
  }
  return path;
}

brv::CHAMP_BITS equal(uint16_t pos, uint8_t lg, uint64_t v) {
  brv::CHAMP_BITS c;
  c.usPosition = pos;
  c.ucLongueur = lg;
  c.ulOperation = brv::OP_EGAL;
  c.ullValeur = v;
  return c;
}

void configure(brv::CBrenvaleDoc& doc) {
  brv::DEFINITION_TRAME hide;
  brv::DefinitNom(hide, "hide 0100");
  hide.champs = {equal(0, 8, 0x03), equal(8, 16, 0x0100)};
  hide.bNePasDissocierRP = 1;
  hide.bUtilisee = 1;
  doc.Config.filtre.nb = 1;
  doc.Config.filtre.defs[0] = hide;
  brv::DEFINITION_TRAME event;
  brv::DefinitNom(event, "message request");
  event.champs = {equal(0, 8, 0x06)};
  event.bUtilisee = 1;
  doc.Config.evenements.nb = 1;
  doc.Config.evenements.defs[0] = event;
  doc.ReconstruitCopiesEvenements();
}

void recalc(brv::CBrenvaleDoc& doc) {
  doc.ResetResults(false);
  brv::IObservateurTache obs;
  brv::CFileRequetes requests;
  brv::ResultatTache result;
  brv::FncTacheAcq(doc, obs, requests, result);
}

void BM_Recalculation(benchmark::State& state) {
  Quiet quiet;
  brv::CBrenvaleDoc doc(quiet, "/tmp/");
  doc.OuvrirAcquisition(capture());
  configure(doc);
  for (auto _ : state) recalc(doc);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * doc.Resultats.ullNbTramesAcquises));
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  state.counters["peak_rss_MB"] = static_cast<double>(u.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Recalculation)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_FetchRowsAtRandom(benchmark::State& state) {
  Quiet quiet;
  brv::CBrenvaleDoc doc(quiet, "/tmp/");
  doc.OuvrirAcquisition(capture());
  configure(doc);
  recalc(doc);
  brv::AcqFile file;
  file.open(capture());
  brv::CLecteurLignes reader(doc, file);
  std::mt19937_64 random(11);
  std::vector<brv::LIGNE_TRAME> rows;
  const uint64_t n = doc.Resultats.ulNbTramesAffichables;
  for (auto _ : state) {
    reader.Lit(random() % (n - 100), 100, true, rows);
    benchmark::DoNotOptimize(rows.data());
  }
}
BENCHMARK(BM_FetchRowsAtRandom)->Unit(benchmark::kMillisecond);

// Exports the first million rows in the word-processor (0) or spreadsheet (1) format.
void BM_TextExport(benchmark::State& state) {
  Quiet quiet;
  brv::CBrenvaleDoc doc(quiet, "/tmp/");
  doc.OuvrirAcquisition(capture());
  configure(doc);
  doc.ResetResults(false);
  brv::IObservateurTache obs;
  brv::CFileRequetes requests;
  brv::ResultatTache result;
  brv::FncTacheAcq(doc, obs, requests, result);
  brv::AcqFile file;
  file.open(capture());
  const std::string out = (std::filesystem::temp_directory_path() / "brv_bench_export.txt").string();
  brv::PARAM_EXPORT p;
  p.ulFormat = static_cast<uint32_t>(state.range(0));
  uint64_t rows = 0;
  for (auto _ : state) {
    brv::SourceExport s{doc, file, result.bourrage, &result.points, nullptr};
    rows += brv::ExporteTexte(out, p, s, 0, 999'999).lignes;
  }
  std::filesystem::remove(out);
  state.SetItemsProcessed(static_cast<int64_t>(rows));
}
BENCHMARK(BM_TextExport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
