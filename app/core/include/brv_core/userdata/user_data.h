#pragma once
// User data: the engineer's own names for identifiers and addresses, and named bit fields of
// frame contents, read from a text file of ';'-separated fields.

#include <cstdint>
#include <string>
#include <vector>

namespace brv {

// Interpretations of a named bit field.
enum InterpretationUtilisateur : uint32_t {
  UD_BIN = 0,
  UD_HEXA = 1,
  UD_DEC = 2,
  UD_FLT = 3,
  UD_SCT = 4,
  UD_ASCII = 5,
};

inline constexpr size_t kLgNomUtilisateurMax = 50;

struct CHAMP_UTILISATEUR {
  std::string nom;
  uint16_t usDebut = 0;     // bit 0 is the first bit of the frame
  uint16_t usLongueur = 0;  // bits
  uint32_t ulInterpretation = UD_HEXA;
  bool bSigne = false;
  bool bLSB = false;  // least significant byte first
};

// An address criterion: its first two bytes, its third byte, each present or not.
struct CritereAdresse {
  bool bDeuxPremiers = false;
  uint16_t usDeuxPremiers = 0;
  bool bTroisieme = false;
  uint8_t ucTroisieme = 0;
  bool present() const { return bDeuxPremiers || bTroisieme; }
};

struct DONNEE_UTILISATEUR {
  std::vector<uint8_t> types;  // control bytes the entry applies to
  bool bIdentifiant = false;
  uint16_t usIdentifiant = 0;
  std::string nomIdentifiant;
  CritereAdresse destination;
  std::string nomDestination;
  CritereAdresse source;
  std::string nomSource;
  std::vector<CHAMP_UTILISATEUR> champs;
};

struct LectureDonneesUtilisateur {
  enum Resultat { Ok, ErreurOuverture, Invalide } resultat = Ok;
  uint64_t ligne = 0;   // the invalid line
  std::string message;  // the text to show
  std::string pourquoi; // why the file could not be read (the system's words)
};

// A user data file names a network's identifiers: anything larger is not one.
inline constexpr uint64_t kTailleDonneesUtilisateurMax = uint64_t{64} << 20;

// Reads a user data file (a regular file); the list is replaced only when the whole file reads.
LectureDonneesUtilisateur LitDonneesUtilisateur(const std::string& chemin, std::vector<DONNEE_UTILISATEUR>& liste);

// The first entry that names this frame. idConnu/id: the identifier of the identification frame a
// data response answers, when known.
const DONNEE_UTILISATEUR* ChercheDonneeUtilisateur(const std::vector<DONNEE_UTILISATEUR>& liste, uint16_t len,
                                                   const uint8_t* octets, bool idConnu, uint16_t id);

// The value of a named bit field of the frame as the detail and the export show it; empty when
// the field does not lie inside the frame.
std::string ValeurChampUtilisateur(const CHAMP_UTILISATEUR& champ, uint16_t len, const uint8_t* octets);

}  // namespace brv
