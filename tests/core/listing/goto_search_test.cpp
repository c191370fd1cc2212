// The "Goto" search: options, direction, wrapping, blocks skipped through the index, short reads,
// and the same answers as a plain scan on a re-read capture with many index records.

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <vector>

#include "brv_core/analysis/monitor.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/listing/goto_search.h"
#include "brv_core/synth/sample_capture.h"
#include "support/quiet_reporter.h"
#include "support/temp_dir.h"

namespace brv {
namespace {

// A capture of marks, its index built as the reading task builds it, and a reader that records
// the rows it was asked for. Rows [casse, finCasse) cannot be read: a read stops on them.
struct Capture {
  std::vector<uint32_t> marques;
  std::vector<uint64_t> debutsBlocs;  // empty: no index
  uint64_t dateZero = UINT64_MAX, casse = UINT64_MAX, finCasse = UINT64_MAX;
  std::multiset<uint64_t> lues;

  CarteLignes Carte() const {
    CarteLignes c;
    c.nbLignes = marques.size();
    for (size_t b = 0; b < debutsBlocs.size(); ++b) {
      INDEX_TRAMES& r = c.postTrig.emplace_back();
      r.ullPremiereLigne = debutsBlocs[b];
      r.bDateZero = debutsBlocs[b] == dateZero;
      for (uint64_t l = debutsBlocs[b]; l < (b + 1 < debutsBlocs.size() ? debutsBlocs[b + 1] : marques.size()); ++l) {
        const auto compte = [l](uint64_t& nb, uint64_t& premier, uint64_t& dernier) {
          if (nb++ == 0) premier = l;
          dernier = l;
        };
        if (marques[l] & MARQUE_ERREUR) compte(r.ullNbLignesErreur, r.ullPremiereErreur, r.ullDerniereErreur);
        if (marques[l] & MARQUE_EVENEMENT) compte(r.ullNbLignesEvenement, r.ullPremierEvenement, r.ullDernierEvenement);
      }
    }
    return c;
  }
  LectureGoto Lecture() {
    return [this](uint64_t premiere, size_t nombre, std::vector<LIGNE_TRAME>& lignes) {
      EXPECT_LE(nombre, kLignesParLectureGoto);
      lignes.clear();
      for (uint64_t l = premiere; l < premiere + nombre && l < marques.size() && !(l >= casse && l < finCasse); ++l) {
        lues.insert(l);
        LIGNE_TRAME& t = lignes.emplace_back();
        t.ulMarque = marques[l];
        t.bDateZero = l == dateZero;
      }
      return lignes.size();
    };
  }
};

constexpr uint32_t E = MARQUE_EVENEMENT;

// 30 rows in blocks of 10: an event at 3, an error at 15, an error-event at 25, an event at 27;
// row 10 is the first post-trigger row.
Capture Trois() {
  Capture c;
  c.marques.assign(30, MARQUE_AUCUNE);
  c.marques[3] = c.marques[27] = E;
  c.marques[15] = MARQUE_ERREUR;
  c.marques[25] = MARQUE_ERREUR_EVENEMENT;
  c.debutsBlocs = {0, 10, 20};
  c.dateZero = 10;
  return c;
}

OptionsGoto Opt(bool date0, bool evt, bool err, bool haut = false) { return {date0, evt, err, haut}; }

TEST(Goto, FindsTheNextWantedRowRoundTheCapture) {
  const auto N = std::nullopt;
  const struct {
    OptionsGoto options;
    uint64_t depart;
    std::optional<uint64_t> attendu;
  } cas[] = {
      {Opt(false, false, false), 0, N},       // no option
      {Opt(false, true, false), 29, 3},       // events from the last row wrap
      {Opt(false, true, false), 3, 25},       // an error-event is an event
      {Opt(false, false, true), 15, 25},      // and an error
      {Opt(false, false, true), 25, 15},      // errors wrap
      {Opt(false, true, false, true), 27, 25},
      {Opt(false, true, false, true), 3, 27},  // up wraps to the end
      {Opt(false, false, true, true), 27, 25},
      {Opt(true, true, false), 4, 10},
      {Opt(true, false, true, true), 12, 10},
      {Opt(false, true, false), 99, 3},  // a start past the end
  };
  for (const auto& c : cas) {
    Capture cap = Trois();
    EXPECT_EQ(ChercheGoto(cap.Carte(), c.depart, c.options, cap.Lecture()), c.attendu) << c.depart;
  }
}

TEST(Goto, DateZeroAloneSelectsTheFirstPostTriggerRow) {
  Capture cap = Trois();
  CarteLignes carte = cap.Carte();
  EXPECT_EQ(ChercheGoto(carte, 20, Opt(true, false, false), cap.Lecture()), 0u);
  carte.derniereLignePreTrig = 9;
  EXPECT_EQ(ChercheGoto(carte, 20, Opt(true, false, false), cap.Lecture()), 10u);
  EXPECT_TRUE(cap.lues.empty());
}

TEST(Goto, BlocksWithoutWantedRowsAreNotRead) {
  Capture cap = Trois();
  EXPECT_EQ(ChercheGoto(cap.Carte(), 4, Opt(false, true, false), cap.Lecture()), 25u);
  // Only the event stretch of the last block, [25, 27], was read.
  EXPECT_EQ(cap.lues, (std::multiset<uint64_t>{25, 26, 27}));

  // With the start the only error row left, nothing is read and nothing found.
  cap.lues.clear();
  cap.marques[15] = MARQUE_AUCUNE;
  EXPECT_EQ(ChercheGoto(cap.Carte(), 25, Opt(false, false, true), cap.Lecture()), std::nullopt);
  EXPECT_TRUE(cap.lues.empty());
}

TEST(Goto, OneBlockIsSearchedOnBothSidesOfTheStart) {
  Capture cap;
  cap.marques.assign(250, MARQUE_AUCUNE);
  cap.marques[3] = E;
  // No index: the whole capture is one block, read in chunks.
  EXPECT_EQ(ChercheGoto(cap.Carte(), 5, Opt(false, true, false), cap.Lecture()), 3u);
  EXPECT_EQ(cap.lues.size(), 249u);
  EXPECT_EQ(cap.lues.count(5), 0u);
  cap.lues.clear();
  EXPECT_EQ(ChercheGoto(cap.Carte(), 3, Opt(false, true, false, true), cap.Lecture()), std::nullopt);
  EXPECT_EQ(cap.lues.size(), 249u);
}

TEST(Goto, ShortReadsGoOn) {
  // Rows 4..9 cannot be read: going down the search moves on to the next block; going up it
  // searches the rows the short read gave, then the rows before them.
  Capture cap = Trois();
  cap.marques[5] = cap.marques[1] = E;
  cap.casse = 4;
  cap.finCasse = 10;
  EXPECT_EQ(ChercheGoto(cap.Carte(), 3, Opt(false, true, false), cap.Lecture()), 25u);
  EXPECT_EQ(ChercheGoto(cap.Carte(), 9, Opt(false, true, false, true), cap.Lecture()), 3u);
  EXPECT_EQ(ChercheGoto(cap.Carte(), 3, Opt(false, true, false, true), cap.Lecture()), 1u);
}

// A re-read capture whose index has many records; the search agrees with a scan of every row.
TEST(GotoCapture, AgreesWithAPlainScanThroughTheRowReader) {
  test::TempDir dir;
  const std::string chemin = dir.file("capture.dat");
  SampleCaptureOptions o;
  o.frames = 6000;
  o.layout = AcqLayout::Pretrigger;
  o.zone_size = 20000;
  SampleCaptureSummary s;
  std::string e;
  ASSERT_TRUE(write_sample_capture(chemin, o, s, e)) << e;
  test::RapportSilencieux rapport;
  CBrenvaleDoc doc(rapport, dir.file(""));
  ASSERT_TRUE(doc.OuvrirAcquisition(chemin));
  // Message requests are the events.
  DEFINITION_TRAME& evt = doc.Config.evenements.defs[0];
  DefinitNom(evt, "message request");
  evt.champs = {CHAMP_BITS{.ucLongueur = 8, .ulOperation = OP_EGAL, .ullValeur = 0x06}};
  evt.bUtilisee = 1;
  doc.Config.evenements.nb = 1;
  doc.ReconstruitCopiesEvenements();
  doc.ResetResults(false);
  doc.Resultats.ulTailleBlocIndex = 4096;  // many index records
  IObservateurTache obs;
  CFileRequetes req;
  ResultatTache res;
  FncTacheAcq(doc, obs, req, res);
  AcqFile fichier;
  ASSERT_EQ(fichier.open(chemin), AcqOpenStatus::Ok);

  CLecteurLignes lecteur(doc, fichier);
  const CarteLignes carte = CarteDuDocument(doc);
  ASSERT_GT(carte.preTrig.size() + carte.postTrig.size(), 10u);
  std::vector<LIGNE_TRAME> toutes;
  ASSERT_EQ(lecteur.Lit(0, carte.nbLignes, false, toutes), carte.nbLignes);
  const auto avec = [&](uint32_t m) {
    return std::count_if(toutes.begin(), toutes.end(), [m](const LIGNE_TRAME& l) { return l.ulMarque & m; });
  };
  ASSERT_TRUE(avec(MARQUE_EVENEMENT) > 0 && avec(MARQUE_ERREUR) > 0);
  const LectureGoto lecture = [&](uint64_t p, size_t n, std::vector<LIGNE_TRAME>& l) {
    return lecteur.Lit(p, n, false, l);
  };
  const uint64_t n = carte.nbLignes;
  for (const OptionsGoto& opt : {Opt(false, true, false), Opt(false, false, true), Opt(true, true, true),
                                 Opt(false, true, false, true), Opt(false, false, true, true)}) {
    for (uint64_t depart = 0; depart < n; depart += n / 9 + 1) {
      std::optional<uint64_t> attendu;
      for (uint64_t k = 1; k < n && !attendu; ++k) {
        const uint64_t l = opt.bVersLeHaut ? (depart + n - k) % n : (depart + k) % n;
        const LIGNE_TRAME& t = toutes[l];
        if (t.ulMarque == MARQUE_ERREUR_EVENEMENT || (t.ulMarque == MARQUE_ERREUR && opt.bErreurs) ||
            (t.ulMarque == MARQUE_EVENEMENT && opt.bEvenements) || (t.bDateZero && opt.bDateZero)) {
          attendu = l;
        }
      }
      EXPECT_EQ(ChercheGoto(carte, depart, opt, lecture), attendu) << depart << " " << opt.bVersLeHaut;
    }
  }
}

}  // namespace
}  // namespace brv
