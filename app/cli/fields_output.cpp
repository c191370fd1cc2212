#include "fields_output.h"

#include "output.h"

namespace brv::cli {

std::string fields_text(const std::vector<ChampConfiguration>& champs, const std::string& indent) {
  std::string out;
  for (const auto& c : champs) out += indent + c.nom + ": " + c.valeur + "\n";
  return out;
}

std::string fields_json(const std::vector<ChampConfiguration>& champs) {
  std::string out = "{";
  for (size_t i = 0; i < champs.size(); ++i) {
    if (i) out += ", ";
    append_json_string(out, champs[i].nom);
    out += ": ";
    if (champs[i].numerique) {
      out += champs[i].valeur;
    } else {
      append_json_string(out, champs[i].valeur);
    }
  }
  return out + "}";
}

}  // namespace brv::cli
