// brenvale-cli: the analyser's core from a terminal.

#include <CLI/CLI.hpp>

#include <vector>

#include "commands.h"
#include "output.h"

int main(int argc, char** argv) {
  CLI::App app{"Brenvale: FIP and WorldFIP capture analyser", "brenvale-cli"};
  app.require_subcommand(1);

  std::vector<std::pair<CLI::App*, brv::cli::Runner>> commands;
  const auto add = [&](brv::cli::Runner (*adder)(CLI::App&)) {
    const size_t before = app.get_subcommands({}).size();
    brv::cli::Runner run = adder(app);
    commands.emplace_back(app.get_subcommands({})[before], std::move(run));
  };
  add(brv::cli::add_decode_command);
  add(brv::cli::add_info_command);
  add(brv::cli::add_records_command);
  add(brv::cli::add_synth_command);
  add(brv::cli::add_config_command);
  add(brv::cli::add_cards_command);
  add(brv::cli::add_frames_command);
  add(brv::cli::add_stats_command);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version are successes; every other parse error is a usage error.
    return app.exit(e) == 0 ? 0 : brv::cli::kExitFailure;
  }

  int status = 0;
  for (auto& [sub, run] : commands) {
    if (sub->parsed()) status = run();
  }
  brv::cli::flush_output();
  return status;
}
