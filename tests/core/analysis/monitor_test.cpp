// Re-calculation of captures of every layout, and the rows of the frames list read back
// through the frame indexes in any order.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <thread>

#include "brv_core/analysis/monitor.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/document/row_reader.h"
#include "brv_core/synth/sample_capture.h"
#include "support/capture_builder.h"
#include "support/quiet_reporter.h"

namespace brv {
namespace {

using Silencieux = test::RapportSilencieux;

struct Observateur : IObservateurTache {
  void LigneInformation(std::string_view t) override { lignes.emplace_back(t); }
  std::vector<std::string> lignes;
};

CHAMP_BITS egal(uint16_t pos, uint8_t lg, uint64_t v) {
  CHAMP_BITS c;
  c.usPosition = pos;
  c.ucLongueur = lg;
  c.ulOperation = OP_EGAL;
  c.ullValeur = v;
  c.ulInterpretation = 1;
  return c;
}

// Hides ID_DAT 0100 with its answer, marks every RP_DAT_MSG as an event.
void configure_affichage(CBrenvaleDoc& doc) {
  DEFINITION_TRAME cache;
  DefinitNom(cache, "hide 0100");
  cache.champs = {egal(0, 8, 0x03), egal(8, 16, 0x0100)};
  cache.bNePasDissocierRP = 1;
  cache.bUtilisee = 1;
  doc.Config.filtre.nb = 1;
  doc.Config.filtre.defs[0] = cache;
  doc.Config.ulModeFiltre = 1;
  DEFINITION_TRAME evt;
  DefinitNom(evt, "message request");
  evt.champs = {egal(0, 8, 0x06)};
  evt.bUtilisee = 1;
  doc.Config.evenements.nb = 1;
  doc.Config.evenements.defs[0] = evt;
  doc.ReconstruitCopiesEvenements();
}

class Recalcul : public ::testing::TestWithParam<AcqLayout> {
 protected:
  void prepare(uint64_t frames = 40000) {
    path_ = dir_.file("capture.dat");
    SampleCaptureOptions o;
    o.frames = frames;
    o.layout = GetParam();
    o.zone_size = GetParam() == AcqLayout::Circular ? 4096 * 40 : 20000;
    SampleCaptureSummary s;
    std::string e;
    ASSERT_TRUE(write_sample_capture(path_, o, s, e)) << e;
    ASSERT_TRUE(doc_.OuvrirAcquisition(path_));
    configure_affichage(doc_);
    doc_.ResetResults(false);
    doc_.Resultats.ulTailleBlocIndex = 8192;  // many index records
  }

  test::TempDir dir_;
  std::string path_;
  Silencieux rapport_;
  CBrenvaleDoc doc_{rapport_, dir_.file("") };
  Observateur obs_;
  CFileRequetes requetes_;
  ResultatTache resultat_;
};

TEST_P(Recalcul, CountsEveryRecordAndIndexesTheRows) {
  prepare();
  FncTacheAcq(doc_, obs_, requetes_, resultat_);
  const AcqResults& r = doc_.Resultats;
  EXPECT_EQ(r.RecalcEndReason, 0u);

  // The same walk, done independently.
  AcqFile f;
  ASSERT_EQ(f.open(path_), AcqOpenStatus::Ok);
  RecordCursor c(f);
  FrameRecord rec;
  CFiltreAffichage filtre(doc_.CopieFiltre, doc_.FiltreUtilisable, doc_.Config.ulModeFiltre);
  uint64_t n = 0, affichees = 0, evenements = 0;
  std::vector<uint64_t> offsets;
  while (c.next(rec) == WalkStatus::Record) {
    ++n;
    if (TestEvenement(rec.frame_len, rec.frame, doc_.CopieEvenements)) ++evenements;
    if (filtre.Teste(rec.frame_len, rec.frame).affichee) {
      ++affichees;
      offsets.push_back(rec.offset);
    }
  }
  EXPECT_EQ(r.ullNbTramesAcquises, n);
  EXPECT_EQ(r.ulNbTramesAffichables, affichees);
  EXPECT_LT(affichees, n);  // the filter hid some
  EXPECT_EQ(r.ullNbEvenements, evenements);
  EXPECT_GT(evenements, 0u);
  EXPECT_GT(r.indexPostTrig.Nombre() + r.indexPreTrig.Nombre(), 10u);
  EXPECT_FALSE(doc_.Reseau.Table().empty());

  // Every index record opens on a row.
  for (const auto* index : {&r.indexPreTrig, &r.indexPostTrig}) {
    for (const auto& x : index->Copie()) {
      ASSERT_LT(x.ullPremiereLigne, offsets.size());
      EXPECT_EQ(offsets[x.ullPremiereLigne], x.ullPosFichier);
    }
  }

  // All rows at once, then in blocks from the end backwards, then at random places.
  CLecteurLignes lecteur(doc_, f);
  std::vector<LIGNE_TRAME> toutes;
  ASSERT_EQ(lecteur.Lit(0, affichees + 10, true, toutes), affichees);
  for (size_t i = 0; i < toutes.size(); ++i) ASSERT_EQ(toutes[i].ullPosFichier, offsets[i]) << i;

  std::vector<LIGNE_TRAME> bloc;
  for (int64_t fin = static_cast<int64_t>(affichees); fin > 0; fin -= 997) {
    const uint64_t debut = static_cast<uint64_t>(std::max<int64_t>(0, fin - 997));
    ASSERT_EQ(lecteur.Lit(debut, static_cast<size_t>(fin - static_cast<int64_t>(debut)), true, bloc),
              static_cast<size_t>(fin - static_cast<int64_t>(debut)));
    for (size_t i = 0; i < bloc.size(); ++i) {
      const LIGNE_TRAME& a = toutes[debut + i];
      ASSERT_EQ(bloc[i].ullPosFichier, a.ullPosFichier);
      ASSERT_EQ(bloc[i].texte, a.texte);
      ASSERT_EQ(bloc[i].dateRel, a.dateRel);
      ASSERT_EQ(bloc[i].interTrame, a.interTrame);
      ASSERT_EQ(bloc[i].ulMarque, a.ulMarque);
    }
  }
  // Consecutive blocks read on from where the last stopped.
  for (uint64_t debut = 0; debut < affichees; debut += 997) {
    lecteur.Lit(debut, 997, true, bloc);
    ASSERT_FALSE(bloc.empty());
    for (size_t i = 0; i < bloc.size(); ++i) {
      ASSERT_EQ(bloc[i].ullPosFichier, toutes[debut + i].ullPosFichier);
      ASSERT_EQ(bloc[i].interTrame, toutes[debut + i].interTrame);
    }
  }
  std::mt19937 alea(7);
  for (int essai = 0; essai < 50; ++essai) {
    const uint64_t debut = alea() % affichees;
    lecteur.Lit(debut, 20, false, bloc);
    ASSERT_FALSE(bloc.empty());
    EXPECT_EQ(bloc[0].iLigne, static_cast<int32_t>(debut));
    EXPECT_EQ(bloc[0].ullPosFichier, offsets[debut]);
    EXPECT_FALSE(bloc[0].octets.empty());
  }
  // Marks: events and errors.
  const bool unEvenement = std::any_of(toutes.begin(), toutes.end(), [](const LIGNE_TRAME& l) { return l.ulMarque & 1; });
  EXPECT_TRUE(unEvenement);
}

TEST_P(Recalcul, StopRequestEndsTheRun) {
  prepare(5000);
  requetes_.Poste(RequeteTache::ArretUtilisateur);
  FncTacheAcq(doc_, obs_, requetes_, resultat_);
  EXPECT_EQ(doc_.Resultats.RecalcEndReason, RECALCUL_UTILISATEUR);
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, 0u);
  ASSERT_FALSE(obs_.lignes.empty());
  EXPECT_EQ(obs_.lignes.back(), "Re-calculation terminated by user.");
}

INSTANTIATE_TEST_SUITE_P(Layouts, Recalcul, ::testing::Values(AcqLayout::Linear, AcqLayout::Circular, AcqLayout::Pretrigger),
                         [](const auto& info) { return std::string(layout_name(info.param)); });

TEST(RecalculFichier, InvalidEndOfFileAndRowsAcrossTheTrigger) {
  test::TempDir dir;
  Silencieux rapport;
  const std::string p = dir.file("pre.dat");
  // Pre-trigger: two records; post-trigger: the trigger (date 0) and one more, then a bad length.
  const auto pre = test::stream_of({{0, {0x03, 0x01, 0x00, 0, 0}, 0}, {610, {0x02, 0x40, 0x00, 0x98, 0x52}, 0}});
  const auto post = test::stream_of({{0, {0x03, 0x01, 0x01, 0, 0}, 0}, {610, {0x02, 0x40, 0x00, 0x98, 0x52}, 0}});
  test::save_pretrigger(p, pre, post, test::mismatched_record(), 1300);

  CBrenvaleDoc doc(rapport, dir.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.ResetResults(false);
  Observateur obs;
  CFileRequetes req;
  ResultatTache res;
  FncTacheAcq(doc, obs, req, res);
  EXPECT_EQ(doc.Resultats.RecalcEndReason, RECALCUL_FIN_FICHIER_INVALIDE);
  EXPECT_EQ(obs.lignes.back(), "Re-calculation aborted because of invalid end of file error.");
  EXPECT_EQ(doc.Resultats.ullNbTramesAcquises, 4u);
  EXPECT_EQ(doc.Resultats.ulDerniereLignePreTrig, 1u);

  AcqFile f;
  ASSERT_EQ(f.open(p), AcqOpenStatus::Ok);
  CLecteurLignes lecteur(doc, f);
  std::vector<LIGNE_TRAME> lignes;
  EXPECT_EQ(lecteur.Lit(0, 10, true, lignes), 4u);
  EXPECT_EQ(lecteur.Erreur(), "invalid end of data at offset " + std::to_string(88 + pre.size() + post.size()));
  EXPECT_EQ(lignes[0].dateRel, "- 130µs");
  EXPECT_EQ(lignes[2].dateRel, "0µs");
  EXPECT_EQ(lignes[2].bDateZero, 1u);
  // 1300 - 610 units after the pre-trigger RP_DAT began, less its 61 bit times.
  EXPECT_EQ(lignes[2].interTrame, "8µs");
}

}  // namespace
}  // namespace brv

namespace brv {
namespace {

TEST(RecalculFichier, StopPostedFromAnotherThreadWhileReading) {
  test::TempDir dir;
  const std::string p = dir.file("big.dat");
  SampleCaptureOptions o;
  o.frames = 400000;
  SampleCaptureSummary s;
  std::string e;
  ASSERT_TRUE(write_sample_capture(p, o, s, e)) << e;
  Silencieux rapport;
  CBrenvaleDoc doc(rapport, dir.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(p));
  doc.ResetResults(false);
  Observateur obs;
  CFileRequetes req;
  ResultatTache res;
  std::thread tache([&] { FncTacheAcq(doc, obs, req, res); });
  req.Poste(RequeteTache::ArretUtilisateur);
  tache.join();
  // Either the run saw the request, or it had already read everything.
  if (doc.Resultats.RecalcEndReason == RECALCUL_UTILISATEUR) {
    EXPECT_LT(doc.Resultats.ullNbTramesAcquises, o.frames);
    EXPECT_EQ(obs.lignes.back(), "Re-calculation terminated by user.");
  } else {
    EXPECT_EQ(doc.Resultats.ullNbTramesAcquises, o.frames);
  }
}

}  // namespace
}  // namespace brv
