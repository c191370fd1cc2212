// synth: writes a sample capture of plausible FIP traffic in any layout.

#include <CLI/CLI.hpp>

#include <map>
#include <memory>

#include "brv_core/synth/sample_capture.h"
#include "commands.h"
#include "number_options.h"
#include "output.h"

namespace brv::cli {

namespace {
struct SynthArgs {
  std::string output;
  SampleCaptureOptions options;
  bool json = false;
  bool saved = false;
};
}  // namespace

Runner add_synth_command(CLI::App& app) {
  auto args = std::make_shared<SynthArgs>();
  auto* cmd = app.add_subcommand("synth", "Write a sample capture of FIP traffic");
  cmd->add_option("-o,--output", args->output, "Acquisition file to write")->required();
  whole_number(cmd->add_option("--frames", args->options.frames, "Number of frames")->required(), 1, uint64_t{1} << 40);
  const std::map<std::string, AcqLayout> layouts{
      {"linear", AcqLayout::Linear}, {"circular", AcqLayout::Circular}, {"pretrig", AcqLayout::Pretrigger}};
  cmd->add_option("--layout", args->options.layout, "linear, circular or pretrig")
      ->transform(CLI::CheckedTransformer(layouts, CLI::ignore_case));
  cmd->add_option("--speed", args->options.speed, "Bus speed code: 0 = 31.25 kbit/s, 1 = 1, 2 = 2.5, 3 = 5 Mbit/s")
      ->check(CLI::Range(0u, 3u));
  cmd->add_flag("--worldfip", args->options.worldfip, "WorldFIP framing (default: FIP)");
  whole_number(cmd->add_option("--seed", args->options.seed, "Seed of the traffic model"), 0);
  whole_number(cmd->add_option("--zone-size", args->options.zone_size,
                               "Circular zone size, or pre-trigger maximum, in bytes (default: wraps about twice)"),
               0, kZoneSizeMax);
  cmd->add_flag("--saved", args->saved,
                "Save it as the program does after reading it: configuration and results behind the data");
  cmd->add_flag("--json", args->json, "Write a JSON summary");

  return [args]() -> int {
    SampleCaptureSummary summary;
    std::string error;
    if (!write_sample_capture(args->output, args->options, summary, error)) return fail("Sample capture not written.", error);
    if (args->saved && !save_sample_with_results(args->output, error)) return fail("Sample capture not written.", error);
    std::string out;
    if (args->json) {
      out = "{\"file\": ";
      append_json_string(out, args->output);
      out += ", \"frames\": " + std::to_string(summary.records_written) +
             ", \"bytes\": " + std::to_string(summary.bytes_written) + "}\n";
    } else {
      out = "wrote " + std::to_string(summary.records_written) + " frames (" + std::to_string(summary.bytes_written) +
            " bytes of records) to " + args->output + "\n";
    }
    emit(out);
    return 0;
  };
}

}  // namespace brv::cli
