// frames: the rows of the frames list, with the display filter and events in effect.

#include <CLI/CLI.hpp>

#include <memory>
#include <optional>

#include "brv_core/document/acq_description.h"
#include "brv_core/document/row_reader.h"
#include "commands.h"
#include "frames_rows.h"
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
    CLecteurLignes reader(*r.doc, r.file);
    reader.AvecDateAbsolue(true);
    const RowFormat format = args->json ? RowFormat::Json : args->csv ? RowFormat::Csv : RowFormat::Text;
    if (format == RowFormat::Csv) emit(kCsvHeader);

    const uint64_t total = r.doc->Resultats.ulNbTramesAffichables;
    uint64_t row = args->from;
    uint64_t left = args->count.value_or(UINT64_MAX);
    std::vector<LIGNE_TRAME> rows;
    // Rows are formatted straight into the output, in blocks; nothing more once stdout failed.
    while (left > 0 && row < total && !output_failed()) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>({left, total - row, 4096}));
      const size_t got = reader.Lit(row, want, true, rows);
      for (const auto& l : rows) append_frame_row(output_buffer(), l, format);
      emitted();
      // The list holds rows the file did not give: the listing is not whole.
      if (got < want) return fail(reader.TexteManque(row + got));
      row += got;
      left -= got;
    }
    // Its failure is told once stdout is closed.
    if (output_failed()) return 0;
    const std::string end = TexteFinRecalcul(r.doc->Resultats.RecalcEndReason);
    if (!end.empty()) return fail(end);
    return 0;
  };
}

}  // namespace brv::cli
