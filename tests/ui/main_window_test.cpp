// Opening, reading again, saving and closing captures from the main window, as a user does.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QTimer>
#include <QMenu>
#include <QSettings>

#include "brv_core/file/repair_offer.h"
#include "brv_core/synth/sample_capture.h"
#include "capture_fixture.h"
#include "config/display_sheet.h"
#include "dialogs/compare_run.h"
#include "dialogs/printable_page.h"
#include "dialogs/wait_dialog.h"
#include "frames/frames_view.h"
#include "shell/main_window.h"
#include "shell/message_pane.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"
#include "views/error_counters_view.h"
#include "views/network_view.h"
#include "support/temp_dir.h"

namespace brv::ui {
namespace {

// Boxes are recorded instead of shown; questions are answered Yes.
class RapportEnregistre : public CRapportQt {
 public:
  void BoiteMessage(std::string_view texte, brv::IconeMessage icone) override { boites.push_back({std::string(texte), icone}); }
  bool QuestionOuiNon(std::string_view texte) override {
    questions.emplace_back(texte);
    return oui;
  }
  bool oui = true;
  std::vector<std::pair<std::string, brv::IconeMessage>> boites;
  std::vector<std::string> questions;
};

class MainWindowFiles : public ::testing::Test {
 protected:
  MainWindowFiles() : fenetre_(rapport_, HorsLigne()) { fenetre_.show(); }

  static EtatApplication HorsLigne() {
    EtatApplication e;
    e.horsLigne = true;
    return e;
  }
  std::string Echantillon(const char* nom, uint64_t trames) {
    SampleCaptureOptions o;
    o.frames = trames;
    SampleCaptureSummary s;
    std::string e;
    const std::string p = dir_.file(nom);
    EXPECT_TRUE(write_sample_capture(p, o, s, e)) << e;
    return p;
  }
  bool Lignes(const QString& texte) const {
    for (int i = 0; i < fenetre_.Messages()->count(); ++i) {
      if (fenetre_.Messages()->item(i)->text() == texte) return true;
    }
    return false;
  }

  test::TempDir dir_;
  RapportEnregistre rapport_;
  CMainFrame fenetre_;
};

TEST_F(MainWindowFiles, ACaptureWithoutResultsIsReadAgainThenSavedAndReopenedAtOnce) {
  const std::string chemin = Echantillon("c.dat", 5000);
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  // No configuration behind the data: the warning, then the reading with its progress.
  ASSERT_EQ(rapport_.boites.size(), 1u);
  EXPECT_EQ(rapport_.boites[0].second, brv::IconeMessage::Avertissement);
  EXPECT_TRUE(fenetre_.Tache()->EnCours());
  ASSERT_NE(fenetre_.Attente(), nullptr);
  EXPECT_EQ(fenetre_.Attente()->TexteEtat(), QStringLiteral("Formatting data..."));
  EXPECT_FALSE(fenetre_.Action(Commande::EnregistrerAcquisition)->isEnabled());
  ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
  EXPECT_EQ(fenetre_.Liste()->NombreLignes(), 5000u);
  EXPECT_TRUE(test::attend([&] { return fenetre_.Attente() == nullptr; }));
  EXPECT_EQ(fenetre_.windowTitle(), QStringLiteral("c.dat - Brenvale"));
  EXPECT_TRUE(Lignes(QStringLiteral("Acquisition mode: free run")));
  // The views have the reading's final figures.
  ASSERT_NE(fenetre_.Figures(), nullptr);
  EXPECT_TRUE(fenetre_.Figures()->final);
  EXPECT_EQ(fenetre_.Figures()->ullNbTramesAcquises, 5000u);
  EXPECT_FALSE(fenetre_.Figures()->reseau.empty());
  EXPECT_TRUE(fenetre_.Action(Commande::Statistiques)->isEnabled());
  ASSERT_TRUE(fenetre_.Action(Commande::EnregistrerAcquisition)->isEnabled());
  ASSERT_TRUE(fenetre_.Action(Commande::Goto)->isEnabled());
  fenetre_.Action(Commande::EnregistrerAcquisition)->trigger();

  // Reopened: the loaded configuration is confirmed first, then the rows come from the file's results.
  rapport_.boites.clear();
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  EXPECT_EQ(rapport_.questions.size(), 1u);
  EXPECT_TRUE(rapport_.boites.empty());
  EXPECT_FALSE(fenetre_.Tache()->EnCours());
  EXPECT_EQ(fenetre_.Liste()->NombreLignes(), 5000u);
  ASSERT_FALSE(fenetre_.MenuRecents()->actions().isEmpty());
  EXPECT_TRUE(fenetre_.MenuRecents()->actions().first()->text().endsWith(QStringLiteral("c.dat")));
}

// Validating the display sheet with a capture open reads it again with the new filter.
// An interrupted capture is offered for recovery before it opens; Yes repairs it, No opens it as it is.
TEST_F(MainWindowFiles, AnInterruptedCaptureIsRecoveredWhenTheUserAgrees) {
  // No first: a No to the later question about replacing the open capture's configuration would
  // refuse the opening.
  for (const bool oui : {false, true}) {
    SCOPED_TRACE(oui ? "Yes" : "No");
    const std::string chemin = Echantillon(oui ? "yes.dat" : "no.dat", 2000);
    {
      // The header as the engine leaves it until its stop: state 1, no data length.
      std::fstream f(chemin, std::ios::binary | std::ios::in | std::ios::out);
      const char etat[4] = {1, 0, 0, 0}, longueur[8] = {};
      f.seekp(4).write(etat, 4);
      f.seekp(40).write(longueur, 8);
      ASSERT_TRUE(f.good());
    }
    rapport_.oui = oui;
    rapport_.questions.clear();
    fenetre_.Messages()->clear();
    ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
    ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
    ASSERT_FALSE(rapport_.questions.empty());
    EXPECT_EQ(rapport_.questions[0], brv::kQuestionReparation);
    EXPECT_EQ(std::filesystem::exists(chemin + ".orig"), oui);
    EXPECT_EQ(fenetre_.Liste()->NombreLignes(), oui ? 2000u : 0u);
    EXPECT_EQ(Lignes(QString::fromStdString("The capture was repaired; the original is kept as " + chemin + ".orig.")), oui);
    EXPECT_EQ(Lignes(QString::fromUtf8(brv::kInterruptedText)), !oui);
  }
}

TEST_F(MainWindowFiles, AValidatedDisplaySheetReadsTheCaptureAgain) {
  const std::string chemin = Echantillon("c.dat", 3000);
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
  ASSERT_EQ(fenetre_.Liste()->NombreLignes(), 3000u);
  // Selecting with a list in use that nothing matches: no row is left.
  DEFINITION_TRAME jamais;
  DefinitNom(jamais, "never");
  jamais.ucTypeTrame = 0x03;
  jamais.champs.push_back(CHAMP_BITS{.usPosition = 0, .ucLongueur = 8, .ulOperation = OP_EGAL, .ullValeur = 0x77});
  jamais.bUtilisee = 1;
  auto& c = fenetre_.Document().Config;
  c.filtre.defs[0] = jamais;
  c.filtre.nb = 1;
  QTimer::singleShot(100, &fenetre_, [] {
    auto* feuille = qobject_cast<CConfigAffSheet*>(QApplication::activeModalWidget());
    ASSERT_NE(feuille, nullptr);
    feuille->MontrePage(1);
    auto* selection = feuille->Page(1)->findChildren<QRadioButton*>().at(1);
    ASSERT_EQ(selection->text(), QStringLiteral("Selecting"));
    selection->setChecked(true);
    feuille->BoutonOk()->click();
  });
  fenetre_.Action(Commande::ConfigurationAffichage)->trigger();
  EXPECT_EQ(fenetre_.Document().Config.ulModeFiltre, 0u);
  EXPECT_TRUE(fenetre_.Tache()->EnCours());
  ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
  EXPECT_EQ(fenetre_.Liste()->NombreLignes(), 0u);
}

// Compare with...: the page for the same network, and the reason when the other capture is unreadable.
TEST_F(MainWindowFiles, CompareWithShowsItsPageOrWhyNot) {
  const std::string chemin = Echantillon("c.dat", 3000);
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
  rapport_.boites.clear();
  QString page;
  QTimer::singleShot(200, &fenetre_, [&page] {
    auto* dlg = qobject_cast<CPageImprimable*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    page = dlg->Navigateur()->toPlainText();
    dlg->reject();
  });
  EXPECT_TRUE(ComparerAvec(fenetre_.Document(), QString::fromStdString(chemin), rapport_, &fenetre_));
  EXPECT_TRUE(page.contains(QStringLiteral("No difference beyond the tolerances."))) << page.toStdString();

  EXPECT_FALSE(ComparerAvec(fenetre_.Document(), QString::fromStdString(dir_.file("none.dat")), rapport_, &fenetre_));
  ASSERT_EQ(rapport_.boites.size(), 1u);
  EXPECT_EQ(rapport_.boites[0].second, brv::IconeMessage::Erreur);
}

TEST_F(MainWindowFiles, ARefusedFileLeavesTheOpenCaptureShown) {
  const std::string chemin = Echantillon("c.dat", 300);
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  ASSERT_TRUE(test::attend([&] { return !fenetre_.Tache()->EnCours(); }, 10000));
  rapport_.boites.clear();
  const std::string faux = dir_.file("faux.dat");
  test::write_bytes(faux, std::vector<uint8_t>(88, 0));
  EXPECT_FALSE(fenetre_.OuvreCapture(QString::fromStdString(faux)));
  ASSERT_EQ(rapport_.boites.size(), 1u);
  EXPECT_EQ(rapport_.boites[0].first, "Acquisition file invalid.");
  EXPECT_EQ(rapport_.boites[0].second, brv::IconeMessage::Erreur);
  EXPECT_EQ(fenetre_.Liste()->NombreLignes(), 300u);
  EXPECT_EQ(fenetre_.windowTitle(), QStringLiteral("c.dat - Brenvale"));
}

TEST_F(MainWindowFiles, ViewsShownFromTheDisplayMenuAreKept) {
  fenetre_.Action(Commande::VueErreurs)->setChecked(false);
  EXPECT_FALSE(fenetre_.VueErreurs()->isVisible());
  EXPECT_TRUE(fenetre_.VueReseau()->isVisible());
  ASSERT_TRUE(fenetre_.close());
  QSettings s(QStringLiteral("Quorvane"), QStringLiteral("Brenvale"));
  EXPECT_EQ(s.value(QStringLiteral("SplitterWnd/Views")).toString(), QStringLiteral("1 0 1 1"));
  s.remove(QStringLiteral("SplitterWnd/Views"));
}

TEST_F(MainWindowFiles, ClosingDuringTheReadingStopsItFirst) {
  const std::string chemin = Echantillon("gros.dat", 1500000);
  ASSERT_TRUE(fenetre_.OuvreCapture(QString::fromStdString(chemin)));
  ASSERT_TRUE(fenetre_.Tache()->EnCours());
  EXPECT_FALSE(fenetre_.close());  // refused until the task has ended
  ASSERT_TRUE(test::attend([&] { return !fenetre_.isVisible(); }, 10000));
  EXPECT_FALSE(fenetre_.Tache()->EnCours());
  // Stopped early, unless the machine read the whole capture first.
  EXPECT_TRUE(Lignes(QStringLiteral("Re-calculation terminated by user.")) ||
              fenetre_.Liste()->NombreLignes() == 1500000u);
}

}  // namespace
}  // namespace brv::ui
