// config: show a configuration file field by field, write a new one with the defaults, or change
// one in place (settings, frame definitions) under the rules of the configuration dialogs.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/config/config_fields.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/config_file.h"
#include "commands.h"
#include "config_definitions.h"
#include "config_edit.h"
#include "config_settings.h"
#include "fields_output.h"
#include "number_options.h"
#include "output.h"

namespace brv::cli {

namespace {

struct ConfigArgs {
  std::string path;
  std::string output;
  bool json = false;
  bool after_capture = false;
  std::vector<std::string> settings;
  AjoutDefinition ajout;
  std::string list;
  std::string name;
};

const std::vector<std::string> kListes = {"trigger", "filter", "event"};

void add_edit_options(CLI::App* cmd, ConfigArgs& a) {
  cmd->add_option("file", a.path, "Configuration file (.cfg), changed in place")->required();
  cmd->add_flag("--after-capture", a.after_capture,
                "When the file reads both ways, read it as the program does once a capture was opened");
}

void add_definition_options(CLI::App* add, AjoutDefinition& d) {
  auto* fields = add->add_option("--field", d.champs,
                                 "A bit-field condition POS:LEN:OP:VALUE[:FORMAT[:signed][:lsb]], OP one of "
                                 "& ~| &= |= != = < > <= >=, FORMAT bin|hex|dec|float|sci (default hex)");
  auto* type = add->add_option("--type", d.type, "Frame type: its control byte in hexadecimal (03), its name (ID_DAT) or user");
  auto* id = add->add_option("--id", d.identifiant, "Identifier field, hexadecimal");
  auto* yes = add->add_flag("--yes", d.oui, "Answer Yes to the editor's questions (a field beyond the frame's length)");
  auto* rp = add->add_flag("--no-dissociate-rp", d.nePasDissocierRP,
                           "\"Do not dissociate RP frames\" (filter list, identification types)");

  ChoixSelecteur& s = d.selecteur;
  auto* picker = add->add_option("--picker", s.nom, "Fill the definition with a FIPIO picker instead of --field")
                     ->check(CLI::IsMember({"unite", "com", "telegram", "station"}));
  picker->excludes(fields)->excludes(type)->excludes(id)->excludes(yes)->excludes(rp);
  add->add_option("--request", s.requete, "unite: the request, by name (READ_CPU) or code in hexadecimal (4F)");
  auto* report = add->add_flag("--report", s.rapport, "unite: match reports instead of requests");
  add->add_flag("--no-service", s.sansService, "unite: match requests and reports alike")->excludes(report);
  whole_number(add->add_option("--source", s.source, "unite, telegram: the source station"), 0, 63);
  whole_number(add->add_option("--destination", s.destination, "unite, telegram: the destination station"), 0, 63);
  whole_number(add->add_option("--station", s.station, "com (0 to 30), station (0 to 63): the station"), 0, 63);
  auto* odd = add->add_flag("--odd", s.impaires, "unite, telegram: odd responses (RP_MSG_ACK odd)");
  add->add_flag("--even", s.paires, "unite, telegram: even responses (the default)")->excludes(odd);
  add->add_flag("--by-transmitter", s.parEmetteur, "unite: the bus arbitrator's leave for --source to send");
  auto* presence = add->add_flag("--presence", s.presence, "station: the presence variable (the default)");
  add->add_flag("--identification", s.identification, "station: the identification variable")->excludes(presence);
  add->add_flag("--no-arbitrator-filter", s.sansFiltreArbitre,
                "telegram: the telegrams themselves, not the bus arbitrator's requests for them");
}

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

  auto* set = cmd->add_subcommand("set", "Change fields of a configuration file: all of them or none");
  add_edit_options(set, *args);
  set->add_option("settings", args->settings, "KEY=VALUE, KEY a field name as `config show --json` prints it")
      ->required();
  auto* add = cmd->add_subcommand("add", "Append a frame definition to a list of a configuration file");
  add_edit_options(add, *args);
  add->add_option("--list", args->ajout.liste, "The list: trigger, filter or event")
      ->required()
      ->check(CLI::IsMember(kListes));
  add->add_option("--name", args->ajout.nom, "The definition's name (at most 50 characters)")->required();
  add_definition_options(add, args->ajout);
  auto* remove = cmd->add_subcommand("remove", "Remove a frame definition from a list of a configuration file");
  add_edit_options(remove, *args);
  remove->add_option("--list", args->list, "The list: trigger, filter or event")->required()->check(CLI::IsMember(kListes));
  remove->add_option("--name", args->name, "The definition's name (case ignored)")->required();

  return [args, show, set, add, remove]() -> int {
    if (show->parsed()) {
      Configuration config;
      ConfigurationParDefaut(config, RepertoireParDefaut() + kNomFichierAcqDefaut);
      const ResultatConfiguration r = OuvrirConfiguration(args->path, args->after_capture, config);
      if (r != ResultatConfiguration::Ok) return fail(MessageConfiguration(r), args->path);
      const auto champs = ChampsConfiguration(config, false);
      emit(args->json ? fields_json(champs) + "\n" : fields_text(champs));
      return 0;
    }
    if (set->parsed() || add->parsed() || remove->parsed()) {
      ConfigEditee f;
      ConfigurationParDefaut(f.config, RepertoireParDefaut() + kNomFichierAcqDefaut);
      if (const int status = charge_config(args->path, args->after_capture, f)) return status;
      std::string resume;
      if (set->parsed()) {
        RefusReglage refus;
        if (!applique_reglages(args->settings, f.config, refus, resume)) return fail(refus.message, refus.detail);
      } else if (add->parsed()) {
        if (const int status = ajoute_definition(args->ajout, f.apresCapture, f.config, resume)) return status;
      } else if (const int status = retire_definition(args->list, args->name, f.config, resume)) {
        return status;
      }
      if (const int status = enregistre_config(f)) return status;
      emit(resume);
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
