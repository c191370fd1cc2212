// export: the capture as a text file for a word processor or a spreadsheet.

#include <CLI/CLI.hpp>

#include <memory>
#include <sstream>

#include <brv_platform/files.h>

#include "brv_core/document/acq_description.h"
#include "brv_core/report/text_export.h"
#include "commands.h"
#include "output.h"
#include "recalc.h"
#include "user_data_load.h"

namespace brv::cli {

namespace {
struct ExportArgs {
  std::string path;
  std::string output;
  std::string config;
  bool spreadsheet = false;
  std::string separator;
  std::string sections = "info,errors,netconfig,rates,stats";
  std::string frames = "all";
  bool interpreted = false;
  std::string userdata;
};
}  // namespace

Runner add_export_command(CLI::App& app) {
  auto args = std::make_shared<ExportArgs>();
  auto* cmd = app.add_subcommand("export", "Export a capture to a text file");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("-o,--output", args->output, "Text file to write (brv.txt)")->required();
  cmd->add_option("--config", args->config, "Take the display settings from this configuration file");
  cmd->add_flag("--spreadsheet", args->spreadsheet, "Separated columns for a spreadsheet (default: word processor)");
  cmd->add_option("--separator", args->separator, "Column separator of the spreadsheet format (default: tabulation)");
  cmd->add_option("--sections", args->sections, "Comma-separated: info, errors, netconfig, rates, stats, timing (or none)");
  cmd->add_option("--frames", args->frames, "all, none, or a row range FIRST-LAST");
  cmd->add_flag("--interpreted", args->interpreted, "Frames interpreted according to the user data");
  cmd->add_option("--userdata", args->userdata, "User data file naming identifiers, addresses and bit fields");

  return [args]() -> int {
    if (platform::names_an_input(args->output, {args->path, args->config, args->userdata})) {
      return fail(platform::overwrite_input_message(args->output));
    }
    PARAM_EXPORT p;
    p.ulFormat = args->spreadsheet ? EXPORT_TABLEUR : EXPORT_TRAITEMENT_TEXTE;
    p.bUtiliseSeparateur = !args->separator.empty();
    if (!args->separator.empty()) p.separateur = args->separator;
    p.bInformation = p.bErreurs = p.bReseau = p.bDebits = p.bStatistiques = 0;
    std::stringstream list(args->sections);
    for (std::string s; std::getline(list, s, ',');) {
      if (s == "info") p.bInformation = 1;
      else if (s == "errors") p.bErreurs = 1;
      else if (s == "netconfig") p.bReseau = 1;
      else if (s == "rates") p.bDebits = 1;
      else if (s == "stats") p.bStatistiques = 1;
      else if (s == "timing") p.bTiming = 1;
      else if (s != "none" && !s.empty()) return fail("Unknown export section.", s);
    }
    uint64_t first = 0;
    uint64_t last = UINT64_MAX;
    if (args->frames == "none") {
      p.ulTrames = TRAMES_AUCUNE;
    } else if (args->frames != "all") {
      unsigned long long a = 0, b = 0;
      char extra = 0;
      if (std::sscanf(args->frames.c_str(), "%llu-%llu%c", &a, &b, &extra) != 2 || a > b) {
        return fail("Invalid row range.", args->frames);
      }
      p.ulTrames = TRAMES_SELECTION;
      first = a;
      last = b;
    }
    p.ulContenu = args->interpreted ? 1 : 0;

    std::vector<DONNEE_UTILISATEUR> userdata;
    if (!args->userdata.empty()) {
      if (const int status = load_user_data(args->userdata, userdata)) return status;
    }
    Recalcul r;
    if (const int status = recalcule(args->path, args->config, r)) return status;
    SourceExport source{*r.doc, r.file, r.resultat.bourrage, &r.resultat.points, args->userdata.empty() ? nullptr : &userdata};
    const ResultatExport e = ExporteTexte(args->output, p, source, first, last);
    if (e.etat != ResultatExport::Ok) {
      const std::string& about = e.etat == ResultatExport::ErreurLecture ? args->path : args->output;
      return fail(e.message, e.detail.empty() ? about : about + ": " + e.detail);
    }
    emit("exported " + std::to_string(e.lignes) + " rows to " + args->output + "\n");
    // A re-reading that stopped early listed fewer rows than the capture holds: as frames and stats.
    const std::string end = TexteFinRecalcul(r.doc->Resultats.RecalcEndReason);
    if (!end.empty()) return fail(end);
    return 0;
  };
}

}  // namespace brv::cli
