// frames: the rows of the frames list, with the display filter and events in effect.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "brv_core/document/acq_description.h"
#include "brv_core/document/row_reader.h"
#include "commands.h"
#include "number_options.h"
#include "output.h"
#include "recalc.h"

namespace brv::cli {

namespace {

struct FramesArgs {
  std::string path;
  std::string config;
  uint64_t from = 0;
  std::optional<uint64_t> count;
  bool json = false;
  bool csv = false;
};

// RFC 4180: quoted when it holds a comma, a quote or a line break; quotes doubled.
void append_csv(std::string& out, std::string_view s) {
  if (s.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(s);
    return;
  }
  out.push_back('"');
  for (char c : s) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

constexpr const char* kCsvHeader =
    "row,offset,date,date0,mark,absdate,reldate,interframe,traffic,channel,txerr1,txerr2,text,annotation\r\n";

void emit_row(const FramesArgs& args, const LIGNE_TRAME& l, std::string& out) {
  out.clear();
  const std::string channel = l.bVoie2 ? "2" : "1";
  if (args.json) {
    out += "{\"row\": " + std::to_string(l.iLigne) + ", \"offset\": " + std::to_string(l.ullPosFichier) +
           ", \"date\": " + std::to_string(l.ullDate) + ", \"date0\": " + (l.bDateZero ? "true" : "false") +
           ", \"mark\": " + std::to_string(l.ulMarque) + ", \"absdate\": ";
    append_json_string(out, l.dateAbs);
    out += ", \"reldate\": ";
    append_json_string(out, l.dateRel);
    out += ", \"interframe\": ";
    append_json_string(out, l.interTrame);
    out += std::string(", \"traffic\": ") + (l.bInterruptionTrafic ? "true" : "false") + ", \"channel\": " + channel +
           ", \"txerr1\": " + (l.bErrTx1 ? "true" : "false") + ", \"txerr2\": " + (l.bErrTx2 ? "true" : "false") +
           ", \"text\": ";
    append_json_string(out, l.texte);
    out += ", \"annotation\": ";
    append_json_string(out, l.annotation);
    out += "}\n";
  } else if (args.csv) {
    out += std::to_string(l.iLigne) + "," + std::to_string(l.ullPosFichier) + "," + std::to_string(l.ullDate) + "," +
           (l.bDateZero ? "1" : "0") + ",";
    append_csv(out, TexteMarque(l.ulMarque));
    for (const std::string* s : {&l.dateAbs, &l.dateRel, &l.interTrame}) {
      out += ",";
      append_csv(out, *s);
    }
    out += std::string(",") + (l.bInterruptionTrafic ? "X" : "") + "," + channel + "," + (l.bErrTx1 ? "X" : "") + "," +
           (l.bErrTx2 ? "X" : "") + ",";
    append_csv(out, l.texte);
    out += ",";
    append_csv(out, l.annotation);
    out += "\r\n";
  } else {
    out += std::to_string(l.iLigne) + "\t" + TexteMarque(l.ulMarque) + "\t" + l.dateRel + "\t" + l.interTrame + "\t" +
           (l.bInterruptionTrafic ? "X" : "") + "\t" + channel + "\t" + (l.bErrTx1 ? "X" : "") + "\t" +
           (l.bErrTx2 ? "X" : "") + "\t" + l.texte;
    if (!l.annotation.empty()) out += "\t" + l.annotation;
    out += "\n";
  }
  emit(out);
}

}  // namespace

Runner add_frames_command(CLI::App& app) {
  auto args = std::make_shared<FramesArgs>();
  auto* cmd = app.add_subcommand("frames", "List the rows of the frames list (display filter and events applied)");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("--config", args->config, "Take the display settings from this configuration file");
  whole_number(cmd->add_option("--from", args->from, "First row"), 0);
  whole_number(cmd->add_option("--count", args->count, "At most this many rows"), 0);
  auto* json = cmd->add_flag("--json", args->json, "Write JSON Lines");
  cmd->add_flag("--csv", args->csv, "Write CSV (RFC 4180)")->excludes(json);

  return [args]() -> int {
    Recalcul r;
    if (const int status = recalcule(args->path, args->config, r)) return status;
    AcqFile file;
    if (file.open(args->path) != AcqOpenStatus::Ok) return fail(file.message(), args->path);
    CLecteurLignes reader(*r.doc, file);
    reader.AvecDateAbsolue(true);
    if (args->csv) emit(kCsvHeader);

    const uint64_t total = r.doc->Resultats.ulNbTramesAffichables;
    uint64_t row = args->from;
    uint64_t left = args->count.value_or(UINT64_MAX);
    std::vector<LIGNE_TRAME> rows;
    std::string line;
    while (left > 0 && row < total) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(left, 4096));
      const size_t got = reader.Lit(row, want, true, rows);
      for (const auto& l : rows) emit_row(*args, l, line);
      if (got == 0) break;
      row += got;
      left -= got;
    }
    const std::string end = TexteFinRecalcul(r.doc->Resultats.RecalcEndReason);
    if (!end.empty()) return fail(end);
    return 0;
  };
}

}  // namespace brv::cli
