// config: show a configuration file field by field, or write a new one with the defaults.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/config/config_fields.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/config_file.h"
#include "commands.h"
#include "fields_output.h"
#include "output.h"

namespace brv::cli {

namespace {

struct ConfigArgs {
  std::string path;
  std::string output;
  bool json = false;
  bool after_capture = false;
};

}  // namespace

Runner add_config_command(CLI::App& app) {
  auto args = std::make_shared<ConfigArgs>();
  auto* cmd = app.add_subcommand("config", "Configuration files (.cfg)");
  cmd->require_subcommand(1);
  auto* show = cmd->add_subcommand("show", "Print every field of a configuration file");
  show->add_option("file", args->path, "Configuration file (.cfg)")->required();
  show->add_flag("--after-capture", args->after_capture,
                 "Read as the program does once a capture was opened (identifiers omitted)");
  show->add_flag("--json", args->json, "Write one JSON object");
  auto* create = cmd->add_subcommand("new", "Write a configuration file with the default values");
  create->add_option("-o,--output", args->output, "Configuration file to write")->required();
  create->add_flag("--after-capture", args->after_capture, "Write the form used once a capture was opened");
  create->add_flag("--json", args->json, "Write a JSON summary");

  return [args, show]() -> int {
    if (show->parsed()) {
      Configuration config;
      ConfigurationParDefaut(config, RepertoireParDefaut() + kNomFichierAcqDefaut);
      const ResultatConfiguration r = OuvrirConfiguration(args->path, args->after_capture, config);
      if (r != ResultatConfiguration::Ok) return fail(MessageConfiguration(r), args->path);
      const auto champs = ChampsConfiguration(config, false);
      emit(args->json ? fields_json(champs) + "\n" : fields_text(champs));
      return 0;
    }
    Configuration config;
    ConfigurationParDefaut(config, RepertoireParDefaut() + kNomFichierAcqDefaut);
    const ResultatConfiguration r = EnregistrerConfiguration(args->output, args->after_capture, config);
    if (r != ResultatConfiguration::Ok) return fail(MessageConfiguration(r), args->output);
    if (args->json) {
      std::string out = "{\"file\": ";
      append_json_string(out, args->output);
      emit(out + "}\n");
    } else {
      emit("wrote the default configuration to " + args->output + "\n");
    }
    return 0;
  };
}

}  // namespace brv::cli
