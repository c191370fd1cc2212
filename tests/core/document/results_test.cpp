// The results block: its stream form, damaged counts, and the frame index rules.

#include <gtest/gtest.h>

#include <cstdio>

#include "brv_core/document/acq_results.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

// Writes bytes to a file and reads them back through the results reader.
LectureResultats relit(const std::vector<uint8_t>& octets, AcqResults& r, LimitesLecture limites = {}) {
  test::TempDir dir;
  const std::string p = dir.file("tail.bin");
  test::write_bytes(p, octets);
  FILE* f = std::fopen(p.c_str(), "rb");
  ByteReader in(fileno(f), 0, octets.size());
  const LectureResultats e = LitResultats(in, r, limites);
  std::fclose(f);
  return e;
}

TEST(Results, StreamFormIsLittleEndianWithCountedLists) {
  AcqResults r;
  r.EndReason = 0x01020304;
  r.indexPostTrig.Ajoute({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  ByteWriter out;
  EcritResultats(out, r);
  const auto& o = out.data();
  // 4 + 4 + 8 + 4 + 2 + 8 + 4, two lists (0 and 1 record), 8 + 8 + 8 + 4 + 8, 24, 168, 104
  EXPECT_EQ(o.size(), 34u + 4 + 4 + 72 + 36 + 24 + 168 + 104);
  EXPECT_EQ(o[0], 0x04);
  EXPECT_EQ(o[3], 0x01);
  EXPECT_EQ(o[34], 0);      // pre-trigger count
  EXPECT_EQ(o[38], 1);      // post-trigger count
  EXPECT_EQ(o[42], 1);      // its first row number
}

TEST(Results, OversizedListIsSkippedAndTheRestStillReads) {
  AcqResults r;
  for (int i = 0; i < 5; ++i) r.indexPreTrig.Ajoute({static_cast<uint64_t>(i), 0, 0, 0, 0, 0, 0, 0, 0, 0});
  r.indexPostTrig.Ajoute({42, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  r.ullNbTramesAcquises = 31337;
  r.compteursErreur[12] = 99;
  ByteWriter out;
  EcritResultats(out, r);

  AcqResults lu;
  EXPECT_EQ(relit(out.data(), lu, LimitesLecture{4}), LectureResultats::ListeIgnoree);
  EXPECT_EQ(lu.indexPreTrig.Nombre(), 0u);
  EXPECT_EQ(lu.indexPostTrig.Nombre(), 1u);
  EXPECT_EQ(lu.ullNbTramesAcquises, 31337u);
  EXPECT_EQ(lu.compteursErreur[12], 99u);
}

TEST(Results, CountBeyondTheFileAllocatesNothing) {
  AcqResults r;
  ByteWriter out;
  EcritResultats(out, r);
  auto octets = out.data();
  octets[34] = octets[35] = octets[36] = octets[37] = 0xFF;  // 4 G records announced
  AcqResults lu;
  EXPECT_EQ(relit(octets, lu), LectureResultats::Tronque);
  EXPECT_EQ(lu.indexPreTrig.Nombre(), 0u);
  octets.resize(20);
  EXPECT_EQ(relit(octets, lu), LectureResultats::Tronque);
}

TEST(FrameIndex, ClosingRecordUpdatesTheLastAndGrowthKeepsRecords) {
  CIndexTrames index;
  index.Ajoute({kLigneCloture, 0, 0, 0, 1, 1, 1, 1, 1, 1});  // nothing to close yet
  EXPECT_EQ(index.Nombre(), 0u);
  for (uint64_t i = 0; i < 1100; ++i) index.Ajoute({i, i * 10, 0, 0, 0, 0, 0, 0, 0, 0});
  index.Ajoute({kLigneCloture, 777, 1, 0, 5, 6, 7, 8, 9, 10});
  const auto recs = index.Copie();
  ASSERT_EQ(recs.size(), 1100u);
  EXPECT_EQ(recs[1099].ullPremiereLigne, 1099u);
  EXPECT_EQ(recs[1099].ullPosFichier, 10990u);  // the closing record keeps the block's position
  EXPECT_EQ(recs[1099].ullNbLignesErreur, 5u);
  EXPECT_EQ(recs[1099].ullDernierEvenement, 10u);
  EXPECT_EQ(recs[500].ullPosFichier, 5000u);
}

TEST(Results, ResetKeepsOrClearsTheEndReason) {
  AcqResults r;
  r.EndReason = FIN_MEMOIRE;
  r.RecalcEndReason = RECALCUL_UTILISATEUR;
  r.ulDerniereLignePreTrig = 5;
  r.ullNbTramesAcquises = 10;
  r.indexPostTrig.Ajoute({});
  ResetResults(r, false);
  EXPECT_EQ(r.EndReason, FIN_MEMOIRE);
  EXPECT_EQ(r.ulDerniereLignePreTrig, 5u);
  EXPECT_EQ(r.RecalcEndReason, 0u);
  EXPECT_EQ(r.ullNbTramesAcquises, 0u);
  EXPECT_EQ(r.indexPostTrig.Nombre(), 0u);
  ResetResults(r, true);
  EXPECT_EQ(r.EndReason, 0u);
  EXPECT_EQ(r.ulDerniereLignePreTrig, kAucuneLignePreTrig);
}

}  // namespace
}  // namespace brv
