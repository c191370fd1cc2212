#include "brv_core/definitions/definition_rules.h"

#include <bit>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "brv_core/config/config_fields.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/definitions/value_format.h"

namespace brv {

const std::array<OperationTexte, 10> kOperations = {{
    {"&      AND", "&"},
    {"~|    NOT OR", "~|"},
    {"&=   AND and Equal", "&="},
    {"|=    OR and Equal", "|="},
    {"!=    Different", "!="},
    {"=      Equal", "="},
    {"<     Less", "<"},
    {">     Greater", ">"},
    {"<=   Less or Equal", "<="},
    {">=   Greater or Equal", ">="},
}};

const std::array<MethodeDeclenchement, 8> kMethodesDeclenchement = {{
    {"F1", 1},
    {"F1 Then F2", 2},
    {"F1 Or F2", 2},
    {"F1 Then F2 Then F3", 3},
    {"(F1 Then F2) Or F3", 3},
    {"F1 Then (F2 Or F3)", 3},
    {"(F1 Or F2) Then F3", 3},
    {"F1 Or F2 Or F3", 3},
}};

namespace {

constexpr const char* kContinuer = "\nDo you want to continue ?";
constexpr const char* kValeurManquante = "Please define the comparing value to apply to the bit field.";

Verdict refuse(std::string message) { return {Verdict::Refuse, std::move(message)}; }

std::string_view sans_blancs(std::string_view t) {
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front()))) t.remove_prefix(1);
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.remove_suffix(1);
  return t;
}

// A whole unsigned number, or false when the field holds none.
bool lit_entier(const std::string& texte, unsigned long& v) {
  const std::string t(sans_blancs(texte));
  if (t.empty() || !std::isdigit(static_cast<unsigned char>(t[0]))) return false;
  errno = 0;
  char* fin = nullptr;
  v = std::strtoul(t.c_str(), &fin, 10);
  return errno == 0;
}

uint64_t masque(unsigned lg) { return lg >= 64 ? ~uint64_t{0} : (uint64_t{1} << lg) - 1; }

bool largeur_entiere(unsigned lg) { return lg == 8 || lg == 16 || lg == 32 || lg == 64; }

template <typename... A>
std::string format(const char* f, A... a) {
  char t[64];
  std::snprintf(t, sizeof t, f, a...);
  return t;
}

}  // namespace

uint32_t LimiteBitsType(uint8_t typeTrame) {
  const TypeTrame* t = TypeTrameDe(typeTrame);
  return t ? uint32_t{LimitesClasse(t->classe).max} * 8 : 0;
}

Verdict AnalyseValeur(std::string_view texte, InterpretationValeur interpretation, bool signe, unsigned lg,
                      uint64_t& valeur, std::string& canonique) {
  const std::string t(sans_blancs(texte));
  switch (interpretation) {
    case INTERP_BINAIRE:
    case INTERP_HEXA: {
      if (signe && !largeur_entiere(lg)) {
        return refuse("A binary or hexadecimal value can be signed\nonly if the bit field length is worth 8, 16, 32 or 64 bits.");
      }
      uint64_t v = 0;
      if (interpretation == INTERP_BINAIRE) {
        size_t n = 0;
        while (n < t.size() && n < 64 && (t[n] == '0' || t[n] == '1')) v = (v << 1) | uint64_t(t[n++] - '0');
        if (n == 0) return refuse(kValeurManquante);
      } else {
        char* fin = nullptr;
        v = std::strtoull(t.c_str(), &fin, 16);
        if (fin == t.c_str()) return refuse(kValeurManquante);
      }
      valeur = v & masque(lg);
      canonique = interpretation == INTERP_BINAIRE ? TexteBinaire(valeur) : format("%llX", static_cast<unsigned long long>(valeur));
      return {};
    }
    case INTERP_DECIMAL: {
      char* fin = nullptr;
      uint64_t v = signe ? static_cast<uint64_t>(std::strtoll(t.c_str(), &fin, 10)) : std::strtoull(t.c_str(), &fin, 10);
      if (fin == t.c_str()) return refuse(kValeurManquante);
      v &= masque(lg);
      // A negative value keeps its sign over the whole comparison value.
      if (signe && lg < 64 && lg > 0 && ((v >> (lg - 1)) & 1)) v |= ~masque(lg);
      valeur = v;
      canonique = signe ? format("%lld", static_cast<long long>(v)) : format("%llu", static_cast<unsigned long long>(v));
      return {};
    }
    case INTERP_FLOTTANT:
    case INTERP_FLOTTANT_SCIENTIFIQUE: {
      if (lg != 32 && lg != 64) return refuse("A value can be interpreted as a float\nonly if the bit field length is worth 32 or 64 bits.");
      const char* f = interpretation == INTERP_FLOTTANT ? "%f" : "%g";
      char* fin = nullptr;
      if (lg == 32) {
        const float x = std::strtof(t.c_str(), &fin);
        if (fin == t.c_str()) return refuse(kValeurManquante);
        valeur = std::bit_cast<uint32_t>(x);
        canonique = format(f, static_cast<double>(x));
      } else {
        const double x = std::strtod(t.c_str(), &fin);
        if (fin == t.c_str()) return refuse(kValeurManquante);
        valeur = std::bit_cast<uint64_t>(x);
        canonique = format(f, x);
      }
      return {};
    }
  }
  return refuse("Please select the interpretation format of the comparing value.");
}

Verdict ValideChampBits(const SaisieChampBits& s, uint8_t typeTrame, const QuestionOuiNon& demande, CHAMP_BITS& champ,
                        std::string& canonique) {
  const uint32_t limite = LimiteBitsType(typeTrame);
  const std::string depasse = std::string("The bit field location exceeds the maximum length of the frame.") + kContinuer;
  unsigned long position = 0;
  unsigned long longueur = 0;
  if (!lit_entier(s.position, position) || position > 0xFFFF) {
    return refuse("Please define the starting position of the bit field.");
  }
  if (position < 8 && typeTrame != kTypeDefiniParUtilisateur) {
    return refuse("The starting position of the bit field overlaps the control byte.\nPlease define another one.");
  }
  if (limite != 0 && position >= limite && !demande(depasse)) return {Verdict::Abandonne, depasse};
  if (!lit_entier(s.longueur, longueur) || longueur == 0) return refuse("Please define the bit field length.");
  if (longueur > kLgChampMax) {
    return refuse(format("A bit field length cannot exceed %d bits.", int(kLgChampMax)) + "\nPlease define another length.");
  }
  // One question about the location is enough when the start already lay beyond the limit.
  if (limite != 0 && position < limite && position + longueur > limite && !demande(depasse)) {
    return {Verdict::Abandonne, depasse};
  }
  if (s.operation < 0 || s.operation > 9) return refuse("Please select the comparing operation to apply to the bit field.");
  if (sans_blancs(s.valeur).empty()) return refuse(kValeurManquante);
  if (s.signe < 0) return refuse("Please select whether the comparing value is signed or not.");
  if (s.interpretation < 0 || s.interpretation > 4) {
    return refuse("Please select the interpretation format of the comparing value.");
  }
  uint64_t valeur = 0;
  std::string texte;
  Verdict v = AnalyseValeur(s.valeur, static_cast<InterpretationValeur>(s.interpretation), s.signe == 1,
                            static_cast<unsigned>(longueur), valeur, texte);
  if (!v.ok()) return v;
  if (s.ordre < 0) return refuse("Please select the bytes transmission order associated to the bit field.");

  champ = CHAMP_BITS{};
  champ.usPosition = static_cast<uint16_t>(position);
  champ.ucLongueur = static_cast<uint8_t>(longueur);
  champ.ulOperation = static_cast<uint32_t>(s.operation);
  champ.ullValeur = valeur;
  champ.ulInterpretation = static_cast<uint32_t>(s.interpretation);
  champ.bSigne = static_cast<uint32_t>(s.signe);
  champ.ulOrdre = static_cast<uint32_t>(s.ordre);
  canonique = std::move(texte);
  return {};
}

std::string FormateValeurChamp(const CHAMP_BITS& c) {
  return FormateValeur(c.ullValeur, c.ulInterpretation, c.bSigne != 0, c.ucLongueur);
}

Verdict ValideDefinition(std::string_view nom, const TableDefinitions& liste, int index) {
  const std::string n(nom);
  if (sans_blancs(n).empty()) return refuse("Please define a frame name.");
  for (size_t i = 0; i < liste.nb && i < liste.defs.size(); ++i) {
    if (static_cast<int>(i) == index) continue;
    if (strcasecmp(NomDefinition(liste.defs[i]).c_str(), n.c_str()) == 0) {
      return refuse("This frame name already exists.\nPlease define another one.");
    }
  }
  return {};
}

Verdict TermineDefinition(std::string_view nom, const TableDefinitions& liste, int index, JeuDefinitions jeu,
                          DEFINITION_TRAME& d) {
  Verdict v = ValideDefinition(nom, liste, index);
  if (!v.ok()) return v;
  DefinitNom(d, std::string(nom));
  d.bNePasDissocierRP = NePasDissocierApplicable(jeu, d.ucTypeTrame) && d.bNePasDissocierRP ? 1 : 0;
  AppliqueOrdreOctets(d, d.ulOrdreOctets);
  return v;
}

int RangChoixType(uint8_t typeTrame) {
  const int rang = typeTrame == kTypeDefiniParUtilisateur ? -1 : RangTypeTrame(typeTrame);
  return rang < 0 ? static_cast<int>(kTypesTrame.size()) : rang;
}

uint8_t TypeDuChoix(int rang) {
  if (rang < 0 || rang >= static_cast<int>(kTypesTrame.size())) return kTypeDefiniParUtilisateur;
  return kTypesTrame[static_cast<size_t>(rang)].ucControle;
}

bool NePasDissocierApplicable(JeuDefinitions jeu, uint8_t typeTrame) {
  const TypeTrame* t = TypeTrameDe(typeTrame);
  return jeu == JeuDefinitions::Filtre && t != nullptr && t->classe == ClasseTrame::Identification;
}

const std::array<OrdreOctetsTexte, 3> kOrdresOctets = {{
    {"MSB", "The most significant byte is sent first, for the entire frame"},
    {"LSB", "The less significant byte is sent first, for the entire frame"},
    {"Free", "A transmission order must be associated to each bit field"},
}};

void AppliqueOrdreOctets(DEFINITION_TRAME& d, uint32_t ordre) {
  if (ordre != ORDRE_MSB && ordre != ORDRE_LSB) return;
  for (CHAMP_BITS& c : d.champs) c.ulOrdre = ordre;
}

std::string TexteIdentifiant(uint16_t identifiant) { return format("%04X", unsigned{identifiant}); }

bool AnalyseIdentifiant(std::string_view texte, uint16_t& identifiant) {
  const std::string_view t = sans_blancs(texte);
  if (t.size() > 4) return false;
  unsigned v = 0;
  for (const char ch : t) {
    if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
    v = v * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0' : (std::toupper(ch) - 'A' + 10));
  }
  identifiant = static_cast<uint16_t>(v);
  return true;
}

const std::array<const char*, 6> kColonnesChampsBits = {"Position", "Length", "Operation", "Value", "Signed", "Order"};

std::array<std::string, 6> TextesChampBits(const CHAMP_BITS& c) {
  const char* symbole = c.ulOperation < kOperations.size() ? kOperations[c.ulOperation].symbole : "?";
  return {format("%u", unsigned{c.usPosition}), format("%u", unsigned{c.ucLongueur}), symbole, FormateValeurChamp(c),
          c.bSigne ? "X" : " ", c.ulOrdre ? "LSB" : "MSB"};
}

SaisieChampBits SaisieChampDe(const CHAMP_BITS& c) {
  SaisieChampBits s;
  s.position = format("%u", unsigned{c.usPosition});
  s.longueur = format("%u", unsigned{c.ucLongueur});
  s.operation = c.ulOperation < kOperations.size() ? static_cast<int>(c.ulOperation) : -1;
  s.valeur = TexteValeur(c.ullValeur, c.ulInterpretation, c.bSigne != 0, c.ucLongueur);
  s.signe = c.bSigne ? 1 : 0;
  s.interpretation = c.ulInterpretation <= INTERP_FLOTTANT_SCIENTIFIQUE ? static_cast<int>(c.ulInterpretation) : -1;
  s.ordre = c.ulOrdre ? 1 : 0;
  return s;
}

Verdict VerifieMethodeDeclenchement(int methode, size_t nbDefinitions, const QuestionOuiNon& demande) {
  if (methode < 0 || methode >= static_cast<int>(kMethodesDeclenchement.size())) {
    return refuse("Please, select a trigger method.");
  }
  if (nbDefinitions < kMethodesDeclenchement[static_cast<size_t>(methode)].nbTrames) {
    const std::string q =
        std::string("Warning:\n") + "  There is not enough frames according to the selected method." + kContinuer;
    if (!demande(q)) return {Verdict::Abandonne, q};
  }
  return {};
}

}  // namespace brv
