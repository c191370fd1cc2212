#pragma once
// Rules of the frame definition editor: the tables it offers, the checks of a bit field and of
// a definition, and the parsing and display of comparison values. The dialog only calls these.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "brv_core/config/frame_definition.h"

namespace brv {

struct OperationTexte {
  const char* liste;    // text of the operation list
  const char* symbole;  // shown in the bit-field list
};
extern const std::array<OperationTexte, 10> kOperations;

struct MethodeDeclenchement {
  const char* texte;
  uint8_t nbTrames;
};
extern const std::array<MethodeDeclenchement, 8> kMethodesDeclenchement;

enum InterpretationValeur : uint32_t {
  INTERP_BINAIRE = 0,
  INTERP_HEXA = 1,
  INTERP_DECIMAL = 2,
  INTERP_FLOTTANT = 3,
  INTERP_FLOTTANT_SCIENTIFIQUE = 4,
};

inline constexpr uint8_t kTypeDefiniParUtilisateur = 0;
inline constexpr unsigned kLgChampMax = 64;

// Longest frame of a type in bits; 0 when the type sets no limit ("User defined").
uint32_t LimiteBitsType(uint8_t typeTrame);

// What the bit-field editor holds; -1 or an empty text means nothing was chosen or typed.
struct SaisieChampBits {
  std::string position;
  std::string longueur;
  int operation = -1;
  std::string valeur;
  int signe = -1;           // 0 unsigned, 1 signed
  int interpretation = -1;  // InterpretationValeur
  int ordre = -1;           // 0 MSB, 1 LSB
};

// The outcome of a check: accepted, refused with an error message, or abandoned by the user
// at a Yes/No question.
struct Verdict {
  enum Type { Accepte, Refuse, Abandonne } type = Accepte;
  std::string message;
  bool ok() const { return type == Accepte; }
};

// Asks a Yes/No question (warning icon); true for Yes.
using QuestionOuiNon = std::function<bool(std::string_view)>;

// Checks a bit field in the editor's order; on acceptance fills champ and the canonical text
// of the value that the value control shows.
Verdict ValideChampBits(const SaisieChampBits& saisie, uint8_t typeTrame, const QuestionOuiNon& demande,
                        CHAMP_BITS& champ, std::string& texteCanonique);

// Parses a comparison value for a field of lg bits (step 11 of the check).
Verdict AnalyseValeur(std::string_view texte, InterpretationValeur interpretation, bool signe, unsigned lg,
                      uint64_t& valeur, std::string& texteCanonique);

// The value as the bit-field list shows it, with its "(b)", "(h)", "(d)" or "(f)" mark.
std::string FormateValeurChamp(const CHAMP_BITS& champ);

// Checks the definition's name against the other names of its list (index: the definition's
// own slot, skipped; -1 for a new one).
Verdict ValideDefinition(std::string_view nom, const TableDefinitions& liste, int index);

// The definition as the dialog's OK stores it: the name checked as above, then written with the
// options that the list keeps; d is left alone when refused.
Verdict TermineDefinition(std::string_view nom, const TableDefinitions& liste, int index, JeuDefinitions jeu,
                          DEFINITION_TRAME& d);

// The frame-type choices: the types of kTypesTrame in their order, then "User defined".
inline constexpr const char* kTexteDefiniParUtilisateur = "User defined";
// The choice showing a type; a control byte of no known type shows as "User defined".
int RangChoixType(uint8_t typeTrame);
uint8_t TypeDuChoix(int rang);

// "Do not dissociate RP frames" only means something to the filtering list, on identification
// frames (the answer goes with the identification that matched).
bool NePasDissocierApplicable(JeuDefinitions jeu, uint8_t typeTrame);

// "BYTES transmission order on FIP, for the entire frame": the choices (OrdreOctets) and what each
// means.
struct OrdreOctetsTexte {
  const char* texte;
  const char* explication;
};
extern const std::array<OrdreOctetsTexte, 3> kOrdresOctets;

// MSB or LSB for the entire frame gives every bit field that order; Free leaves each its own.
void AppliqueOrdreOctets(DEFINITION_TRAME& d, uint32_t ordre);

// The identifier field, in hexadecimal: up to four digits, empty for 0.
std::string TexteIdentifiant(uint16_t identifiant);
bool AnalyseIdentifiant(std::string_view texte, uint16_t& identifiant);

// The bit-field list: its headers, the texts of a condition's row, and what the bit-field editor
// shows when the row is chosen.
extern const std::array<const char*, 6> kColonnesChampsBits;
std::array<std::string, 6> TextesChampBits(const CHAMP_BITS& champ);
SaisieChampBits SaisieChampDe(const CHAMP_BITS& champ);

// Leaving the "Trigger" page in a triggered mode: a method must be chosen and, after a warning,
// may have fewer frames than it needs.
Verdict VerifieMethodeDeclenchement(int methode, size_t nbDefinitions, const QuestionOuiNon& demande);

}  // namespace brv
