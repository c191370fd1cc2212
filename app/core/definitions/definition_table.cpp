#include "brv_core/definitions/definition_table.h"

#include <new>
#include <strings.h>
#include <utility>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_rules.h"

namespace brv {

namespace {

bool NomPris(const std::string& nom, const TableDefinitions& t) {
  for (size_t i = 0; i < t.nb && i < t.defs.size(); ++i) {
    if (strcasecmp(NomDefinition(t.defs[i]).c_str(), nom.c_str()) == 0) return true;
  }
  return false;
}

}  // namespace

std::string EtiquetteDeclenchement(size_t index) {
  std::string e;
  if (index < 3) e = {'F', static_cast<char>('1' + index)};
  return e;
}

DEFINITION_TRAME NouvelleDefinition() {
  DEFINITION_TRAME d;
  d.ucTypeTrame = kTypeDefiniParUtilisateur;
  d.ulOrdreOctets = ORDRE_MSB;
  d.bUtilisee = 1;
  return d;
}

bool AjouteDefinition(TableDefinitions& t, DEFINITION_TRAME d) {
  if (t.nb >= kNbDefinitionsMax) return false;
  t.defs[t.nb++] = std::move(d);
  return true;
}

void SupprimeDefinition(TableDefinitions& t, size_t index) {
  if (index >= t.nb || index >= t.defs.size()) return;
  for (size_t i = index + 1; i < t.nb; ++i) t.defs[i - 1] = std::move(t.defs[i]);
  t.defs[--t.nb] = DEFINITION_TRAME{};
}

std::string NomLibre(std::string_view nom, const TableDefinitions& t) {
  const std::string entier = DebutNom(nom, kLgNomDefinition - 1);
  if (!NomPris(entier, t)) return entier;
  // A full list has 20 names: one of the first 21 numbers is free.
  for (size_t n = 2; n <= kNbDefinitionsMax + 1; ++n) {
    std::string suffixe = " (";
    suffixe += std::to_string(n);
    suffixe += ')';
    const std::string essai = DebutNom(nom, kLgNomDefinition - 1 - suffixe.size()) + suffixe;
    if (!NomPris(essai, t)) return essai;
  }
  return entier;
}

bool ColleDefinition(TableDefinitions& t, DEFINITION_TRAME d, JeuDefinitions jeu) {
  if (t.nb >= kNbDefinitionsMax) return false;
  DefinitNom(d, NomLibre(NomDefinition(d), t));
  d.bNePasDissocierRP = NePasDissocierApplicable(jeu, d.ucTypeTrame) && d.bNePasDissocierRP ? 1 : 0;
  if (jeu == JeuDefinitions::Declenchement) d.bUtilisee = 1;
  return AjouteDefinition(t, std::move(d));
}

bool CopieDefinitions(const TableDefinitions& source, TableDefinitions& cible) {
  bool complet = true;
  cible.nb = source.nb;
  for (size_t i = 0; i < source.defs.size(); ++i) {
    const DEFINITION_TRAME& s = source.defs[i];
    DEFINITION_TRAME& c = cible.defs[i];
    c.szNom = s.szNom;
    c.ucTypeTrame = s.ucTypeTrame;
    c.usIdentifiant = s.usIdentifiant;
    c.ulOrdreOctets = s.ulOrdreOctets;
    c.bNePasDissocierRP = s.bNePasDissocierRP;
    c.bUtilisee = s.bUtilisee;
    try {
      c.champs = s.champs;
    } catch (const std::bad_alloc&) {
      c.champs.clear();
      complet = false;
    }
  }
  return complet;
}

}  // namespace brv
