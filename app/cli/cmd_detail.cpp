// detail: the frame detail report of one row, written as an HTML page.

#include <CLI/CLI.hpp>

#include <memory>

#include <brv_platform/files.h>

#include "brv_core/report/frame_detail.h"
#include "brv_core/userdata/user_data.h"
#include "commands.h"
#include "number_options.h"
#include "output.h"
#include "recalc.h"
#include "user_data_load.h"

namespace brv::cli {

namespace {
struct DetailArgs {
  std::string path;
  uint64_t row = 0;
  std::string userdata;
  std::string config;
  std::string output;
};
}  // namespace

Runner add_detail_command(CLI::App& app) {
  auto args = std::make_shared<DetailArgs>();
  auto* cmd = app.add_subcommand("detail", "Write the frame detail report of one row as an HTML page");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  whole_number(cmd->add_option("row", args->row, "Row of the frames list")->required(), 0);
  cmd->add_option("--userdata", args->userdata, "Name identifiers, addresses and bit fields from this file");
  cmd->add_option("--config", args->config, "Take the display settings from this configuration file");
  cmd->add_option("-o,--output", args->output, "Page to write (default frame.htm in a private folder under $TMPDIR)");

  return [args]() -> int {
    if (!args->output.empty() && platform::names_an_input(args->output, {args->path, args->userdata, args->config})) {
      return fail(platform::overwrite_input_message(args->output));
    }
    std::vector<DONNEE_UTILISATEUR> donnees;
    if (!args->userdata.empty()) {
      if (const int status = load_user_data(args->userdata, donnees)) return status;
    }
    Recalcul r;
    if (const int status = recalcule(args->path, args->config, r)) return status;
    const uint64_t total = r.doc->Resultats.ulNbTramesAffichables;
    if (args->row >= total) {
      return fail("Row " + std::to_string(args->row) + " is beyond the last row of the list (" +
                  std::to_string(total) + " rows).");
    }
    const std::string page =
        PageDetailTrame(*r.doc, r.file, args->row, args->userdata.empty() ? nullptr : &donnees);
    const std::string out = args->output.empty() ? CheminDetailTrame() : args->output;
    std::string message;
    if (!EcritDetailTrame(page, out, message)) return fail(message, out);
    emit(out + "\n");
    return 0;
  };
}

}  // namespace brv::cli
