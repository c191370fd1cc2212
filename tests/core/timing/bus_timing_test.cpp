#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brv_core/timing/bus_timing.h"
#include "support/capture_builder.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

// 1 Mbit/s, FIP framing: a date unit is 100 ns and a five-byte frame lasts 61 µs (610 units).
constexpr int64_t kUniteNs = 100;
constexpr int64_t kTrame5 = 610;

std::vector<uint8_t> IdDat(uint16_t id) { return {0x03, static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0, 0}; }
std::vector<uint8_t> RpDat() { return {0x02, 0x40, 0x00, 0x12, 0x34}; }

struct Trame {
  int64_t date;  // date units
  std::vector<uint8_t> octets;
  uint8_t statut = 0;
};

ResultatTiming Analyse(const std::vector<Trame>& trames, int32_t exclu = -1,
                       const ParametresTiming& p = ParametresTimingDefaut(1)) {
  CAnalyseTiming a(DescriptionCapture{1, 1, 0}, p);
  for (const auto& t : trames) a.Trame(t.date, t.octets.data(), static_cast<uint16_t>(t.octets.size()), t.statut);
  return a.Termine(exclu);
}

const TimingIdentifiant* Id(const ResultatTiming& r, uint16_t id) {
  for (const auto& t : r.identifiants) {
    if (t.identifiant == id) return &t;
  }
  return nullptr;
}

TEST(TimingRetournement, EarlyLateAndUnanswered) {
  // Defaults at 1 Mbit/s: early below 10 µs, late beyond 75 µs, unanswered beyond 150 µs.
  struct Cas {
    const char* nom;
    std::vector<Trame> suite;  // after the call at date 0
    uint64_t n, precoces, tardives, sansReponse;
    int64_t retournementNs;
  };
  const std::vector<Cas> cas = {
      {"just early", {{kTrame5 + 99, RpDat()}}, 1, 1, 0, 0, 9'900},
      {"minimum", {{kTrame5 + 100, RpDat()}}, 1, 0, 0, 0, 10'000},
      {"late threshold", {{kTrame5 + 750, RpDat()}}, 1, 0, 0, 0, 75'000},
      {"just late", {{kTrame5 + 751, RpDat()}}, 1, 0, 1, 0, 75'100},
      {"at the silence", {{kTrame5 + 1500, RpDat()}}, 1, 0, 1, 0, 150'000},
      {"beyond the silence", {{kTrame5 + 1501, RpDat()}}, 0, 0, 0, 1, 0},
      {"another call", {{kTrame5 + 200, IdDat(0x0201)}}, 0, 0, 0, 1, 0},
      {"a message frame", {{kTrame5 + 200, {0x04, 0, 0, 0, 0, 0, 0, 0, 0}}}, 0, 0, 0, 1, 0},
      {"end of capture", {}, 0, 0, 0, 0, 0},
      {"a marker is no answer", {{kTrame5 + 100, {0xFD, 0xFD}}, {kTrame5 + 200, RpDat()}}, 1, 0, 0, 0, 20'000},
      {"overlapping answer", {{kTrame5 - 10, RpDat()}}, 1, 1, 0, 0, -1'000},
  };
  for (const auto& c : cas) {
    std::vector<Trame> t = {{0, IdDat(0x0200)}};
    t.insert(t.end(), c.suite.begin(), c.suite.end());
    const ResultatTiming r = Analyse(t);
    const TimingIdentifiant* s = Id(r, 0x0200);
    ASSERT_NE(s, nullptr) << c.nom;
    EXPECT_EQ(s->appels, 1u) << c.nom;
    EXPECT_EQ(s->retournement.n, c.n) << c.nom;
    EXPECT_EQ(s->precoces, c.precoces) << c.nom;
    EXPECT_EQ(s->tardives, c.tardives) << c.nom;
    EXPECT_EQ(s->sansReponse, c.sansReponse) << c.nom;
    uint64_t total = 0;
    for (const uint64_t n : s->histoRetournement) total += n;
    EXPECT_EQ(total, c.n) << c.nom;
    if (c.n) {
      EXPECT_EQ(s->retournement.minNs, c.retournementNs) << c.nom;
      EXPECT_EQ(s->histoRetournement[static_cast<size_t>(ClasseHistogramme(c.retournementNs))], 1u) << c.nom;
    }
  }
}

TEST(TimingRetournement, ThresholdsAreTheCallersOnes) {
  ParametresTiming p = ParametresTimingDefaut(1);
  p.retournementMinNs = 30'000;
  p.tardifNs = 40'000;
  const ResultatTiming r = Analyse({{0, IdDat(0x0200)}, {kTrame5 + 200, RpDat()},
                                    {5000, IdDat(0x0200)}, {5000 + kTrame5 + 401, RpDat()}},
                                   -1, p);
  const TimingIdentifiant* s = Id(r, 0x0200);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->precoces, 1u);
  EXPECT_EQ(s->tardives, 1u);
  EXPECT_EQ(s->retournement.minNs, 20'000);
  EXPECT_EQ(s->retournement.maxNs, 40'100);
  EXPECT_DOUBLE_EQ(s->retournement.moyenneNs, 30'050);
}

TEST(TimingPeriodes, InterruptionsAndDatesGoingBackSplitThePeriods) {
  struct Cas {
    const char* nom;
    std::vector<Trame> trames;
    uint64_t periodes, interruptions;
  };
  const std::vector<Cas> cas = {
      {"steady", {{0, IdDat(0x0300)}, {10'000, IdDat(0x0300)}, {20'000, IdDat(0x0300)}}, 2, 0},
      {"traffic interrupted",
       {{0, IdDat(0x0300)}, {10'000, IdDat(0x0300), vandrel::STATUT_INTERRUPTION_TRAFIC}, {20'000, IdDat(0x0300)}}, 1,
       1},
      {"frames lost", {{0, IdDat(0x0300)}, {10'000, IdDat(0x0300)}, {15'000, {0xFC, 0xFC}}, {25'000, IdDat(0x0300)}}, 1,
       1},
      {"date going back", {{0, IdDat(0x0300)}, {10'000, IdDat(0x0300)}, {5'000, IdDat(0x0300)}}, 1, 1},
  };
  for (const auto& c : cas) {
    const ResultatTiming r = Analyse(c.trames);
    const TimingIdentifiant* s = Id(r, 0x0300);
    ASSERT_NE(s, nullptr) << c.nom;
    EXPECT_EQ(s->appels, 3u) << c.nom;
    EXPECT_EQ(s->periodes.periode.n, c.periodes) << c.nom;
    EXPECT_EQ(s->periodes.periode.minNs, 10'000 * kUniteNs) << c.nom;
    EXPECT_EQ(r.interruptions, c.interruptions) << c.nom;
  }
}

std::vector<uint8_t> Appel(uint8_t controle, uint16_t id) {
  return {controle, static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0, 0};
}
std::vector<uint8_t> Reponse(uint8_t controle) { return {controle, 0x40, 0x00, 0x12, 0x34}; }

TEST(TimingDemandes, WaitFromTheFirstAskingAnswerToTheServiceCall) {
  constexpr uint8_t kIdMsg = 0x05, kIdRq1 = 0x29, kIdRq2 = 0x09;
  constexpr uint8_t kRq1 = 0x2A, kRq2 = 0x0A, kMsg = 0x06, kRq2Msg = 0x0E;
  struct Attendu {
    uint64_t demandes, servies, sansDemande, enAttente;
    int64_t attenteNs;  // of the first served request
  };
  struct Cas {
    const char* nom;
    std::vector<Trame> trames;  // after ID_DAT 0500 at 0
    std::array<Attendu, kNbTypesDemande> attendu;  // RQ1, RQ2, MSG
  };
  const int64_t r = kTrame5 + 200;  // the answer's date
  const std::vector<Cas> cas = {
      {"urgent list", {{r, Reponse(kRq1)}, {5'000, Appel(kIdRq1, 0x0500)}},
       {{{1, 1, 0, 0, (5'000 - r) * kUniteNs}, {}, {}}}},
      {"asked twice, served once",
       {{r, Reponse(kRq2)}, {3'000, IdDat(0x0500)}, {3'000 + r, Reponse(kRq2)}, {9'000, Appel(kIdRq2, 0x0500)}},
       {{{}, {1, 1, 0, 0, (9'000 - r) * kUniteNs}, {}}}},
      {"served by the station's other identifier", {{r, Reponse(kRq1)}, {5'000, Appel(kIdRq1, 0x0D05)}},
       {{{1, 1, 0, 0, (5'000 - r) * kUniteNs}, {}, {}}}},
      {"its own identifier first", {{r, Reponse(kRq1)}, {3'000, IdDat(0x0501)}, {3'000 + r, Reponse(kRq1)},
        {5'000, Appel(kIdRq1, 0x0501)}, {7'000, Appel(kIdRq1, 0x0600)}},
       {{{1, 1, 0, 0, (7'000 - r) * kUniteNs}, {}, {}}}},
      {"served without a request seen", {{r, RpDat()}, {5'000, Appel(kIdMsg, 0x0500)}}, {{{}, {}, {0, 0, 1, 0, 0}}}},
      {"list and message, message served", {{r, Reponse(kRq2Msg)}, {6'000, Appel(kIdMsg, 0x0500)}},
       {{{}, {1, 0, 0, 1, 0}, {1, 1, 0, 0, (6'000 - r) * kUniteNs}}}},
      {"message asked of a late answer", {{kTrame5 + 1501, Reponse(kMsg)}, {6'000, Appel(kIdMsg, 0x0500)}},
       {{{}, {}, {0, 0, 1, 0, 0}}}},
      {"a break loses the request",
       {{r, Reponse(kRq1)}, {5'000, IdDat(0x0501), vandrel::STATUT_INTERRUPTION_TRAFIC}, {8'000, Appel(kIdRq1, 0x0500)}},
       {{{1, 0, 1, 0, 0}, {}, {}}}},
  };
  for (const auto& c : cas) {
    std::vector<Trame> t = {{0, IdDat(0x0500)}};
    t.insert(t.end(), c.trames.begin(), c.trames.end());
    const ResultatTiming res = Analyse(t);
    const TimingIdentifiant* s = Id(res, 0x0500);
    ASSERT_NE(s, nullptr) << c.nom;
    for (int k = 0; k < kNbTypesDemande; ++k) {
      const ServiceDemande& d = s->services[static_cast<size_t>(k)];
      const Attendu& a = c.attendu[static_cast<size_t>(k)];
      EXPECT_EQ(d.demandes, a.demandes) << c.nom << " " << k;
      EXPECT_EQ(d.servies, a.servies) << c.nom << " " << k;
      EXPECT_EQ(d.sansDemande, a.sansDemande) << c.nom << " " << k;
      EXPECT_EQ(d.enAttente, a.enAttente) << c.nom << " " << k;
      EXPECT_EQ(d.attente.minNs, a.attenteNs) << c.nom << " " << k;
    }
  }
}

TEST(TimingSilence, LongestSilenceBeforeACall) {
  const ResultatTiming r = Analyse({{0, IdDat(0x0300)},
                                    {kTrame5 + 200, RpDat()},
                                    {3'000, IdDat(0x0301)},
                                    {3'000 + kTrame5 + 100, RpDat()},
                                    {9'000, IdDat(0x0300)}});
  // The second answer ends at 3000 + 1320 units: 4680 units of silence before the last call.
  EXPECT_EQ(r.plusLongSilenceNs, (9'000 - 3'000 - 2 * kTrame5 - 100) * kUniteNs);
  EXPECT_EQ(r.dateSilenceNs, 9'000 * kUniteNs);
  EXPECT_EQ(r.appels, 3u);
  EXPECT_EQ(r.trames, 5u);
}

// Elementary cycles of 10 ms (100,000 units): 9003 in each, 0101 every fifth, 0100 every second
// (162 µs later in the cycles where 0101 comes first), the padding identifier several times a
// cycle; cycle `etire` lasts 3 ms longer.
std::vector<Trame> Ordonnancement(int cycles, int etire) {
  std::vector<Trame> t;
  int64_t debut = 0;
  for (int c = 0; c < cycles; ++c) {
    int64_t d = debut;
    auto appel = [&](uint16_t id) {
      t.push_back({d, IdDat(id)});
      t.push_back({d + kTrame5 + 200, RpDat()});
      d += 2 * kTrame5 + 400;
    };
    appel(kIdSynchroArbitre);
    if (c % 5 == 0) appel(0x0101);
    if (c % 2 == 0) appel(0x0100);
    for (int i = 0; i < 10; ++i) {
      t.push_back({d, IdDat(0x9080)});
      d += kTrame5 + 1600;
    }
    debut += 100'000 + (c == etire ? 30'000 : 0);
  }
  return t;
}

TEST(TimingMacrocycle, StretchedCycleIsMeasuredAndCountedOutOfTolerance) {
  const ResultatTiming r = Analyse(Ordonnancement(40, 17), 0x9080);
  const Macrocycle& m = r.macrocycle;
  EXPECT_EQ(m.cycleElementaireNs, 10'000'000);
  EXPECT_TRUE(m.cycleParSynchro);
  EXPECT_EQ(m.periodeCycles, 10u);
  EXPECT_EQ(m.periodeNs, 100'000'000);
  EXPECT_FALSE(m.borne);
  EXPECT_EQ(m.identifiantMesure, 0x0101);
  EXPECT_EQ(m.mesure.n, 7u);
  EXPECT_EQ(m.mesure.minNs, 50'000'000);
  EXPECT_EQ(m.mesure.maxNs, 53'000'000);

  struct Attendu {
    uint16_t id;
    uint32_t cycles;
    uint64_t hors;
    int64_t pire;
  };
  for (const Attendu& a : std::vector<Attendu>{{kIdSynchroArbitre, 1, 1, 3'000'000},
                                                {0x0100, 2, 1, 3'000'000},
                                                {0x0101, 5, 0, 3'000'000}}) {
    const TimingIdentifiant* s = Id(r, a.id);
    ASSERT_NE(s, nullptr) << a.id;
    EXPECT_EQ(s->nominalCycles, a.cycles) << a.id;
    EXPECT_EQ(s->periodes.horsTolerance, a.hors) << a.id;
    EXPECT_EQ(s->periodes.pireEcartNs, a.pire) << a.id;
    EXPECT_EQ(s->sansReponse, 0u) << a.id;
  }
  // Padding calls go unanswered and stay out of the macrocycle.
  const TimingIdentifiant* pad = Id(r, 0x9080);
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(pad->sansReponse, 400u - 1);
  EXPECT_EQ(pad->nominalCycles, 0u);
}

TEST(TimingMacrocycle, ElementaryCycleAndMultiple) {
  struct Cas {
    const char* nom;
    std::vector<std::pair<uint16_t, int64_t>> nominaux;  // identifier, nominal period in µs
    int32_t exclu;
    int64_t cycle;
    bool synchro;
    uint32_t cycles;
    bool borne;
    uint16_t mesure;
  };
  const std::vector<Cas> cas = {
      {"harmonic", {{0x100, 10'000}, {0x101, 20'000}, {0x102, 50'000}}, -1, 10'000, false, 10, false, 0x102},
      {"synchronisation variable", {{0x100, 3'000}, {0x101, 12'000}, {0x9003, 4'000}}, -1, 4'000, true, 3, false,
       0x101},
      {"jittered periods round to cycles", {{0x100, 10'040}, {0x101, 19'600}, {0x102, 30'300}}, -1, 10'040, false, 6,
       false, 0x102},
      {"padding excluded", {{0x100, 10'000}, {0x101, 40'000}, {0x9080, 200}}, 0x9080, 10'000, false, 4, false, 0x101},
      {"out of bounds", {{0x100, 1'000}, {0x101, 97'000}, {0x102, 101'000}, {0x103, 103'000}}, -1, 1'000, false, 103,
       true, 0x103},
      {"nothing scanned twice", {}, -1, 0, false, 0, false, 0},
  };
  for (const auto& c : cas) {
    std::vector<TimingIdentifiant> ids;
    for (const auto& [id, us] : c.nominaux) {
      TimingIdentifiant t;
      t.identifiant = id;
      t.appels = 2;
      t.periodes.nominalNs = us * 1000;
      t.periodes.periode.n = 1;
      ids.push_back(t);
    }
    const Macrocycle m = CalculeMacrocycle(ids, c.exclu);
    EXPECT_EQ(m.cycleElementaireNs, c.cycle * 1000) << c.nom;
    EXPECT_EQ(m.cycleParSynchro, c.synchro) << c.nom;
    EXPECT_EQ(m.periodeCycles, c.cycles) << c.nom;
    EXPECT_EQ(m.periodeNs, int64_t{c.cycles} * c.cycle * 1000) << c.nom;
    EXPECT_EQ(m.borne, c.borne) << c.nom;
    EXPECT_EQ(m.identifiantMesure, c.mesure) << c.nom;
  }
}

TEST(TimingFichier, PreTriggerZoneOnTheTriggersTimeLineAndBadEnd) {
  test::TempDir dir;
  const std::string p = dir.file("pre.dat");
  // The pre-trigger zone's dates count from its start; the trigger came at 1300 units there.
  const auto pre = test::stream_of({{0, IdDat(0x0200), 0}, {kTrame5 + 200, RpDat(), 0}});
  const auto post = test::stream_of({{0, IdDat(0x0200), 0}, {kTrame5 + 1600, RpDat(), 0}});
  test::save_pretrigger(p, pre, post, test::mismatched_record(), 1300);

  AcqFile f;
  ASSERT_EQ(f.open(p), AcqOpenStatus::Ok);
  ResultatTiming r;
  std::string message;
  EXPECT_EQ(AnalyseTimingFichier(f, ParametresTimingDefaut(1), -1, r, message), FinTiming::DonneesInvalides);
  EXPECT_FALSE(message.empty());
  const TimingIdentifiant* s = Id(r, 0x0200);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->appels, 2u);
  ASSERT_EQ(s->periodes.periode.n, 1u);
  EXPECT_EQ(s->periodes.periode.minNs, 1300 * kUniteNs);
  // The scan that ended the period is the post-trigger zone's first record.
  EXPECT_EQ(PositionRepere(s->periodes.pire.repere), (RecordPos{1, 0}));
  EXPECT_EQ(s->periodes.pire.dateNs, 0);
  EXPECT_EQ(s->retournement.n, 1u);
  EXPECT_EQ(s->sansReponse, 1u);  // the second answer came after the silence time
}

}  // namespace
}  // namespace brv
