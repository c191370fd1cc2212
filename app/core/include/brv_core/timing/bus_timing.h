#pragma once
// Bus timing analysis of a capture in one pass over its records, in memory bounded by the number
// of identifiers: scan periods and turnaround times per identifier, unanswered calls, the longest
// silence, and the macrocycle they make up.

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "brv_core/decode/capture_description.h"
#include "brv_core/decode/decodage_trame.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/file/record_cursor.h"
#include "brv_core/timing/period_stats.h"
#include "brv_core/timing/timing_params.h"

namespace brv {

// Aperiodic service asked in the answers of an identifier's producer: a variable list (RP_DAT_RQ1,
// RP_DAT_RQ2, urgent and normal) or a message window (RP_DAT_MSG and the combined types), served
// by the arbitrator's ID_RQ1, ID_RQ2 or ID_MSG call of that identifier, or, when that identifier
// has no request waiting, of the oldest request of the kind waiting (an arbitrator may call the
// station by another identifier than the one it asked with). A producer repeats its request in
// each answer until served: the wait counts from the first answer that asked.
enum TypeDemande : int { DEMANDE_RQ1 = 0, DEMANDE_RQ2 = 1, DEMANDE_MSG = 2, kNbTypesDemande = 3 };

struct ServiceDemande {
  // requests seen (first asking answers): served, still waiting, or lost at a traffic break
  uint64_t demandes = 0;
  uint64_t servies = 0;      // requests served; attente holds their waits
  uint64_t sansDemande = 0;  // service calls without a request seen (asked before the capture)
  uint64_t enAttente = 0;    // requests still waiting at the end of the capture (0 or 1)
  ResumeDurees attente;      // from the asking answer's start to the service call's start
};

// One identifier scanned by ID_DAT calls, or called for an aperiodic service.
struct TimingIdentifiant {
  uint16_t identifiant = 0;
  uint64_t appels = 0;  // ID_DAT calls
  ResumePeriodes periodes;  // between successive calls not split by a traffic interruption
  uint32_t nominalCycles = 0;  // nominal period in elementary cycles (rounded, at least 1)
  ResumeDurees retournement;  // end of the call to the start of its answer, answers within the silence
  Histogramme histoRetournement{};  // the same turnarounds in the period histogram's buckets
  uint64_t precoces = 0;    // answers sooner than the minimum turnaround
  uint64_t tardives = 0;    // answers later than the late threshold
  uint64_t sansReponse = 0;  // calls followed by another frame than an answer, or by a silence
  std::array<ServiceDemande, kNbTypesDemande> services;
};

// The macrocycle measured as the time between successive scans of the identifier with the longest
// nominal period (identifiantMesure): that identifier is scanned once a macrocycle whenever the
// other periods divide its own, as on a usual bus.
struct Macrocycle {
  int64_t cycleElementaireNs = 0;  // 0 when no identifier was scanned twice
  bool cycleParSynchro = false;    // the period of the arbitrator's synchronisation variable
  int64_t periodeNs = 0;           // least common multiple of the nominal periods
  uint32_t periodeCycles = 0;
  bool borne = false;  // the multiple was out of bounds: the longest nominal period stands for it
  uint16_t identifiantMesure = 0;
  ResumeDurees mesure;
};

inline constexpr uint16_t kIdSynchroArbitre = 0x9003;
// The macrocycle's multiple is bounded to this many elementary cycles.
inline constexpr uint32_t kMaxCyclesMacrocycle = 100'000;

struct ResultatTiming {
  ParametresTiming parametres;
  uint64_t trames = 0;  // bus frames read (line-event markers left out)
  uint64_t appels = 0;  // calls of every kind (ID_DAT, ID_MSG, ID_RQ1, ID_RQ2)
  uint64_t interruptions = 0;  // traffic interruptions and dates going back: periods are not taken across
  int64_t plusLongSilenceNs = 0;  // longest time from the end of a frame to the start of a call
  int64_t dateSilenceNs = 0;      // on the trigger's time line, where that call starts
  Macrocycle macrocycle;
  std::vector<TimingIdentifiant> identifiants;  // by identifier
};

// The pass itself, record by record; the caller reads the file.
class CAnalyseTiming {
 public:
  CAnalyseTiming(const DescriptionCapture& capture, const ParametresTiming& parametres);
  // The decoder points at the capture description it holds.
  CAnalyseTiming(const CAnalyseTiming&) = delete;
  CAnalyseTiming& operator=(const CAnalyseTiming&) = delete;

  // One record in reading order. date: its date on the trigger's time line (timeline_date);
  // repere: the caller's mark of the record, given back for the worst scan of each identifier.
  void Trame(int64_t date, const uint8_t* octets, uint16_t len, uint8_t statut, uint64_t repere = 0);
  // The results; identifiantExclu (the padding identifier, when there is one) stays out of the
  // macrocycle.
  ResultatTiming Termine(int32_t identifiantExclu = -1);

 private:
  struct Suivi {
    CPeriodes periodes;
    CDurees retournement;
    Histogramme histoRetournement{};
    int64_t dernierAppel = 0;
    uint32_t epoque = 0;  // the interruption count at dernierAppel; 0: never called
    uint64_t appels = 0;
    uint64_t precoces = 0;
    uint64_t tardives = 0;
    uint64_t sansReponse = 0;
    struct Demande {
      int64_t debut = -1;  // ns; -1: none waiting
      uint32_t epoque = 0;  // the break count when it was asked
      uint64_t demandes = 0;
      uint64_t sansDemande = 0;
      CDurees attente;
    };
    std::array<Demande, kNbTypesDemande> demandes;
  };
  Suivi& SuiviDe(uint16_t id);
  void Rupture();
  void Demande(int32_t suivi, uint8_t controle, int64_t ns);
  void Service(TypeDemande type, uint16_t id, int64_t ns);

  DescriptionCapture capture_;
  CDecodageTrame decodeur_;
  ParametresTiming p_;
  int64_t facteur_;
  int64_t dateMax_;  // dates are bounded to it (date_max)
  struct Libere {
    void operator()(int32_t* p) const { std::free(p); }
  };
  // Identifier -> position in suivis_ plus one, 0 when not seen. From calloc: the pages of
  // identifiers never seen are never touched.
  std::unique_ptr<int32_t[], Libere> index_;
  std::vector<Suivi> suivis_;
  std::vector<uint16_t> ids_;
  ResultatTiming r_;
  // Requests waiting, by kind: (date asked, position in suivis_), oldest first.
  std::array<std::set<std::pair<int64_t, int32_t>>, kNbTypesDemande> attentes_;
  uint32_t epoque_ = 1;
  bool precedente_ = false;
  int64_t datePrecedente_ = 0;
  uint16_t lgPrecedente_ = 0;
  int32_t appelEnAttente_ = -1;  // position of the ID_DAT waiting for its answer
};

// The macrocycle of identifiers whose periods are known; identifiantExclu stays out.
Macrocycle CalculeMacrocycle(std::vector<TimingIdentifiant>& identifiants, int32_t identifiantExclu);

enum class FinTiming { Complete, DonneesInvalides, ErreurLecture };

// Reads every record of an open capture, pre-trigger zone first. The results hold what was read
// before bad data or a read error; message then says why the pass stopped.
FinTiming AnalyseTimingFichier(const AcqFile& fichier, const ParametresTiming& parametres, int32_t identifiantExclu,
                               ResultatTiming& resultat, std::string& message);
// The mark AnalyseTimingFichier gives a record, and the record it names.
uint64_t RepereEnregistrement(const RecordPos& position);
RecordPos PositionRepere(uint64_t repere);

// The same over the capture at chemin, with the thresholds of its bus speed; a file that cannot be
// opened ends as a read error with the reader's message.
FinTiming AnalyseTimingChemin(const std::string& chemin, int32_t identifiantExclu, ResultatTiming& resultat,
                              std::string& message);

}  // namespace brv
