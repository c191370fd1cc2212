// The engine's message export: its own catalogue and its own unknown-error text.

#include <algorithm>
#include <iterator>

#include "kestrinerr/message_protocol.h"
#include "vandrel/vandrel.h"

namespace {

constexpr unsigned long kLibraryBit = 0x20000000;
constexpr unsigned long kFamilyMask = 0x3FA00000;

struct Entry {
  unsigned long code;
  const char* text;
};

constexpr Entry kEntries[] = {
    {0x3FA00001, "Vandrel - Handle non valide.\n"},
    {0x3FA00002, "Vandrel - Périphérique non trouvé.\n"},
    {0x3FA00003, "Vandrel - Périphérique non ouvert.\n"},
    {0x3FA00004, "Vandrel - Erreur entrées/sorties.\n"},
    {0x3FA00005, "Vandrel - Ressources insuffisantes.\n"},
    {0x3FA00006, "Vandrel - Paramètre(s) non valide(s).\n"},
    {0x3FA00007, "Vandrel - Impossible de lire la vitesse du réseau.\n"},
    {0x3FA00008, "Vandrel - Non bloqué.\n"},
    {0x3FA00009, "Vandrel - Violation d'accés.\n"},
    {0x3FA0000A,
     "Vandrel - Impossible d'ouvrir le fichier. Assurez-vous que la destination que vous avez spécifiée est en "
     "lecture / écriture.\n"},
    {0x3FA0000B, "Vandrel - Impossible de charger Kestrin.dll.\n"},
    {0x3FA0000C, "Vandrel - Plus d'un périphérique trouvé.\n"},
};

constexpr const char* kUnknown = "Vandrel - Erreur inconnue.\n";

}  // namespace

extern "C" unsigned long VANDREL_ERROR_MESSAGE(unsigned long code, char* buffer, unsigned long size,
                                               unsigned long* length) {
  if (length == nullptr) return EINVAL;
  if ((code & kLibraryBit) == 0) return kestrinerr::deliver_system_text(code, buffer, size, length);
  if ((code & kFamilyMask) != kFamilyMask) return kestrinerr::deliver_text(kUnknown, buffer, size, length);
  const auto it = std::find_if(std::begin(kEntries), std::end(kEntries), [code](const Entry& e) { return e.code == code; });
  // A code of the family without an entry: nothing is written.
  if (it == std::end(kEntries)) return 0;
  return kestrinerr::deliver_text(it->text, buffer, size, length);
}
