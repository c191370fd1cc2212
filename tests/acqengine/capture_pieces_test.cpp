// The engine's pieces on their own: TLV payloads, word records, the frame walk, the parameter
// block and the date re-derived from the PC clock.

#include <gtest/gtest.h>

#include <sstream>

#include <brv_platform/filetime.h>

#include "../../acqengine/src/frame_walk.h"
#include "../../acqengine/src/word_record.h"
#include "engine_session.h"

namespace brv::test {
namespace {

using namespace vandrel;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint16_t>;

TEST(EngineTlv, ConsistencyIsAWalkEndingExactlyAtTheLastByte) {
  EXPECT_TRUE(tlv::coherent(Bytes{0x05, 0x01, 0x02}));
  EXPECT_FALSE(tlv::coherent(Bytes{0x05, 0x01, 0x02, 0xFF}));
  EXPECT_FALSE(tlv::coherent(Bytes{0x05, 0x02, 0x02}));
  EXPECT_FALSE(tlv::coherent(Bytes{0x80, 0x01}));
  EXPECT_TRUE(tlv::coherent(Bytes{}));
  // Bit 7: a two-byte big-endian length, here 256.
  Bytes longue{0x80, 0x01, 0x00};
  longue.resize(3 + 256, 0xAA);
  EXPECT_TRUE(tlv::coherent(longue));
  const auto items = parse_items(longue);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0]->length(), 256u);
  EXPECT_TRUE(items[0]->two_byte_length());
}

Bytes fip_item(uint16_t flags, const Bytes& gap, uint16_t duree, const Bytes& trame, uint8_t standard = 16) {
  // Appended byte by byte: GCC 12 reports false bounds on range inserts into short vectors.
  Bytes v;
  auto put = [&v](std::initializer_list<unsigned> bytes) {
    for (unsigned b : bytes) v.push_back(static_cast<uint8_t>(b));
  };
  put({0x20, 2, static_cast<uint8_t>(flags >> 8), static_cast<uint8_t>(flags & 0xFF), 0x21, 1, standard, 0x22, 1, 7});
  put({0x30, static_cast<unsigned>(gap.size())});
  for (uint8_t g : gap) v.push_back(g);
  put({0x31, 2, static_cast<unsigned>(duree >> 8), static_cast<unsigned>(duree & 0xFF)});
  if (!trame.empty()) {
    put({0x90, static_cast<unsigned>(trame.size() >> 8), static_cast<unsigned>(trame.size() & 0xFF)});
    for (uint8_t t : trame) v.push_back(t);
  }
  Bytes item;
  item.push_back(0xC0);
  item.push_back(static_cast<uint8_t>(v.size() >> 8));
  item.push_back(static_cast<uint8_t>(v.size()));
  for (uint8_t b : v) item.push_back(b);
  return item;
}

TEST(EngineTlv, FipNodeTakesItsFieldsAndSerialisesBackToTheSameBytes) {
  const Bytes item = fip_item(0x0701, {0x01, 0x02, 0x03}, 0x1234, {0x03, 0x12, 0x34, 0xAB, 0xCD}, 1);
  const CTLVNode node(item);
  const CFipNode fip(node);
  EXPECT_EQ(fip.ulGap, 66051u);
  EXPECT_EQ(fip.usDuree, 0x1234);
  EXPECT_EQ(fip.usStatut, 0x0701);
  EXPECT_TRUE(fip.bGlitch && fip.bErrTxVoie1 && fip.bErrTxVoie2 && fip.bVoie2);
  EXPECT_FALSE(fip.bDelimiteur1 || fip.bDelimiteur2 || fip.bInterruption4 || fip.bInterruption5);
  EXPECT_TRUE(fip.bTramesTypeFip);
  EXPECT_FALSE(fip.bTramesTypeWorldFip);
  EXPECT_EQ(fip.ucOctet22, 7);
  EXPECT_EQ(fip.trame, (Bytes{0x03, 0x12, 0x34, 0xAB, 0xCD}));
  Bytes back;
  node.to_bytes(back);
  EXPECT_EQ(back, item);
  // The allocation-free reading of the card thread gives the same node.
  CFipNode direct;
  direct.lire(item);
  EXPECT_EQ(direct.ulGap, fip.ulGap);
  EXPECT_EQ(direct.usStatut, fip.usStatut);
  EXPECT_EQ(direct.trame, fip.trame);
  std::ostringstream dump;
  node.dump(dump);
  EXPECT_NE(dump.str().find(" 0x03 0x12 0x34 0xAB 0xCD"), std::string::npos);
}

TEST(EngineTlv, AConstructedItemWhoseValueIsNotASequenceSerialisesAsItCame) {
  const Bytes item{0x53, 0x01, 0x00};
  Bytes back;
  CTLVNode(item).to_bytes(back);
  EXPECT_EQ(back, item);
}

TEST(EngineTlv, ChildrenWithUnexpectedLengthsAreIgnored) {
  // A gap on five bytes and a status on one byte are not taken.
  Bytes v{0x30, 5, 1, 2, 3, 4, 5, 0x20, 1, 0xFF, 0x31, 2, 0, 9};
  Bytes item{0xC0, 0, static_cast<uint8_t>(v.size())};
  item.insert(item.end(), v.begin(), v.end());
  CFipNode n;
  n.lire(item);
  EXPECT_EQ(n.ulGap, 0u);
  EXPECT_EQ(n.usStatut, 0);
  EXPECT_EQ(n.usDuree, 9);
}

TEST(EngineWords, RecordsCarryBytesOrPseudoBytesTimeAndStatus) {
  CFipNode n;
  n.lire(fip_item(0x0001, {0x10}, 0x0100, {0x03, 0x12, 0x34, 0x56, 0x78}));
  n.ulGapSuivant = 0x00020003;
  Words w;
  ajoute_enreg_mots(n, w);
  EXPECT_EQ(w, (Words{0x1FD, 0x0FD, 0x00, 0x02, 0x01, 0x03, 0x20}));

  n.lire(fip_item(0x0006, {0x10}, 0, {0x03}));
  w.clear();
  ajoute_enreg_mots(n, w);
  EXPECT_EQ(w, (Words{0x1FE, 0x0FE, 0, 0, 0, 0, 0xC0}));

  n.lire(fip_item(0x0030, {0x10}, 5, {}));
  n.bMarqueDebordement = true;
  w.clear();
  ajoute_enreg_mots(n, w);
  EXPECT_EQ(w, (Words{0x1FC, 0x0FC, 0, 0, 0, 0, 0, 0x100, 0, 0, 0, 5, 0x08}));

  n.lire(fip_item(0x0700, {0x10}, 0, {0x02, 0x90, 0x01}));
  w.clear();
  ajoute_enreg_mots(n, w);
  EXPECT_EQ(w, (Words{0x102, 0x090, 0x001, 0, 0, 0, 0, 0x07}));
}

Words frame_words(Bytes bytes, uint32_t t, uint8_t status) {
  Words w{static_cast<uint16_t>(0x100 | bytes[0])};
  for (size_t i = 1; i < bytes.size(); ++i) w.push_back(bytes[i]);
  ajoute_temps_statut(w, t, status);
  return w;
}

TEST(EngineWalk, AFrameIsCompleteAtTheNextStartWordAndCarriedOtherwise) {
  CParcoursTrames walk;
  std::vector<std::pair<Bytes, uint32_t>> seen;
  auto collect = [&](const TrameMots& t) {
    seen.emplace_back(Bytes(t.octets.begin(), t.octets.end()), t.temps);
    return true;
  };
  const Words a = frame_words({1, 2, 3}, 100, 0);
  const Words b = frame_words({4, 5}, 200, 0);
  // A leading stray word, frame a, and the first half of b.
  walk.a_traiter() = {0x0042};
  walk.a_traiter().insert(walk.a_traiter().end(), a.begin(), a.end());
  walk.a_traiter().insert(walk.a_traiter().end(), b.begin(), b.begin() + 3);
  ASSERT_TRUE(walk.parcourt(false, collect));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].first, (Bytes{1, 2, 3}));
  EXPECT_EQ(seen[0].second, 100u);
  // b's words are carried; the rest of b arrives; b is complete only on the final walk.
  EXPECT_EQ(walk.a_traiter().size(), 3u);
  walk.a_traiter().insert(walk.a_traiter().end(), b.begin() + 3, b.end());
  ASSERT_TRUE(walk.parcourt(false, collect));
  EXPECT_EQ(seen.size(), 1u);
  ASSERT_TRUE(walk.parcourt(true, collect));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].first, (Bytes{4, 5}));
  EXPECT_EQ(seen[1].second, 200u);
  EXPECT_TRUE(walk.a_traiter().empty());
}

TEST(EngineWalk, DatesAddEachFrameTimeOnce) {
  DateCourante d;
  EXPECT_EQ(d.avance(), 0u);
  d.temps_precedent = 70;
  EXPECT_EQ(d.avance(), 70u);
  d.temps_precedent = 30;
  EXPECT_EQ(d.avance(), 100u);
  d.redemarre();
  EXPECT_EQ(d.avance(), 0u);
}

TEST(EngineIniAcq, BuilderPutsPathAndBitFieldsBehindTheBlockAndTheCheckAcceptsIt) {
  ParametresAcq p;
  p.ini.enTypeAcq = SYN_SIMPLE;
  p.ini.ucNbTramesSynchro = 2;
  p.ini.ucMethodeSynchro = 1;
  p.ini.ullLgZonePostTrig = 123456789012ull;
  p.ini.llDureeZonePostTrig = -50000000;
  struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = 8;
  c.ucLgValBit = 16;
  c.enLgInterpretationVal = LG_16;
  c.enOperation = OP_EQUAL;
  c.ullValeur = 0x1234;
  p.champs[1] = {c, c};
  p.chemin = "/tmp/capture.dat";
  pose_filtre_bourrage(p.ini, 0x9080);
  const Bytes b = construit_ini_acq(p);
  std::string why;
  ASSERT_TRUE(verifie_ini_acq(b.data(), static_cast<uint32_t>(b.size()), why)) << why;
  EXPECT_EQ(b.size(), 608u + 2 * 24 + p.chemin.size() + 1);
  const INI_ACQ back = lire_ini_acq(b.data());
  EXPECT_EQ(back.ullLgZonePostTrig, p.ini.ullLgZonePostTrig);
  EXPECT_EQ(back.llDureeZonePostTrig, -50000000);
  EXPECT_EQ(back.pstTramesSynchro[0].usNbChampsBit, 0);
  EXPECT_EQ(back.pstTramesSynchro[1].usNbChampsBit, 2);
  const struct_CHAMP_BIT_SYNCHRO c2 = lire_champ_bit(b.data() + back.pstTramesSynchro[1].pstChampsBit + 24);
  EXPECT_EQ(c2.ullValeur, 0x1234u);
  EXPECT_EQ(c2.enOperation, OP_EQUAL);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data()) + back.pvPathFichierAcq, back.usLgPathFichierAcq),
            p.chemin);
  // The padding pattern: 3 words, 0x0003 and the identifier's two bytes.
  EXPECT_EQ(b[8], 3);
  EXPECT_EQ(b[10], 0x03);
  EXPECT_EQ(b[12], 0x90);
  EXPECT_EQ(b[14], 0x80);
  EXPECT_FALSE(verifie_ini_acq(b.data(), static_cast<uint32_t>(b.size() - 1), why));
}

TEST(EngineDates, PcClockDateIsTheTimeSinceDetectionAtTheBusSpeed) {
  TestVandrel engine;
  const uint64_t now = platform::local_filetime_now();
  struct Case {
    uint32_t speed;
    uint64_t expected;
  };
  for (const Case c : {Case{VITESSE_1M, 10000000}, Case{VITESSE_31K25, 10000000 / 32}, Case{VITESSE_2M5, 25000000},
                       Case{VITESSE_5M, 50000000}}) {
    {
      std::lock_guard lock(engine.interne().mutex_entete);
      engine.interne().stEnteteF.uliDateDetect = now - 10000000;  // one second ago
      engine.interne().stEnteteF.enVitesse = c.speed;
    }
    uint64_t date = 0;
    engine.recalcule_dateR(&date);
    EXPECT_GE(date, c.expected) << c.speed;
    EXPECT_LT(date, c.expected + c.expected / 5) << c.speed;
  }
  {
    std::lock_guard lock(engine.interne().mutex_entete);
    engine.interne().stEnteteF.enVitesse = 9;
  }
  uint64_t date = 77;
  engine.recalcule_dateR(&date);
  EXPECT_EQ(date, 77u);
}

TEST(EngineFilter, PatternWordsWithBit8MatchAnyByte) {
  const uint16_t motif[] = {0x0003, 0x0012, 0x0134};
  const uint16_t a[] = {0x103, 0x12, 0x99, 0x01, 0x02};
  const uint16_t b[] = {0x103, 0x13, 0x34, 0x01, 0x02};
  EXPECT_TRUE(TestVandrel::compare_frames(a, 5, motif, 3));
  EXPECT_FALSE(TestVandrel::compare_frames(b, 5, motif, 3));
  EXPECT_TRUE(TestVandrel::compare_frames(b, 5, motif, 0));
}

}  // namespace
}  // namespace brv::test
