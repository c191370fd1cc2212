// stats: statistics, error counters and network configuration of a capture.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/document/acq_description.h"
#include "capture_open.h"
#include "commands.h"
#include "output.h"
#include "recalc.h"
#include "stats_output.h"

namespace brv::cli {

namespace {

struct StatsArgs {
  std::string path;
  std::string config;
  bool json = false;
};

}  // namespace

Runner add_stats_command(CLI::App& app) {
  auto args = std::make_shared<StatsArgs>();
  auto* cmd = app.add_subcommand("stats", "Statistics, error counters and network configuration of a capture");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("--config", args->config, "Take the display settings from this configuration file");
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    {
      AcqFile file;
      if (const int status = open_capture(args->path, file)) return status;
      if (const int status = refuse_interrupted(file)) return status;
    }
    Recalcul r;
    if (const int status = recalcule(args->path, args->config, r)) return status;
    const AcqResults& res = r.doc->Resultats;
    if (args->json) {
      emit(stats_json(*r.doc, r.resultat.bourrage) + "\n");
    } else {
      emit(stats_text(*r.doc, r.resultat.bourrage));
    }
    const std::string end = TexteFinRecalcul(res.RecalcEndReason);
    if (!end.empty()) return fail(end);
    return 0;
  };
}

}  // namespace brv::cli
