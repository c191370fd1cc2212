#pragma once
// Frame definitions: a kind of frame and conditions on its bits, used for the trigger frames,
// the display filter and the event marks.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brv {

inline constexpr size_t kNbDefinitionsMax = 20;
inline constexpr size_t kLgNomDefinition = 51;  // 50 characters and a NUL
// The file stores the condition count in one byte.
inline constexpr size_t kNbChampsMax = 255;

// Operations of a bit-field condition, in stored order.
enum OperationChamp : uint32_t {
  OP_ET = 0,          // "&"
  OP_NON_OU = 1,      // "~|"
  OP_ET_EGAL = 2,     // "&="
  OP_OU_EGAL = 3,     // "|="
  OP_DIFFERENT = 4,   // "!="
  OP_EGAL = 5,        // "="
  OP_INFERIEUR = 6,   // "<"
  OP_SUPERIEUR = 7,   // ">"
  OP_INF_EGAL = 8,    // "<="
  OP_SUP_EGAL = 9,    // ">="
};

// Bit-field condition, 32 bytes, in memory as in the file.
struct CHAMP_BITS {
  uint16_t usPosition = 0;     // first bit; bit 0 is the first bit of the control byte
  uint8_t ucLongueur = 0;      // 1 to 64 bits
  uint8_t ucReserve = 0;       // kept as read
  uint32_t ulOperation = 0;    // OperationChamp
  uint64_t ullValeur = 0;
  uint32_t ulInterpretation = 0;  // 0 binary, 1 hexadecimal, 2 decimal, 3 float, 4 scientific float
  uint32_t bSigne = 0;
  uint32_t ulOrdre = 0;           // 0 most significant byte first, non-zero least significant first
  uint32_t ulNonInterprete = 0;   // kept as read
  friend bool operator==(const CHAMP_BITS&, const CHAMP_BITS&) = default;
};
static_assert(sizeof(CHAMP_BITS) == 32);

// Frame byte order of a definition.
enum OrdreOctets : uint32_t { ORDRE_MSB = 0, ORDRE_LSB = 1, ORDRE_LIBRE = 2 };

// One trigger, filter or event definition; it owns its conditions.
struct DEFINITION_TRAME {
  std::array<char, kLgNomDefinition> szNom{};  // NUL-terminated
  uint8_t ucTypeTrame = 0;    // control byte of the frame type, 0 for "User defined"
  uint16_t usIdentifiant = 0;
  std::vector<CHAMP_BITS> champs;
  uint32_t ulOrdreOctets = ORDRE_MSB;
  uint32_t bNePasDissocierRP = 0;  // "Do not dissociate RP frames" (filter definitions)
  uint32_t bUtilisee = 0;          // in use (filter and event definitions)
  friend bool operator==(const DEFINITION_TRAME&, const DEFINITION_TRAME&) = default;
};

// The three lists of the configuration; each closes its stored records with other fields.
enum class JeuDefinitions { Declenchement, Filtre, Evenement };

struct TableDefinitions {
  std::array<DEFINITION_TRAME, kNbDefinitionsMax> defs{};
  uint8_t nb = 0;  // definitions in use from the start of the table
  friend bool operator==(const TableDefinitions&, const TableDefinitions&) = default;
};

}  // namespace brv
