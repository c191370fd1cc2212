// config: placeholder until the subcommand is built.

#include <CLI/CLI.hpp>

#include "commands.h"
#include "output.h"

namespace brv::cli {

Runner add_config_command(CLI::App& app) {
  app.add_subcommand("config", "Not available yet");
  return [] { return fail("Not available yet."); };
}

}  // namespace brv::cli
