#include "config_definitions.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "brv_core/config/config_fields.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/decode/unite_requests.h"
#include "brv_core/definitions/definition_rules.h"
#include "brv_core/definitions/pickers.h"
#include "output.h"

namespace brv::cli {

namespace {

TableDefinitions& table_de(Configuration& c, const std::string& liste) {
  return liste == "trigger" ? c.declenchement : liste == "filter" ? c.filtre : c.evenements;
}

bool meme_nom(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool chiffres(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// One or two hexadecimal digits, "0x" allowed.
bool lit_octet(std::string_view t, uint8_t& v) {
  uint16_t n = 0;
  if (!parse_hex_u16(t, n) || n > 0xFF) return false;
  v = static_cast<uint8_t>(n);
  return true;
}

bool lit_type(const std::string& t, uint8_t& type) {
  if (t.empty() || meme_nom(t, "user")) {
    type = kTypeDefiniParUtilisateur;
    return true;
  }
  for (const TypeTrame& tt : kTypesTrame) {
    if (meme_nom(t, tt.nom)) {
      type = tt.ucControle;
      return true;
    }
  }
  return lit_octet(t, type) && TypeTrameDe(type) != nullptr;
}

std::string nom_type(uint8_t type) {
  const TypeTrame* t = TypeTrameDe(type);
  return t ? std::string(t->nom) : std::string("user defined");
}

// POS:LEN:OP:VALUE[:FORMAT[:signed][:lsb]] into the editor's fields; false with why.
bool lit_champ(const std::string& texte, SaisieChampBits& s, std::string& pourquoi) {
  std::vector<std::string> parts;
  for (size_t debut = 0;;) {
    const size_t fin = texte.find(':', debut);
    parts.push_back(texte.substr(debut, fin - debut));
    if (fin == std::string::npos) break;
    debut = fin + 1;
  }
  if (parts.size() < 4) {
    pourquoi = "expected POS:LEN:OP:VALUE[:FORMAT[:signed][:lsb]]";
    return false;
  }
  if (!chiffres(parts[0]) || !chiffres(parts[1])) {
    pourquoi = "the position and the length are whole numbers of bits";
    return false;
  }
  s.position = parts[0];
  s.longueur = parts[1];
  for (size_t i = 0; i < kOperations.size(); ++i) {
    if (parts[2] == kOperations[i].symbole) s.operation = static_cast<int>(i);
  }
  if (s.operation < 0) {
    pourquoi = "'" + parts[2] + "' is not an operation (";
    for (size_t i = 0; i < kOperations.size(); ++i) pourquoi += std::string(i ? " " : "") + kOperations[i].symbole;
    pourquoi += ")";
    return false;
  }
  s.valeur = parts[3];
  static constexpr const char* kFormats[] = {"bin", "hex", "dec", "float", "sci"};
  s.interpretation = INTERP_HEXA;
  if (parts.size() > 4) {
    const auto f = std::find(std::begin(kFormats), std::end(kFormats), parts[4]);
    if (f == std::end(kFormats)) {
      pourquoi = "'" + parts[4] + "' is not a format (bin hex dec float sci)";
      return false;
    }
    s.interpretation = static_cast<int>(f - std::begin(kFormats));
  }
  s.signe = 0;
  s.ordre = 0;
  for (size_t i = 5; i < parts.size(); ++i) {
    int& option = parts[i] == "signed" ? s.signe : s.ordre;
    if ((parts[i] != "signed" && parts[i] != "lsb") || option == 1) {
      pourquoi = "'" + parts[i] + "' is not expected after the format (signed, lsb)";
      return false;
    }
    option = 1;
  }
  return true;
}

// The frame's byte order as the editor shows it for these conditions.
uint32_t ordre_definition(const std::vector<CHAMP_BITS>& champs) {
  const auto lsb = [](const CHAMP_BITS& c) { return c.ulOrdre != 0; };
  if (std::all_of(champs.begin(), champs.end(), lsb)) return champs.empty() ? ORDRE_MSB : ORDRE_LSB;
  return std::none_of(champs.begin(), champs.end(), lsb) ? ORDRE_MSB : ORDRE_LIBRE;
}

int conditions_donnees(const AjoutDefinition& a, DEFINITION_TRAME& d) {
  if (!lit_type(a.type, d.ucTypeTrame)) {
    return fail("--type: '" + a.type + "' is not a frame type (a control byte in hexadecimal such as 03, a type " +
                "name such as ID_DAT, or user)");
  }
  if (!a.identifiant.empty() && !parse_hex_u16(a.identifiant, d.usIdentifiant)) {
    return fail("--id: '" + a.identifiant + "' is not an identifier in hexadecimal (0 to FFFF)");
  }
  if (a.nePasDissocierRP) {
    const TypeTrame* t = TypeTrameDe(d.ucTypeTrame);
    if (a.liste != "filter" || !t || t->classe != ClasseTrame::Identification) {
      return fail("--no-dissociate-rp: only for a filter definition of an identification type (ID_DAT, ID_MSG, ID_RQ1, ID_RQ2)");
    }
    d.bNePasDissocierRP = 1;
  }
  if (a.champs.size() > kNbChampsMax) return fail("a definition holds at most " + std::to_string(kNbChampsMax) + " conditions");
  for (const std::string& texte : a.champs) {
    SaisieChampBits s;
    std::string pourquoi;
    if (!lit_champ(texte, s, pourquoi)) return fail("--field '" + texte + "': " + pourquoi);
    // The editor's Yes/No questions, answered as the options say and shown with their answer.
    const QuestionOuiNon demande = [&a](std::string_view question) {
      std::string t(question);
      std::replace(t.begin(), t.end(), '\n', ' ');
      fail(t, a.oui ? "answered Yes by --yes" : "answered No; --yes answers Yes");
      return a.oui;
    };
    CHAMP_BITS champ;
    std::string canonique;
    const Verdict v = ValideChampBits(s, d.ucTypeTrame, demande, champ, canonique);
    if (v.type == Verdict::Abandonne) return fail("--field '" + texte + "': not added");
    if (!v.ok()) return fail("--field '" + texte + "': " + v.message);
    d.champs.push_back(champ);
  }
  d.ulOrdreOctets = ordre_definition(d.champs);
  return 0;
}

// --- Pickers.

struct OptionDonnee {
  const char* nom;
  bool donnee;
};

std::vector<OptionDonnee> options_donnees(const ChoixSelecteur& c) {
  return {{"--request", !c.requete.empty()},
          {"--report", c.rapport},
          {"--no-service", c.sansService},
          {"--source", c.source.has_value()},
          {"--destination", c.destination.has_value()},
          {"--station", c.station.has_value()},
          {"--odd", c.impaires},
          {"--even", c.paires},
          {"--by-transmitter", c.parEmetteur},
          {"--presence", c.presence},
          {"--identification", c.identification},
          {"--no-arbitrator-filter", c.sansFiltreArbitre}};
}

// A station number of a picker's list (0 to max), -1 when none was given.
bool station(const std::optional<uint64_t>& v, const char* option, uint64_t max, int& n) {
  if (v && *v > max) {
    fail(std::string(option) + ": '" + std::to_string(*v) + "' is not a whole number from 0 to " + std::to_string(max));
    return false;
  }
  n = v ? static_cast<int>(*v) : -1;
  return true;
}

bool lit_requete(const std::string& t, int& index) {
  for (size_t i = 0; i < kRequetesUniTe.size(); ++i) {
    if (meme_nom(t, kRequetesUniTe[i].nom)) {
      index = static_cast<int>(i);
      return true;
    }
  }
  uint8_t code = 0;
  if (!lit_octet(t, code)) return false;
  for (size_t i = 0; i < kRequetesUniTe.size(); ++i) {
    if (kRequetesUniTe[i].ucCode == code) {
      index = static_cast<int>(i);
      return true;
    }
  }
  return false;
}

int selecteur(const ChoixSelecteur& c, DEFINITION_TRAME& d) {
  static const struct {
    const char* nom;
    std::vector<std::string_view> options;
  } kSelecteurs[] = {
      {"unite", {"--request", "--report", "--no-service", "--source", "--destination", "--odd", "--even", "--by-transmitter"}},
      {"com", {"--station"}},
      {"telegram", {"--source", "--destination", "--odd", "--even", "--no-arbitrator-filter"}},
      {"station", {"--station", "--presence", "--identification"}},
  };
  const auto* s = std::find_if(std::begin(kSelecteurs), std::end(kSelecteurs), [&c](const auto& x) { return c.nom == x.nom; });
  for (const OptionDonnee& o : options_donnees(c)) {
    if (o.donnee && std::find(s->options.begin(), s->options.end(), o.nom) == s->options.end()) {
      return fail(std::string(o.nom) + " is not an option of the " + c.nom + " picker");
    }
  }
  ResultatSelecteur r = ResultatSelecteur::Inchange;
  std::string pourquoi;
  if (c.nom == "unite") {
    ChoixUniTe u;
    if (!station(c.source, "--source", 63, u.source) || !station(c.destination, "--destination", 63, u.destination)) {
      return kExitFailure;
    }
    if (!c.requete.empty() && !lit_requete(c.requete, u.requete)) {
      return fail("--request: '" + c.requete + "' is neither a UNI-TE request name (such as READ_CPU) nor its code in hexadecimal");
    }
    if (c.parEmetteur) {
      for (const OptionDonnee& o : options_donnees(c)) {
        if (o.donnee && std::string_view(o.nom) != "--source" && std::string_view(o.nom) != "--by-transmitter") {
          return fail(std::string(o.nom) + " has no effect with --by-transmitter");
        }
      }
    }
    u.requeteCoche = !c.rapport && !c.sansService;
    u.rapport = c.rapport;
    u.paires = !c.impaires;
    u.impaires = c.impaires;
    u.parEmetteur = c.parEmetteur;
    r = SelecteurUniTe(u, d);
    pourquoi = "--by-transmitter needs --source: the picker would only set the identifier field";
  } else if (c.nom == "com") {
    int n = -1;
    if (!station(c.station, "--station", 30, n)) return kExitFailure;
    r = SelecteurMotsCom(n, d);
    pourquoi = "the com picker needs --station";
  } else if (c.nom == "telegram") {
    ChoixTelegrammes t;
    if (!station(c.source, "--source", 15, t.source) || !station(c.destination, "--destination", 15, t.destination)) {
      return kExitFailure;
    }
    if (!c.sansFiltreArbitre && (c.destination || c.impaires || c.paires)) {
      return fail(std::string(c.destination ? "--destination" : c.impaires ? "--odd" : "--even") +
                  " needs --no-arbitrator-filter with the telegram picker");
    }
    t.nePasFiltrerArbitre = c.sansFiltreArbitre;
    t.paires = c.paires;
    t.impaires = c.impaires;
    r = SelecteurTelegrammes(t, d);
  } else {
    int n = -1;
    if (!station(c.station, "--station", 63, n)) return kExitFailure;
    r = SelecteurIdentification(n, !c.identification, d);
    pourquoi = "the station picker needs --station";
  }
  switch (r) {
    case ResultatSelecteur::Rempli: return 0;
    case ResultatSelecteur::Memoire: return fail(kMsgMemoireInsuffisante);
    case ResultatSelecteur::Inchange:
    case ResultatSelecteur::IdentifiantSeul: break;
  }
  return fail("nothing chosen, the definition would be left as it is", pourquoi);
}

}  // namespace

int ajoute_definition(const AjoutDefinition& a, bool sansIdentifiants, Configuration& config, std::string& resume) {
  TableDefinitions& table = table_de(config, a.liste);
  if (table.nb >= kNbDefinitionsMax) {
    return fail("The " + a.liste + " list already holds " + std::to_string(kNbDefinitionsMax) + " definitions.");
  }
  const Verdict v = ValideDefinition(a.nom, table, -1);
  if (!v.ok()) return fail(v.message, a.nom);
  if (a.nom.size() >= kLgNomDefinition) {
    return fail("A frame name holds at most " + std::to_string(kLgNomDefinition - 1) + " characters.", a.nom);
  }
  if (sansIdentifiants && !a.identifiant.empty()) {
    return fail("--id: this file was saved without definition identifiers (after a capture was opened)");
  }

  if (a.selecteur.nom.empty()) {
    for (const OptionDonnee& o : options_donnees(a.selecteur)) {
      if (o.donnee) return fail(std::string(o.nom) + " is an option of --picker");
    }
  }

  DEFINITION_TRAME d;
  DefinitNom(d, a.nom);
  d.bUtilisee = 1;
  if (const int status = a.selecteur.nom.empty() ? conditions_donnees(a, d) : selecteur(a.selecteur, d)) return status;
  if (sansIdentifiants && d.usIdentifiant != 0) {
    char t[8];
    std::snprintf(t, sizeof t, "%04X", d.usIdentifiant);
    fail(std::string("the identifier field ") + t + " is not kept: this file was saved without definition identifiers");
  }

  table.defs[table.nb] = d;
  ++table.nb;
  resume = "added " + a.liste + " definition '" + a.nom + "' (" + nom_type(d.ucTypeTrame) + ", " +
           std::to_string(d.champs.size()) + (d.champs.size() == 1 ? " condition" : " conditions") + "), " +
           std::to_string(table.nb) + " in the list\n";
  return 0;
}

int retire_definition(const std::string& liste, const std::string& nom, Configuration& config, std::string& resume) {
  TableDefinitions& table = table_de(config, liste);
  size_t trouvee = kNbDefinitionsMax;
  for (size_t i = 0; i < table.nb && i < table.defs.size(); ++i) {
    if (!meme_nom(NomDefinition(table.defs[i]), nom)) continue;
    if (trouvee != kNbDefinitionsMax) return fail("Several " + liste + " definitions have this name.", nom);
    trouvee = i;
  }
  if (trouvee == kNbDefinitionsMax) return fail("No " + liste + " definition has this name.", nom);
  std::move(table.defs.begin() + static_cast<std::ptrdiff_t>(trouvee) + 1,
            table.defs.begin() + table.nb, table.defs.begin() + static_cast<std::ptrdiff_t>(trouvee));
  --table.nb;
  table.defs[table.nb] = DEFINITION_TRAME{};
  resume = "removed " + liste + " definition '" + nom + "', " + std::to_string(table.nb) + " left in the list\n";
  return 0;
}

}  // namespace brv::cli
