// The timing pass over a capture file.

#include "brv_core/file/capture_info.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/timing/bus_timing.h"

namespace brv {

// A capture has at most two zones: the zone goes in the top bit, above any file offset.
uint64_t RepereEnregistrement(const RecordPos& position) {
  return (uint64_t{position.zone} << 63) | (position.pos & ~(uint64_t{1} << 63));
}

RecordPos PositionRepere(uint64_t repere) {
  return RecordPos{static_cast<uint32_t>(repere >> 63), repere & ~(uint64_t{1} << 63)};
}

FinTiming AnalyseTimingFichier(const AcqFile& fichier, const ParametresTiming& parametres, int32_t identifiantExclu,
                               ResultatTiming& resultat, std::string& message) {
  CAnalyseTiming analyse(capture_description(fichier.header()), parametres);
  RecordCursor curseur(fichier);
  curseur.seek_begin();
  FrameRecord rec;
  WalkStatus st;
  while ((st = curseur.next(rec)) == WalkStatus::Record) {
    analyse.Trame(timeline_date(fichier, rec), rec.frame, rec.frame_len, rec.status, RepereEnregistrement(rec.at));
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
