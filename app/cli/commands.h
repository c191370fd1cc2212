#pragma once
// Subcommands of brenvale-cli. Each registers its options and, once parsed, runs and
// returns the exit status.

#include <functional>
#include <memory>

namespace CLI {
class App;
}

namespace brv::cli {

using Runner = std::function<int()>;
struct Simulation;  // capture_run.h

Runner add_decode_command(CLI::App& app);
Runner add_info_command(CLI::App& app);
Runner add_records_command(CLI::App& app);
Runner add_synth_command(CLI::App& app);
Runner add_config_command(CLI::App& app);
Runner add_cards_command(CLI::App& app);
Runner add_frames_command(CLI::App& app);
Runner add_stats_command(CLI::App& app);
Runner add_compare_command(CLI::App& app);
Runner add_export_command(CLI::App& app);
Runner add_userdata_command(CLI::App& app);
Runner add_detail_command(CLI::App& app);
Runner add_timing_command(CLI::App& app);
Runner add_repair_command(CLI::App& app);
// Registers the simulated card itself, once its bus options are applied to the scenario.
Runner add_capture_command(CLI::App& app, std::shared_ptr<const Simulation> simulation);

}  // namespace brv::cli
