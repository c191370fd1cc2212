// timing: scan periods, turnaround times and the macrocycle of a capture.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "brv_core/report/timing_section.h"
#include "brv_core/timing/bus_timing.h"
#include "commands.h"
#include "number_options.h"
#include "output.h"
#include "recalc.h"

namespace brv::cli {

namespace {

struct TimingArgs {
  std::string path;
  std::string config;
  bool json = false;
  bool csv = false;
  std::optional<uint64_t> turnaround;
  std::optional<uint64_t> silence;
  std::optional<uint64_t> late;
  std::optional<double> tolerance;
};

constexpr uint64_t kMaxMicro = 3'600'000'000;  // an hour

}  // namespace

Runner add_timing_command(CLI::App& app) {
  auto args = std::make_shared<TimingArgs>();
  auto* cmd = app.add_subcommand("timing", "Scan periods, turnaround times and macrocycle of a capture");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("--config", args->config, "Take the padding identifier from this configuration file");
  auto* json = cmd->add_flag("--json", args->json, "Write one JSON object");
  cmd->add_flag("--csv", args->csv, "Write CSV (RFC 4180), one row per identifier")->excludes(json);
  whole_number(cmd->add_option("--min-turnaround", args->turnaround, "Answers sooner are early (µs)"), 0, kMaxMicro);
  whole_number(cmd->add_option("--silence", args->silence, "Calls without a frame within are unanswered (µs)"), 1,
               kMaxMicro);
  whole_number(cmd->add_option("--late", args->late, "Answers later are late (µs; half the silence by default)"), 0,
               kMaxMicro);
  cmd->add_option("--tolerance", args->tolerance, "Scan periods further from the nominal one count (%, default 10)")
      ->check(CLI::Range(0.0, 1000.0));

  return [args]() -> int {
    Recalcul r;
    if (const int status = ouvre_document(args->path, args->config, r)) return status;
    ParametresTiming p = ParametresTimingDefaut(r.file.header().enVitesse);
    if (args->turnaround) p.retournementMinNs = static_cast<int64_t>(*args->turnaround * 1000);
    if (args->silence) {
      p.silenceNs = static_cast<int64_t>(*args->silence * 1000);
      p.tardifNs = p.silenceNs / 2;
    }
    if (args->late) p.tardifNs = static_cast<int64_t>(*args->late * 1000);
    if (args->tolerance) p.tolerancePct = *args->tolerance;
    const int32_t exclu = IdentifiantExcluTiming(r.doc->BourrageRecalcul());

    ResultatTiming res;
    std::string message;
    const FinTiming fin = AnalyseTimingFichier(r.file, p, exclu, res, message);
    if (args->json) {
      emit(JsonTiming(res) + "\n");
    } else if (args->csv) {
      emit(CsvTiming(res));
    } else {
      emit(SectionTiming(res));
    }
    switch (fin) {
      case FinTiming::Complete: return 0;
      case FinTiming::DonneesInvalides: return fail("Invalid data: the figures cover the records before it.", message);
      case FinTiming::ErreurLecture: return fail("Error reading the acquisition file.", message);
    }
    return 0;
  };
}

}  // namespace brv::cli
