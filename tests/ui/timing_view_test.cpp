// The Timing window: what the table marks and how it sorts, and a measure of a real capture from
// the window's command.
#include <gtest/gtest.h>

#include <QAction>
#include <QTableWidget>

#include "brv_core/synth/sample_capture.h"
#include "capture_fixture.h"
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
  EXPECT_TRUE(test::attend([&] { return vue->Table()->rowCount() > 0; }, 10000));
}

}  // namespace
}  // namespace brv::ui
