// The Timing window: what the table marks and how it sorts, and a measure of a real capture from
// the window's command.
#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>

#include "brv_core/document/row_reader.h"
#include "brv_core/synth/sample_capture.h"
#include "capture_fixture.h"
#include "frames/frames_view.h"
#include "shell/main_window.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"
#include "support/temp_dir.h"
#include "views/timing_view.h"

namespace brv::ui {
namespace {

brv::TimingIdentifiant Identifiant(uint16_t id, uint64_t appels, uint64_t horsTolerance, uint64_t tardives) {
  brv::TimingIdentifiant t;
  t.identifiant = id;
  t.appels = appels;
  t.periodes.horsTolerance = horsTolerance;
  t.periodes.nominalNs = 20'000'000;
  t.periodes.histogramme[15] = appels;
  t.tardives = tardives;
  return t;
}

TEST(TimingView, MarksIrregularOrLateIdentifiersAndSortsByNumber) {
  CVueTiming vue;
  brv::ResultatTiming r;
  r.identifiants = {Identifiant(0x0101, 9, 0, 0), Identifiant(0x0102, 10, 2, 0), Identifiant(0x0103, 100, 0, 5)};
  vue.Affiche(r);
  QTableWidget* t = vue.Table();
  ASSERT_EQ(t->rowCount(), 3);
  for (int ligne = 0; ligne < 3; ++ligne) {
    const bool marquee = t->item(ligne, 0)->text() != QStringLiteral("0101");
    EXPECT_EQ(t->item(ligne, 0)->background().style() != Qt::NoBrush, marquee) << ligne;
  }
  t->sortItems(1, Qt::AscendingOrder);  // scans: 9 before 10 before 100, as numbers
  EXPECT_EQ(t->item(0, 1)->text(), QStringLiteral("9"));
  EXPECT_EQ(t->item(1, 1)->text(), QStringLiteral("10"));
  EXPECT_EQ(t->item(2, 1)->text(), QStringLiteral("100"));
}

TEST(TimingView, TheCommandMeasuresTheOpenCapture) {
  class Muet : public CRapportQt {
    void BoiteMessage(std::string_view, brv::IconeMessage) override {}
    bool QuestionOuiNon(std::string_view) override { return true; }
  } rapport;
  EtatApplication e;
  e.horsLigne = true;
  CMainFrame fenetre(rapport, e);
  fenetre.show();
  EXPECT_FALSE(fenetre.Action(Commande::Timing)->isEnabled());
  test::TempDir dir;
  SampleCaptureOptions o;
  o.frames = 20000;
  SampleCaptureSummary s;
  std::string erreur;
  ASSERT_TRUE(write_sample_capture(dir.file("c.dat"), o, s, erreur)) << erreur;
  ASSERT_TRUE(fenetre.OuvreCapture(QString::fromStdString(dir.file("c.dat"))));
  ASSERT_TRUE(test::attend([&] { return !fenetre.Tache()->EnCours(); }, 10000));
  ASSERT_TRUE(fenetre.Action(Commande::Timing)->isEnabled());
  fenetre.Action(Commande::Timing)->trigger();
  auto* vue = fenetre.findChild<CVueTiming*>();
  ASSERT_NE(vue, nullptr);
  ASSERT_TRUE(test::attend([&] { return vue->Table()->rowCount() > 0; }, 10000));

  // A double-click selects, in the frames list, the call that ended the identifier's worst period.
  QTableWidget* t = vue->Table();
  const auto id = static_cast<uint16_t>(t->item(0, 0)->data(Qt::UserRole).toInt());
  brv::ResultatTiming r;
  std::string message;
  ASSERT_EQ(brv::AnalyseTimingChemin(dir.file("c.dat"), -1, r, message), brv::FinTiming::Complete);
  const brv::TimingIdentifiant* attendu = nullptr;
  for (const auto& i : r.identifiants) {
    if (i.identifiant == id) attendu = &i;
  }
  ASSERT_NE(attendu, nullptr);
  ASSERT_GT(attendu->periodes.periode.n, 0u);
  emit t->cellDoubleClicked(0, 3);
  const auto choisie = fenetre.Liste()->PremiereLigneSelectionnee();
  ASSERT_TRUE(choisie.has_value());
  brv::CLecteurLignes lecteur(fenetre.Document(), fenetre.Fichier());
  EXPECT_EQ(lecteur.LigneDe(brv::PositionRepere(attendu->periodes.pire.repere)), choisie);
  std::vector<brv::LIGNE_TRAME> lignes;
  ASSERT_EQ(lecteur.Lit(*choisie, 1, false, lignes), 1u);
  ASSERT_EQ(lignes[0].octets.size(), 5u);
  EXPECT_EQ(lignes[0].octets[0], 0x03);  // an ID_DAT
  EXPECT_EQ((lignes[0].octets[1] << 8) | lignes[0].octets[2], id);
}

}  // namespace
}  // namespace brv::ui
