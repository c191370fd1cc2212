#pragma once
// Frame detail report: one frame explained as an HTML page (dates, line events, type, names of
// the user data, contents split into named bit fields, network-management variables, telegrams
// and UNI-TE messaging), built in memory and written to a temporary file.

#include <cstdint>
#include <string>
#include <vector>

#include "brv_core/document/brenvale_doc.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/userdata/user_data.h"

namespace brv {

// What the report of one frame needs besides the row itself.
struct ContexteDetail {
  const CBrenvaleDoc& doc;
  const std::vector<DONNEE_UTILISATEUR>* donnees = nullptr;  // no user data file loaded when null
  bool idConnu = false;  // the identifier that a data response answers, when found
  uint16_t id = 0;
  bool afficheTelegramme = true;  // the telegram display option; no setting holds it yet
};

// The page of a row read with its texts and its frame bytes; the "Error getting frame contents"
// page when ligne is null or carries no bytes.
std::string FormateDetailTrame(const ContexteDetail& ctx, const LIGNE_TRAME* ligne);

// Identifier of the nearest ID_DAT recorded before the record at this file offset.
bool IdentifiantRepondu(const AcqFile& fichier, uint64_t posFichier, uint16_t& id);

// The page of a document row: reads it, finds the answered identifier and formats it.
std::string PageDetailTrame(const CBrenvaleDoc& doc, const AcqFile& fichier, uint64_t ligne,
                            const std::vector<DONNEE_UTILISATEUR>* donnees, bool afficheTelegramme = true);

// "frame.htm" in a private folder made for this run under $TMPDIR, or under /tmp; empty when the
// folder cannot be made.
std::string CheminDetailTrame();

// Writes the page whole (a temporary renamed into place); on failure message holds the two lines
// to show.
bool EcritDetailTrame(const std::string& page, const std::string& chemin, std::string& message);

namespace detail_trame {
// UNI-TE service text of a message frame (byte 1 = 09H, byte 7 = F1H); empty otherwise.
std::string ServiceUniTe(uint16_t len, const uint8_t* o);
// Network-management variable of an RP_DAT answering identifier id; empty when none applies.
std::string VariableReseau(uint16_t id, uint16_t len, const uint8_t* o);
// printf into a std::string.
std::string Fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
}  // namespace detail_trame

}  // namespace brv
