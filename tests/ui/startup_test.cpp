// Start-up: the command line, the card selection before any window, and nothing written to the
// settings when the user cancels it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

#include "shell/application.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/qt_reporter.h"
#include "ftd2xx/virtual_device.h"
#include "simcard/scenario.h"
#include "simcard/simcard.h"

namespace brv::ui {
namespace {

TEST(CommandLine, OptionsAndCapture) {
  const struct {
    QStringList args;
    std::optional<QString> simulation;
    bool horsLigne;
    QString fichier;
    bool erreur;
  } cas[] = {
      {{"brenvale"}, std::nullopt, false, "", false},
      {{"brenvale", "--simulate"}, QString("demo"), false, "", false},
      {{"brenvale", "--simulate=busy.json", "c.dat"}, QString("busy.json"), false, "c.dat", false},
      {{"brenvale", "--offline", "c.dat"}, std::nullopt, true, "c.dat", false},
      {{"brenvale", "--", "-odd.dat"}, std::nullopt, false, "-odd.dat", false},
      {{"brenvale", "--bogus"}, std::nullopt, false, "", true},
      {{"brenvale", "a.dat", "b.dat"}, std::nullopt, false, "a.dat", true},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const LigneCommande l = AnalyseLigneCommande(c.args);
    EXPECT_EQ(l.simulation, c.simulation);
    EXPECT_EQ(l.horsLigne, c.horsLigne);
    EXPECT_EQ(l.fichier, c.fichier);
    EXPECT_EQ(!l.erreur.isEmpty(), c.erreur);
  }
  // A configuration goes beside the capture, whichever comes first.
  const LigneCommande l = AnalyseLigneCommande({"brenvale", "c.dat", "Setup.CFG"});
  EXPECT_EQ(l.configuration, QStringLiteral("Setup.CFG"));
  EXPECT_EQ(l.fichier, QStringLiteral("c.dat"));
  EXPECT_TRUE(l.erreur.isEmpty());
  EXPECT_FALSE(AnalyseLigneCommande({"brenvale", "a.cfg", "b.cfg"}).erreur.isEmpty());
}

TEST(CommandLine, HelpAndVersionAnswerWithoutAWindow) {
  const struct {
    QStringList args;
    std::optional<int> code;
  } cas[] = {
      {{"brenvale", "--version"}, 0},
      {{"brenvale", "c.dat", "--help"}, 0},
      // Before QApplication takes its own options out, they read as unknown: help still answers.
      {{"brenvale", "-platform", "offscreen", "-h"}, 0},
      {{"brenvale", "--bogus"}, 2},
      {{"brenvale", "c.dat"}, std::nullopt},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    EXPECT_EQ(RepondSansFenetre(AnalyseLigneCommande(c.args)), c.code);
  }
}

// Settings written under a private folder for the length of one test.
class ReglagesPrives {
 public:
  ReglagesPrives() : ancien_(qgetenv("XDG_CONFIG_HOME")) { qputenv("XDG_CONFIG_HOME", dossier_.path().toLocal8Bit()); }
  ~ReglagesPrives() { qputenv("XDG_CONFIG_HOME", ancien_); }
  bool Vide() const { return QDir(dossier_.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty(); }

 private:
  QTemporaryDir dossier_;
  QByteArray ancien_;
};

TEST(Startup, CancelledCardSelectionEndsWithoutWindowOrSettings) {
  ReglagesPrives reglages;
  // A second free card keeps the dialog open until the user answers.
  std::string erreur;
  const auto scenario = simcard::resolve_scenario("demo", erreur);
  ASSERT_TRUE(scenario) << erreur;
  auto autre = simcard::register_simulated_card(*scenario);
  LigneCommande ligne;
  ligne.simulation = QStringLiteral("demo");
  bool vu = false;
  QTimer::singleShot(200, [&vu] {
    if (QWidget* dlg = QApplication::activeModalWidget()) {
      vu = true;
      dlg->close();
    }
  });
  CRapportQt rapport;
  Demarrage d = Demarre(ligne, rapport);
  ftd2xx::unregister_virtual_device(autre);
  EXPECT_TRUE(vu);
  EXPECT_EQ(d.fenetre, nullptr);
  EXPECT_TRUE(reglages.Vide());
}

TEST(Startup, OneSimulatedCardGoesStraightToTheWindow) {
  ReglagesPrives reglages;
  LigneCommande ligne;
  ligne.simulation = QStringLiteral("demo");
  CRapportQt rapport;
  Demarrage d = Demarre(ligne, rapport);
  ASSERT_NE(d.fenetre, nullptr);
  EXPECT_TRUE(d.fenetre->isVisible());
  EXPECT_TRUE(d.fenetre->Application().carte.has_value());
  EXPECT_FALSE(d.fenetre->Application().horsLigne);
}

TEST(Startup, OfflineSkipsTheCardSelection) {
  ReglagesPrives reglages;
  LigneCommande ligne;
  ligne.horsLigne = true;
  CRapportQt rapport;
  Demarrage d = Demarre(ligne, rapport);
  ASSERT_NE(d.fenetre, nullptr);
  EXPECT_FALSE(d.fenetre->Application().carte.has_value());
  EXPECT_FALSE(d.fenetre->Action(Commande::AcquisitionLibre)->isEnabled());
}

}  // namespace
}  // namespace brv::ui
