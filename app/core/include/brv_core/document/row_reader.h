#pragma once
// Rows of the frames list read on demand from the capture: any block of rows around any row
// number, found through the frame indexes, so that a list model shows a capture of any size.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "brv_core/analysis/frame_filter.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/file/record_text.h"

namespace brv {

// Row marks.
enum MarqueLigne : uint32_t { MARQUE_AUCUNE = 0, MARQUE_EVENEMENT = 1, MARQUE_ERREUR = 2, MARQUE_ERREUR_EVENEMENT = 3 };

// The mark as text exports write it: " ", "E", "!" or "!E".
inline const char* TexteMarque(uint32_t marque) {
  static const char* const textes[] = {" ", "E", "!", "!E"};
  return marque < 4 ? textes[marque] : " ";
}

struct LIGNE_TRAME {
  int32_t iLigne = 0;
  uint64_t ullPosFichier = 0;
  uint32_t bDateZero = 0;
  bool bAvantDeclenchement = false;  // recorded in the pre-trigger zone
  uint64_t ullDate = 0;  // bit 63 cleared
  uint32_t ulMarque = MARQUE_AUCUNE;
  std::string dateAbs;  // left empty: the list fills it on display
  std::string dateRel;
  std::string interTrame;
  std::string texte;
  std::string annotation;
  bool bVoie2 = false;
  bool bErrTx1 = false;
  bool bErrTx2 = false;
  bool bInterruptionTrafic = false;
  bool bStatut5 = false;
  bool bStatut6 = false;
  bool bStatut7 = false;
  std::vector<uint8_t> octets;  // frame bytes, when read without text
};

class CLecteurLignes {
 public:
  CLecteurLignes(const CBrenvaleDoc& doc, const AcqFile& fichier);

  // Rows [premiere, premiere + nombre), fewer at the end of the data. With texte the rows carry
  // their decoded texts, otherwise their frame bytes. Returns the number of rows filled. The rows
  // already in lignes are filled again in place: a vector passed again keeps their storage.
  size_t Lit(uint64_t premiere, size_t nombre, bool texte, std::vector<LIGNE_TRAME>& lignes);

  // Rows also carry their absolute date text (the list leaves it to the display).
  void AvecDateAbsolue(bool oui) { dateAbsolue_ = oui; }
  // Rows read with their texts also keep their frame bytes (the interpreted export needs both).
  void AvecOctets(bool oui) { octets_ = oui; }

  // The row of the record at `position`, or the first row after it when the display filter hides
  // it; nothing when no row follows it.
  std::optional<uint64_t> LigneDe(const RecordPos& position);

  // After a read that stopped early on a damaged record, its text; empty otherwise.
  const std::string& Erreur() const { return erreur_; }
  // Why a read gave no row `ligne` although the list holds it: the damaged record, or the data
  // ending early.
  std::string TexteManque(uint64_t ligne) const;

 private:
  bool PointDeDepart(uint64_t ligne, RecordPos& pos, uint64_t& premiereLigne) const;
  void Remplit(const FrameRecord& rec, const PreviousRecord& prec, uint64_t ligne, bool evenement, bool texte,
               LIGNE_TRAME& l);

  const CBrenvaleDoc& doc_;
  const AcqFile& fichier_;
  RecordCursor curseur_;
  CListeCompilee evenements_;
  CFiltreAffichage filtre_;
  // Where the last read stopped, so that reading on from the next row does not start again
  // from an index record.
  bool suite_ = false;
  uint64_t ligneSuivante_ = 0;
  RecordPos posSuivante_;
  PreviousRecord precSuivant_;
  std::string erreur_;
  RecordText texte_;  // the texts of one record, reused
  bool dateAbsolue_ = false;
  bool octets_ = false;
};

}  // namespace brv
