// The definition editor's windows: a picker's OK refills the definition dialog, a full list opens
// nothing on "Add...", and a definition copied in one list pastes into another.

#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <string>
#include <vector>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_rules.h"
#include "brv_core/definitions/definition_table.h"
#include "brv_core/file/config_file.h"
#include "dialogs/definition_dialog.h"
#include "dialogs/definition_list.h"
#include "dialogs/pickers/com_picker.h"
#include "dialogs/pickers/identification_picker.h"
#include "dialogs/pickers/picker_dialog.h"
#include "dialogs/pickers/telegram_picker.h"
#include "dialogs/pickers/unite_picker.h"

namespace brv::ui {
namespace {

template <typename T>
T* Enfant(const QWidget& w, const char* nom) {
  T* e = w.findChild<T*>(QLatin1String(nom));
  EXPECT_NE(e, nullptr) << nom;
  return e;
}

// Runs `quand` on the next modal window to appear while `action` runs; a window left open by
// `quand` is closed so that the test never waits for a user. Answers how many windows appeared.
int SurModale(const std::function<void()>& action, const std::function<void(QWidget&)>& quand) {
  int vues = 0;
  QTimer garde;
  QObject::connect(&garde, &QTimer::timeout, [&] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      ++vues;
      quand(*w);
      if (w->isVisible()) w->close();
    }
  });
  garde.start(0);
  action();
  return vues;
}

TEST(DefinitionEditor, APickersOkRefillsTheDialog) {
  const struct {
    const char* bouton;
    std::function<void(QWidget&)> choisit;
    QStringList positions;
    const char* type;
    const char* identifiant;
    bool dissocierCoche, dissocierActif;
  } cas[] = {
      {"unite",
       [](QWidget& p) {
         Enfant<QListWidget>(p, "requetes")->setCurrentRow(2);  // READ_CPU
         Enfant<QComboBox>(p, "source")->setCurrentText(QStringLiteral("3"));
       },
       {"0", "8", "32", "40", "56", "96", "112"}, "RP_MSG_ACK even", "4F50", false, false},
      // The station's common words and identification go with their answer: the option is locked.
      {"motsCom", [](QWidget& p) { Enfant<QComboBox>(p, "station")->setCurrentText(QStringLiteral("30")); },
       {"0", "8"}, "ID_DAT", "0050", true, false},
      {"identification",
       [](QWidget& p) {
         Enfant<QComboBox>(p, "station")->setCurrentText(QStringLiteral("5"));
         Enfant<QRadioButton>(p, "identification")->setChecked(true);
       },
       {"0", "8"}, "ID_DAT", "0050", true, false},
      {"telegrammes", [](QWidget& p) { Enfant<QComboBox>(p, "source")->setCurrentText(QStringLiteral("4")); },
       {"0", "8"}, "ID_MSG", "0051", true, true},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.bouton);
    DEFINITION_TRAME avant = NouvelleDefinition();
    avant.champs.resize(9);  // replaced, never added to
    CDefTrameEvtDlg dlg(JeuDefinitions::Filtre, TableDefinitions{}, -1, avant);
    const int vues = SurModale([&] { Enfant<QPushButton>(dlg, c.bouton)->click(); },
                               [&](QWidget& w) {
                                 auto* selecteur = qobject_cast<CSelecteurDlg*>(&w);
                                 ASSERT_NE(selecteur, nullptr);
                                 c.choisit(w);
                                 selecteur->accept();
                               });
    EXPECT_EQ(vues, 1);
    const QTreeWidget* champs = Enfant<QTreeWidget>(dlg, "champs");
    QStringList positions;
    for (int i = 0; i < champs->topLevelItemCount(); ++i) positions << champs->topLevelItem(i)->text(0);
    EXPECT_EQ(positions, c.positions);
    EXPECT_EQ(Enfant<QComboBox>(dlg, "type")->currentText(), c.type);
    EXPECT_EQ(Enfant<QLineEdit>(dlg, "identifiant")->text(), c.identifiant);
    const QCheckBox* dissocier = Enfant<QCheckBox>(dlg, "dissocier");
    EXPECT_EQ(dissocier->isChecked(), c.dissocierCoche);
    EXPECT_EQ(dissocier->isEnabled(), c.dissocierActif);

    Enfant<QLineEdit>(dlg, "nom")->setText(QStringLiteral("Picked"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(NomDefinition(dlg.Definition()), "Picked");
    EXPECT_EQ(dlg.Definition().champs.size(), static_cast<size_t>(c.positions.size()));
    EXPECT_EQ(dlg.Definition().bNePasDissocierRP, c.dissocierCoche ? 1u : 0u);
  }
}

TEST(DefinitionEditor, PickersStartWithTheirDefaultsAndLinkTheirBoxes) {
  DEFINITION_TRAME d;
  CuniTEConfDial unite(d);
  CTelegram telegrammes(d);
  CIdfStationsDlg identification(d);
  CCOMDialDlg motsCom(d);
  EXPECT_EQ(unite.windowTitle(), "UNI-TE Requests");
  EXPECT_EQ(telegrammes.windowTitle(), "Telegrams");
  EXPECT_EQ(identification.windowTitle(), "Stations  Identification variables");
  EXPECT_EQ(motsCom.windowTitle(), "COM Words");
  EXPECT_TRUE(Enfant<QCheckBox>(unite, "requete")->isChecked());
  EXPECT_TRUE(Enfant<QRadioButton>(identification, "presence")->isChecked());
  EXPECT_EQ(Enfant<QComboBox>(unite, "source")->count(), 65);  // a blank, then 0 to 63
  EXPECT_EQ(Enfant<QComboBox>(motsCom, "station")->count(), 32);

  for (QWidget* w : {static_cast<QWidget*>(&unite), static_cast<QWidget*>(&telegrammes)}) {
    auto* paires = Enfant<QCheckBox>(*w, "paires");
    auto* impaires = Enfant<QCheckBox>(*w, "impaires");
    EXPECT_EQ(paires->isChecked(), w == &unite);
    impaires->setChecked(true);
    EXPECT_FALSE(paires->isChecked());
    paires->setChecked(true);
    EXPECT_FALSE(impaires->isChecked());
    paires->setChecked(false);
    EXPECT_FALSE(impaires->isChecked());  // both may stay clear
  }

  // Only the telegrams themselves have a destination and a parity.
  auto* option = Enfant<QCheckBox>(telegrammes, "option");
  for (const bool coche : {false, true, false}) {
    option->setChecked(coche);
    EXPECT_EQ(Enfant<QComboBox>(telegrammes, "destination")->isEnabled(), coche);
    EXPECT_EQ(Enfant<QCheckBox>(telegrammes, "paires")->isEnabled(), coche);
    EXPECT_EQ(Enfant<QCheckBox>(telegrammes, "impaires")->isEnabled(), coche);
    EXPECT_TRUE(Enfant<QComboBox>(telegrammes, "source")->isEnabled());
  }
}

// The core's checks reach the user as message boxes: refusals with the error icon, questions
// with the warning icon whose No keeps the list as it was.
TEST(DefinitionEditor, BitFieldEditorAndOkAnswerThroughMessageBoxes) {
  const struct {
    const char* cas;
    uint8_t type;
    const char* position;
    const char* longueur;
    const char* valeur;
    int interpretation;
    QMessageBox::StandardButton reponse;
    QMessageBox::Icon icone;  // NoIcon: no box
    int lignes;
    const char* valeurMontree;
  } cas[] = {
      {"control byte", 0x02, "0", "8", "1", INTERP_HEXA, QMessageBox::Ok, QMessageBox::Critical, 0, "1"},
      {"beyond the frame, No", 0x02, "1040", "16", "1", INTERP_HEXA, QMessageBox::No, QMessageBox::Warning, 0, "1"},
      {"beyond the frame, Yes", 0x02, "1040", "16", "1", INTERP_HEXA, QMessageBox::Yes, QMessageBox::Warning, 1, "1"},
      {"binary on a user frame", 0, "0", "8", "10102", INTERP_BINAIRE, QMessageBox::Ok, QMessageBox::NoIcon, 1, "1010"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.cas);
    DEFINITION_TRAME d = NouvelleDefinition();
    d.ucTypeTrame = c.type;
    CDefTrameEvtDlg dlg(JeuDefinitions::Evenement, TableDefinitions{}, -1, d);
    Enfant<QLineEdit>(dlg, "position")->setText(QLatin1String(c.position));
    Enfant<QLineEdit>(dlg, "longueur")->setText(QLatin1String(c.longueur));
    Enfant<QComboBox>(dlg, "operation")->setCurrentIndex(OP_EGAL);
    Enfant<QLineEdit>(dlg, "valeur")->setText(QLatin1String(c.valeur));
    dlg.findChild<QButtonGroup*>(QStringLiteral("interpretation"))->button(c.interpretation)->setChecked(true);
    dlg.findChild<QButtonGroup*>(QStringLiteral("signe"))->button(0)->setChecked(true);
    QMessageBox::Icon icone = QMessageBox::NoIcon;
    SurModale([&] { Enfant<QPushButton>(dlg, "ajouterChamp")->click(); },
              [&](QWidget& w) {
                auto* boite = qobject_cast<QMessageBox*>(&w);
                ASSERT_NE(boite, nullptr);
                icone = boite->icon();
                boite->button(c.reponse)->click();
              });
    EXPECT_EQ(icone, c.icone);
    EXPECT_EQ(Enfant<QTreeWidget>(dlg, "champs")->topLevelItemCount(), c.lignes);
    EXPECT_EQ(Enfant<QLineEdit>(dlg, "valeur")->text(), c.valeurMontree);
  }

  TableDefinitions liste;
  DEFINITION_TRAME prise = NouvelleDefinition();
  DefinitNom(prise, "Taken");
  AjouteDefinition(liste, prise);
  CDefTrameEvtDlg dlg(JeuDefinitions::Evenement, liste, -1, NouvelleDefinition());
  Enfant<QLineEdit>(dlg, "nom")->setText(QStringLiteral("TAKEN"));
  QString message;
  SurModale([&] { dlg.accept(); },
            [&](QWidget& w) {
              auto* boite = qobject_cast<QMessageBox*>(&w);
              ASSERT_NE(boite, nullptr);
              EXPECT_EQ(boite->icon(), QMessageBox::Critical);
              message = boite->text();
            });
  EXPECT_EQ(message, "This frame name already exists.\nPlease define another one.");
  EXPECT_NE(dlg.result(), QDialog::Accepted);
}

TableDefinitions Table(size_t nb, const char* prefixe) {
  TableDefinitions t;
  for (size_t i = 0; i < nb; ++i) {
    DEFINITION_TRAME d = NouvelleDefinition();
    DefinitNom(d, prefixe + std::to_string(i));
    AjouteDefinition(t, d);
  }
  return t;
}

TEST(DefinitionEditor, AddOpensTheDialogOnlyBelowTheLimit) {
  for (const size_t nb : {kNbDefinitionsMax - 1, kNbDefinitionsMax}) {
    SCOPED_TRACE(nb);
    CListeDefinitions liste(JeuDefinitions::Evenement);
    liste.Definit(Table(nb, "Event "));
    int modifiee = 0;
    QObject::connect(&liste, &CListeDefinitions::Modifiee, [&] { ++modifiee; });
    const int vues = SurModale([&] { Enfant<QPushButton>(liste, "ajouter")->click(); }, [](QWidget&) {});
    EXPECT_EQ(vues, nb < kNbDefinitionsMax ? 1 : 0);
    EXPECT_EQ(liste.Table(), Table(nb, "Event "));
    EXPECT_EQ(modifiee, 0);
  }
}

TEST(DefinitionEditor, CopyInOneListPastesIntoAnother) {
  TableDefinitions declenchement = Table(2, "Frame ");
  DEFINITION_TRAME& copiee = declenchement.defs[1];
  copiee.ucTypeTrame = 0x03;
  copiee.usIdentifiant = 0x1405;
  copiee.champs.resize(2);
  copiee.champs[1].usPosition = 8;
  copiee.champs[1].ucLongueur = 16;
  copiee.champs[1].ullValeur = 0x1405;
  DEFINITION_TRAME autre = NouvelleDefinition();
  DefinitNom(autre, "From elsewhere");

  const struct {
    const char* cas;
    std::function<void()> entre;  // what happens to the clipboard between Copy and Paste
    const DEFINITION_TRAME& attendue;
    const char* nom;
  } cas[] = {
      {"through the clipboard", [] {}, copiee, "Frame 1 (2)"},
      {"another window's copy",
       [&] {
         const std::vector<uint8_t> octets = EcrireDefinitionSeule(autre);
         auto* donnees = new QMimeData;
         donnees->setData(QLatin1String(kMimeDefinition),
                          QByteArray(reinterpret_cast<const char*>(octets.data()), static_cast<qsizetype>(octets.size())));
         QApplication::clipboard()->setMimeData(donnees);
       },
       autre, "From elsewhere"},
      {"clipboard emptied: the list's own copy", [] { QApplication::clipboard()->clear(); }, copiee, "Frame 1 (2)"},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.cas);
    CListeDefinitions source(JeuDefinitions::Declenchement);
    source.Definit(declenchement);
    CListeDefinitions cible(JeuDefinitions::Filtre);
    cible.Definit(Table(2, "Frame "));
    int modifiee = 0;
    QObject::connect(&cible, &CListeDefinitions::Modifiee, [&] { ++modifiee; });

    auto* lignes = Enfant<QTreeWidget>(source, "definitions");
    lignes->setCurrentItem(lignes->topLevelItem(1));
    Enfant<QPushButton>(source, "copier")->click();
    c.entre();
    Enfant<QPushButton>(cible, "coller")->click();

    ASSERT_EQ(cible.Table().nb, 3);
    const DEFINITION_TRAME& collee = cible.Table().defs[2];
    EXPECT_EQ(NomDefinition(collee), c.nom);
    EXPECT_EQ(collee.champs, c.attendue.champs);
    EXPECT_EQ(collee.usIdentifiant, c.attendue.usIdentifiant);
    EXPECT_EQ(collee.ucTypeTrame, c.attendue.ucTypeTrame);
    EXPECT_EQ(modifiee, 1);
    EXPECT_EQ(Enfant<QTreeWidget>(cible, "definitions")->topLevelItem(2)->checkState(0), Qt::Checked);
    EXPECT_EQ(source.Table(), declenchement);
  }
}

}  // namespace
}  // namespace brv::ui
