// The timing pass over a capture file.

#include "brv_core/file/capture_info.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/timing/bus_timing.h"

namespace brv {

FinTiming AnalyseTimingFichier(const AcqFile& fichier, const ParametresTiming& parametres, int32_t identifiantExclu,
                               ResultatTiming& resultat, std::string& message) {
  CAnalyseTiming analyse(capture_description(fichier.header()), parametres);
  RecordCursor curseur(fichier);
  curseur.seek_begin();
  FrameRecord rec;
  WalkStatus st;
  while ((st = curseur.next(rec)) == WalkStatus::Record) {
    analyse.Trame(timeline_date(fichier, rec), rec.frame, rec.frame_len, rec.status);
  }
  resultat = analyse.Termine(identifiantExclu);
  message.clear();
  if (st != WalkStatus::Invalid) return FinTiming::Complete;
  message = curseur.invalid_message();
  return curseur.read_error() ? FinTiming::ErreurLecture : FinTiming::DonneesInvalides;
}

FinTiming AnalyseTimingChemin(const std::string& chemin, int32_t identifiantExclu, ResultatTiming& resultat,
                              std::string& message) {
  AcqFile fichier;
  if (fichier.open(chemin) != AcqOpenStatus::Ok) {
    message = fichier.message();
    return FinTiming::ErreurLecture;
  }
  return AnalyseTimingFichier(fichier, ParametresTimingDefaut(fichier.header().enVitesse), identifiantExclu, resultat,
                              message);
}

}  // namespace brv
