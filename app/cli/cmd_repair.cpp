// repair: recovers the whole records of an interrupted capture by completing its header.

#include <CLI/CLI.hpp>

#include <memory>

#include <brv_platform/files.h>

#include "brv_core/file/repair.h"
#include "capture_open.h"
#include "commands.h"
#include "output.h"

namespace brv::cli {

namespace {
struct RepairArgs {
  std::string path;
  std::string output;
};
}  // namespace

Runner add_repair_command(CLI::App& app) {
  auto args = std::make_shared<RepairArgs>();
  auto* cmd = app.add_subcommand("repair", "Recover the frames of an interrupted capture");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("-o,--output", args->output,
                  "Write the repaired capture here (default: repair in place, keeping the original as FILE.orig)");

  return [args]() -> int {
    if (!args->output.empty() && platform::names_an_input(args->output, {args->path})) {
      return fail(platform::overwrite_input_message(args->output));
    }
    AcqFile file;
    if (const int status = open_capture(args->path, file)) return status;
    const RepairPlan plan = PlanifieReparation(file);
    if (plan.status == RepairStatus::NothingToRepair) {
      emit(plan.message + "\n");
      return 0;
    }
    if (plan.status != RepairStatus::Repairable) return fail(plan.message, args->path);
    std::string why;
    const bool ok = args->output.empty() ? ReparePlace(args->path, file, plan, why)
                                         : RepareVers(file, plan, args->output, why);
    if (!ok) return fail("The capture could not be repaired.", why);
    emit(TexteReparation(plan) + ".\n");
    if (args->output.empty()) {
      emit("The capture was repaired in place: " + args->path + " (the original is kept as " +
           CheminOriginal(args->path) + ").\n");
    } else {
      emit("The capture was repaired: " + args->output + ".\n");
    }
    return 0;
  };
}

}  // namespace brv::cli
