#pragma once
// The configuration file (.cfg) and the configuration embedded in an acquisition file.
// Fields are little-endian, in a fixed order, without padding.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "brv_core/config/configuration.h"
#include "brv_core/file/byte_stream.h"

namespace brv {

inline constexpr char kMagieConfiguration[] = "CONFIG BRNV 5.01";
inline constexpr size_t kLgMagieConfiguration = 16;

// Writers omit, and readers skip, the identifier of every definition while an acquisition file
// has been opened (the file does not say which form it has).
struct FormeConfiguration {
  bool embarque = false;         // inside an acquisition file: extra fields, no magic
  bool fichierAcqOuvert = false;  // the acquisition-file-opened flag
};

void EcrireSectionAcquisition(ByteWriter& out, const Configuration& config, FormeConfiguration forme);
void EcrireSectionAffichage(ByteWriter& out, const Configuration& config, FormeConfiguration forme);

// Reads both sections into config (a fresh one is advised: fields are overwritten as read).
// debutAffichage receives the position at which the display section begins.
bool LireCorpsConfiguration(ByteReader& in, FormeConfiguration forme, Configuration& config,
                            uint64_t* debutAffichage = nullptr);

// One definition alone, as a record of the filtering list (the only one that stores every field of
// a definition): the form in which the definition lists exchange a definition.
std::vector<uint8_t> EcrireDefinitionSeule(const DEFINITION_TRAME& d);
// Reads that form back; false, and d unchanged, unless the bytes hold exactly one record.
bool LireDefinitionSeule(std::span<const uint8_t> octets, DEFINITION_TRAME& d);

enum class ResultatConfiguration { Ok, ErreurOuverture, ErreurCreation, Invalide, ErreurLecture };

// Texts the program shows for each failure.
const char* MessageConfiguration(ResultatConfiguration r);

// Reads a .cfg file (a regular file). config changes only on success. The identifier form is the
// one whose reading consumes the file exactly; when both or neither do, fichierAcqOuvert decides.
// Implausible values are replaced by their defaults, each named in corrections.
ResultatConfiguration OuvrirConfiguration(const std::string& chemin, bool fichierAcqOuvert, Configuration& config,
                                          std::vector<std::string>* corrections = nullptr);

// Writes a .cfg file in the form that fichierAcqOuvert selects, whole or not at all.
ResultatConfiguration EnregistrerConfiguration(const std::string& chemin, bool fichierAcqOuvert,
                                               const Configuration& config);

}  // namespace brv
