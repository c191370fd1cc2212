#pragma once
// The list pages of frame definitions (trigger, filtering, events): what "Add...", "Delete" and
// "Paste" do to a list, and the texts of its rows.

#include <cstddef>
#include <string>
#include <string_view>

#include "brv_core/config/frame_definition.h"

namespace brv {

// The tag of a trigger definition: "F1" to "F3" for the first three, nothing after.
std::string EtiquetteDeclenchement(size_t index);

// A definition as "Add..." starts it: no name, "User defined", MSB, no condition, in use.
DEFINITION_TRAME NouvelleDefinition();

// Appends d; false, and nothing changes, when the list is full.
bool AjouteDefinition(TableDefinitions& t, DEFINITION_TRAME d);

// Removes a definition; the ones after it move up.
void SupprimeDefinition(TableDefinitions& t, size_t index);

// A name not yet in the list: nom itself, else nom followed by " (2)", " (3)"..., cut so that it
// fits in the record.
std::string NomLibre(std::string_view nom, const TableDefinitions& t);

// Appends a definition copied from any list, keeping what this list keeps (the trigger list uses
// every definition, only the filtering list keeps "Do not dissociate RP frames") under a name of
// its own; false when the list is full.
bool ColleDefinition(TableDefinitions& t, DEFINITION_TRAME d, JeuDefinitions jeu);

// Copies a list between the document and a page; a definition whose conditions cannot be stored
// keeps none, and the copy then answers false.
bool CopieDefinitions(const TableDefinitions& source, TableDefinitions& cible);

}  // namespace brv
