#pragma once
// config add / config remove: one frame definition of the trigger, filter or event list, built
// from bit-field conditions or by one of the four pickers, checked as the definition editor does.

#include <optional>
#include <string>
#include <vector>

#include "brv_core/config/configuration.h"

namespace brv::cli {

struct ChoixSelecteur {
  std::string nom;  // unite, com, telegram, station; empty: conditions given one by one
  std::string requete;  // a UNI-TE request name or code
  bool rapport = false, sansService = false;
  std::optional<uint64_t> source, destination, station;
  bool impaires = false, paires = false;
  bool parEmetteur = false;
  bool presence = false, identification = false;
  bool sansFiltreArbitre = false;
};

struct AjoutDefinition {
  std::string liste;  // trigger, filter, event
  std::string nom;
  std::string type;  // a control byte in hexadecimal, a type name, "user"; empty: user
  std::string identifiant;  // hexadecimal; empty: 0
  std::vector<std::string> champs;  // POS:LEN:OP:VALUE[:FORMAT[:signed][:lsb]]
  bool oui = false;  // answers the editor's Yes/No questions Yes
  bool nePasDissocierRP = false;
  ChoixSelecteur selecteur;
};

// Adds the definition to config; 0 with a line saying what was added, or the exit status after
// printing why it was refused (config is then unchanged). sansIdentifiants: the file stores no
// definition identifiers.
int ajoute_definition(const AjoutDefinition& a, bool sansIdentifiants, Configuration& config, std::string& resume);

// Removes the definition named nom (ignoring case, as names are compared) from the list.
int retire_definition(const std::string& liste, const std::string& nom, Configuration& config, std::string& resume);

}  // namespace brv::cli
