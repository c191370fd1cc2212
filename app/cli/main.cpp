// brenvale-cli: the analyser's core from a terminal.

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <brv_core/about/version_text.h>
#include <simcard/simcard.h>

#include "capture_run.h"
#include "commands.h"
#include "output.h"

int main(int argc, char** argv) {
  brv::cli::catch_broken_pipe();
  CLI::App app{"Brenvale: FIP and WorldFIP capture analyser", "brenvale-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", [] { return brv::TexteVersion("brenvale-cli"); },
                       "Print the versions of the program and its libraries, then exit");
  // Global options are also accepted after the subcommand's name (cards --simulate).
  app.fallthrough();
  std::string simulate;
  auto* simulate_option =
      app.add_option("--simulate", simulate,
                     "Register a simulated probe card first: a preset (demo, clean, faults, stress) or a scenario file")
          ->expected(0, 1)
          ->default_str("demo");

  std::vector<std::pair<CLI::App*, brv::cli::Runner>> commands;
  const auto add = [&](const std::function<brv::cli::Runner(CLI::App&)>& adder) {
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
  add(brv::cli::add_compare_command);
  add(brv::cli::add_export_command);
  add(brv::cli::add_userdata_command);
  add(brv::cli::add_detail_command);
  add(brv::cli::add_timing_command);
  add(brv::cli::add_repair_command);
  auto simulation = std::make_shared<brv::cli::Simulation>();
  add([&](CLI::App& a) { return brv::cli::add_capture_command(a, simulation); });
  CLI::App* capture = commands.back().first;

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help and version are successes; every other parse error is a usage error. The help goes
    // through the checked output like any other text.
    std::ostringstream help;
    const int status = app.exit(e, help) == 0 ? 0 : brv::cli::kExitFailure;
    brv::cli::emit(help.str());
    return brv::cli::finish_output(status);
  }

  std::shared_ptr<simcard::SimCard> simulated;
  if (simulate_option->count() > 0) {
    std::string error;
    const auto scenario = simcard::resolve_scenario(simulate.empty() ? "demo" : simulate, error);
    if (!scenario) return brv::cli::finish_output(brv::cli::fail("--simulate: " + error));
    simulation->scenario = *scenario;
    simulation->source = simulate;
    if (!capture->parsed()) simulated = simcard::register_simulated_card(*scenario);
  }

  int status = 0;
  for (auto& [sub, run] : commands) {
    if (sub->parsed()) status = run();
  }
  return brv::cli::finish_output(status);
}
