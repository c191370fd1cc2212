// The main window's menus, keys and enabled states, against the menu bar as the user sees it.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "shell/main_window.h"
#include "shell/qt_reporter.h"

namespace brv::ui {
namespace {

QAction* Trouve(QMenuBar* barre, const QString& menu, const QString& sousMenu, const QString& texte) {
  for (QAction* m : barre->actions()) {
    if (m->text() != menu || m->menu() == nullptr) continue;
    QMenu* cible = m->menu();
    if (!sousMenu.isEmpty()) {
      cible = nullptr;
      for (QAction* s : m->menu()->actions()) {
        if (s->text() == sousMenu) cible = s->menu();
      }
      if (cible == nullptr) return nullptr;
    }
    for (QAction* a : cible->actions()) {
      if (a->text() == texte) return a;
    }
  }
  return nullptr;
}

EtatApplication HorsLigne() {
  EtatApplication e;
  e.horsLigne = true;
  return e;
}

struct ItemAttendu {
  const char* menu;
  const char* sousMenu;
  const char* texte;
  const char* touche;
  bool actifSansCapture;  // offline, nothing open
};

const ItemAttendu kItems[] = {
    {"&File", "New", "Configuration", "Shift+N", true},
    {"&File", "Open", "Acquisition...", "Ctrl+O", true},
    {"&File", "Open", "Configuration...", "Shift+O", true},
    {"&File", "Open", "User data...", "", true},
    {"&File", "Save", "Acquisition", "Ctrl+S", false},
    {"&File", "Save", "Configuration", "Shift+S", true},
    {"&File", "Save As", "Acquisition...", "", false},
    {"&File", "Save As", "Configuration...", "", true},
    {"&File", "", "Export to...", "Ctrl+E", false},
    {"&File", "", "Compare with...", "", false},
    {"&File", "", "&Exit", "Ctrl+Q", true},
    {"&Configuration", "", "Acquisition...", "", true},
    {"&Configuration", "", "Display...", "", true},
    {"&Acquisition", "", "Free run", "Ctrl+R", false},
    {"&Acquisition", "", "Triggered", "Ctrl+T", false},
    {"&Acquisition", "", "Statistics...", "", false},
    {"&Acquisition", "", "Frame detail...", "", false},
    {"&Acquisition", "", "Goto...", "Ctrl+F", false},
    {"&Display", "", "Toolbar", "", true},
    {"&Display", "", "Status Bar", "", true},
    {"&Display", "", "Network configuration", "", true},
    {"&Display", "", "Error counters", "", true},
    {"&Display", "", "Data rate chart", "", true},
    {"&Display", "", "Data rate meters", "", true},
    {"&Display", "", "Timing...", "", false},
    {"&Help", "", "Help Topics", "F1", true},
    {"&Help", "", "About Brenvale...", "", true},
};

TEST(MainWindowMenus, EveryItemWithItsKeyAndState) {
  CRapportQt rapport;
  CMainFrame fenetre(rapport, HorsLigne());
  int n = 0;
  for (const ItemAttendu& i : kItems) {
    SCOPED_TRACE(std::string(i.menu) + " > " + i.sousMenu + " > " + i.texte);
    QAction* a = Trouve(fenetre.menuBar(), QString::fromUtf8(i.menu), QString::fromUtf8(i.sousMenu),
                        QString::fromUtf8(i.texte));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->shortcut().toString().toStdString(), i.touche);
    EXPECT_EQ(a->isEnabled(), i.actifSansCapture);
    ++n;
  }
  EXPECT_EQ(n, static_cast<int>(kNbCommandes));
  // The recent files list sits in the Open menu.
  EXPECT_NE(fenetre.MenuRecents(), nullptr);
  EXPECT_EQ(fenetre.windowTitle(), QStringLiteral("Brenvale"));
}

TEST(MainWindowMenus, OfflineSaysWhyAcquisitionIsDisabled) {
  CRapportQt rapport;
  CMainFrame fenetre(rapport, HorsLigne());
  EXPECT_TRUE(fenetre.Action(Commande::AcquisitionLibre)->toolTip().contains(QStringLiteral("--offline")));
}

// The enabled state of the commands that depend on the capture, by program state.
TEST(Commands, EnabledByProgramState) {
  struct Cas {
    EtatProgramme etat;
    Commande commande;
    bool actif;
  };
  const EtatProgramme rien{};
  const EtatProgramme ouverte{.captureOuverte = true, .lignes = true};
  const EtatProgramme choisie{.captureOuverte = true, .lignes = true, .selection = true};
  const EtatProgramme lecture{.captureOuverte = true, .lignes = true, .selection = true, .tacheEnCours = true};
  const Cas cas[] = {
      {rien, Commande::EnregistrerAcquisition, false},   {ouverte, Commande::EnregistrerAcquisition, true},
      {lecture, Commande::EnregistrerAcquisition, false}, {rien, Commande::Goto, false},
      {ouverte, Commande::Goto, true},                    {lecture, Commande::Goto, false},
      {ouverte, Commande::DetailTrame, false},            {choisie, Commande::DetailTrame, true},
      {lecture, Commande::DetailTrame, true},             {lecture, Commande::OuvrirAcquisition, false},
      {lecture, Commande::Quitter, true},                 {rien, Commande::OuvrirAcquisition, true},
      {rien, Commande::Exporter, false},                  {ouverte, Commande::Exporter, true},
      {lecture, Commande::Exporter, false},
      // Shown read-only while a task runs.
      {lecture, Commande::ConfigurationAcquisition, true}, {rien, Commande::ConfigurationAffichage, true},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(static_cast<int>(c.commande));
    const EtatCommande e = EtatDe(c.commande, c.etat);
    EXPECT_EQ(e.actif, c.actif);
    if (!e.actif) {
      EXPECT_NE(e.pourquoi, nullptr);
    }
  }
}

}  // namespace
}  // namespace brv::ui
