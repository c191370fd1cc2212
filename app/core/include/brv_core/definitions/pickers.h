#pragma once
// The four pickers of the frame definition editor: from a few stations and options to a definition
// that recognises the chosen traffic (type, identifier field, "Do not dissociate RP frames" and
// its bit-field conditions). The dialogs and the command line call these.

#include <optional>
#include <string>

#include "brv_core/config/frame_definition.h"

namespace brv {

inline constexpr const char* kMsgMemoireInsuffisante = "Insufficient memory space.";

// What a picker did to the definition.
enum class ResultatSelecteur {
  Inchange,        // cancelled, or not enough chosen
  IdentifiantSeul, // only the identifier field was set
  Rempli,          // type, identifier field, option and conditions replaced
  Memoire,         // the conditions could not be stored: the list is left empty
};

// -1: nothing chosen in a list.
struct ChoixUniTe {
  int requete = -1;  // index into the UNI-TE request table
  bool requeteCoche = true;  // "Request"
  bool rapport = false;      // "Report"
  int source = -1, destination = -1;
  bool paires = true, impaires = false;
  bool parEmetteur = false;  // "Search by transmitting  station"
};
ResultatSelecteur SelecteurUniTe(const ChoixUniTe& c, DEFINITION_TRAME& d);

// "COM Words": station 0 to 30. The editor then locks "Do not dissociate RP frames" ticked.
ResultatSelecteur SelecteurMotsCom(int station, DEFINITION_TRAME& d);

struct ChoixTelegrammes {
  int source = -1, destination = -1;  // 0 to 15
  bool nePasFiltrerArbitre = false;    // "Don't filter periodic requests from bus arbitrator"
  bool paires = false, impaires = false;
};
// Without the option and without a source station, the definition catches the bus arbitrator's
// telegram requests to every station.
ResultatSelecteur SelecteurTelegrammes(const ChoixTelegrammes& c, DEFINITION_TRAME& d);

// "Stations  Identification variables": station 0 to 63, presence (else identification). The
// editor then locks "Do not dissociate RP frames" ticked.
ResultatSelecteur SelecteurIdentification(int station, bool presence, DEFINITION_TRAME& d);

}  // namespace brv
