// userdata check: reads a user data file and reports its entries or its first invalid line.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/userdata/user_data.h"
#include "commands.h"
#include "output.h"
#include "user_data_load.h"

namespace brv::cli {

namespace {
struct UserDataArgs {
  std::string path;
  bool json = false;
};

std::string criterion(const CritereAdresse& a) {
  if (!a.present()) return "";
  char t[16];
  if (a.bDeuxPremiers && a.bTroisieme) {
    std::snprintf(t, sizeof t, "%04X %02X", a.usDeuxPremiers, a.ucTroisieme);
  } else if (a.bDeuxPremiers) {
    std::snprintf(t, sizeof t, "%04X", a.usDeuxPremiers);
  } else {
    std::snprintf(t, sizeof t, "!%02X", a.ucTroisieme);
  }
  return t;
}
}  // namespace

Runner add_userdata_command(CLI::App& app) {
  auto args = std::make_shared<UserDataArgs>();
  auto* cmd = app.add_subcommand("userdata", "User data files (names of identifiers, addresses and bit fields)");
  cmd->require_subcommand(1);
  auto* check = cmd->add_subcommand("check", "Read a user data file and list its entries");
  check->add_option("file", args->path, "User data file (.csv or .txt)")->required();
  check->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    std::vector<DONNEE_UTILISATEUR> list;
    if (const int status = load_user_data(args->path, list)) return status;
    std::string out;
    if (args->json) {
      out = "{\"entries\": [";
      for (size_t i = 0; i < list.size(); ++i) {
        const auto& d = list[i];
        if (i) out += ", ";
        out += "{\"types\": [";
        for (size_t k = 0; k < d.types.size(); ++k) out += (k ? ", " : "") + std::to_string(d.types[k]);
        out += "], \"identifier\": " + (d.bIdentifiant ? std::to_string(d.usIdentifiant) : std::string("null"));
        for (const auto& [key, value] : {std::pair{"identifier_name", &d.nomIdentifiant},
                                         std::pair{"destination_name", &d.nomDestination},
                                         std::pair{"source_name", &d.nomSource}}) {
          out += std::string(", \"") + key + "\": ";
          append_json_string(out, *value);
        }
        out += ", \"fields\": [";
        for (size_t k = 0; k < d.champs.size(); ++k) {
          if (k) out += ", ";
          out += "{\"name\": ";
          append_json_string(out, d.champs[k].nom);
          out += ", \"position\": " + std::to_string(d.champs[k].usDebut) +
                 ", \"length\": " + std::to_string(d.champs[k].usLongueur) +
                 ", \"interpretation\": " + std::to_string(d.champs[k].ulInterpretation) + "}";
        }
        out += "]}";
      }
      out += "]}\n";
    } else {
      for (const auto& d : list) {
        out += "types";
        for (uint8_t t : d.types) {
          char h[8];
          std::snprintf(h, sizeof h, " %02X", t);
          out += h;
        }
        if (d.bIdentifiant) {
          char h[32];
          std::snprintf(h, sizeof h, "  identifier %04X", d.usIdentifiant);
          out += h;
        }
        if (d.destination.present()) out += "  destination " + criterion(d.destination);
        if (d.source.present()) out += "  source " + criterion(d.source);
        out += "\n";
        if (!d.nomIdentifiant.empty()) out += "  identifier name: " + d.nomIdentifiant + "\n";
        if (!d.nomDestination.empty()) out += "  destination name: " + d.nomDestination + "\n";
        if (!d.nomSource.empty()) out += "  source name: " + d.nomSource + "\n";
        for (const auto& c : d.champs) {
          out += "  field " + c.nom + ": bits " + std::to_string(c.usDebut) + "+" + std::to_string(c.usLongueur) + "\n";
        }
      }
      out += std::to_string(list.size()) + " entries\n";
    }
    emit(out);
    return 0;
  };
}

}  // namespace brv::cli
