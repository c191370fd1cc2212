// The "Export to" dialog: its choices kept under "ExportTxt", the controls a capture without a
// selection offers, and the writing from its worker thread.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressDialog>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <fstream>

#include "capture_fixture.h"
#include "dialogs/export_dialog.h"
#include "dialogs/export_run.h"
#include "shell/settings.h"

namespace brv::ui {
namespace {

TEST(ExportSettings, WrittenAndReadBackUnderExportTxt) {
  QTemporaryDir dossier;
  const QString fichier = dossier.filePath(QStringLiteral("brenvale.conf"));
  const struct {
    const char* separateur;
    uint32_t format, trames;
  } cas[] = {{" | ", EXPORT_TABLEUR, TRAMES_SELECTION}, {"\t", EXPORT_TRAITEMENT_TEXTE, TRAMES_AUCUNE}};
  for (const auto& c : cas) {
    SCOPED_TRACE(c.separateur);
    PARAM_EXPORT p;
    p.ulFormat = c.format;
    p.bOuvrirTableur = 1;
    p.bUtiliseSeparateur = 1;
    p.separateur = c.separateur;
    p.bReseau = 0;
    p.ulTrames = c.trames;
    p.ulContenu = 1;
    {
      QSettings s(fichier, QSettings::IniFormat);
      SauveChoixExport(s, p);
    }
    // Read back from the file, by another settings object.
    QSettings s(fichier, QSettings::IniFormat);
    EXPECT_EQ(s.value(QStringLiteral("ExportTxt/FileFormat")).toString(), QStringLiteral("%1 0 1 1").arg(c.format));
    EXPECT_EQ(s.value(QStringLiteral("ExportTxt/Separ")).toString(), QString::fromLatin1(c.separateur));
    EXPECT_EQ(s.value(QStringLiteral("ExportTxt/Elements")).toString(), QStringLiteral("1 1 0 1 1"));
    EXPECT_EQ(s.value(QStringLiteral("ExportTxt/Frames")).toString(), QStringLiteral("%1 1").arg(c.trames));
    const PARAM_EXPORT l = LitChoixExport(s);
    EXPECT_EQ(EcritReglagesExport(l), EcritReglagesExport(p));
  }
  QSettings vide(dossier.filePath(QStringLiteral("vide.conf")), QSettings::IniFormat);
  EXPECT_EQ(EcritReglagesExport(LitChoixExport(vide)), EcritReglagesExport(PARAM_EXPORT{}));
}

TEST(ExportDialog, WithoutASelectionAllIsChosenAndSelectionDisabled) {
  PARAM_EXPORT memorise;
  memorise.ulTrames = TRAMES_SELECTION;
  memorise.bOuvrirTraitementTexte = 1;
  memorise.bUtiliseSeparateur = 1;
  memorise.separateur = ";";
  DisponibiliteExport d;
  d.programmes = {false, true};  // no handler for text files
  d.reseau = true;
  d.etatTrames = ETAT_SANS_SELECTION;
  CExportDlg dlg(memorise, d);
  dlg.show();
  const auto radio = [&](const char* nom) { return dlg.findChild<QRadioButton*>(QString::fromLatin1(nom)); };
  const auto coche = [&](const char* nom) { return dlg.findChild<QCheckBox*>(QString::fromLatin1(nom)); };
  ASSERT_NE(radio("selection"), nullptr);
  EXPECT_FALSE(radio("selection")->isEnabled());
  EXPECT_TRUE(radio("toutes")->isEnabled());
  EXPECT_TRUE(radio("toutes")->isChecked());
  EXPECT_TRUE(radio("aucune")->isEnabled());
  EXPECT_TRUE(radio("brut")->isEnabled());
  EXPECT_TRUE(coche("reseau")->isEnabled());
  EXPECT_FALSE(coche("debits")->isEnabled());
  EXPECT_FALSE(coche("debits")->isChecked());
  EXPECT_FALSE(coche("ouvrirTraitementTexte")->isEnabled());
  EXPECT_FALSE(coche("ouvrirTraitementTexte")->isChecked());
  // The separator belongs to the spreadsheet format.
  EXPECT_FALSE(coche("utiliseSeparateur")->isEnabled());
  radio("tableur")->click();
  EXPECT_TRUE(coche("utiliseSeparateur")->isEnabled());
  EXPECT_TRUE(coche("ouvrirTableur")->isEnabled());
  EXPECT_TRUE(dlg.findChild<QLineEdit*>(QStringLiteral("separateur"))->isEnabled());
  // "None" leaves nothing to interpret.
  radio("aucune")->click();
  EXPECT_FALSE(radio("brut")->isEnabled());
  const PARAM_EXPORT c = dlg.Choix();
  EXPECT_EQ(c.ulFormat, EXPORT_TABLEUR);
  EXPECT_EQ(c.ulTrames, TRAMES_AUCUNE);
  EXPECT_EQ(c.separateur, ";");
}

TEST(ExportRun, WritesTheWholeFileFromAWorkerThread) {
  test::CaptureUi capture;
  std::vector<test::TestRecord> recs;
  for (uint8_t i = 0; i < 50; ++i) recs.push_back({i * 1000ULL, test::avec_crc({0x03, 0x01, i}), 0});
  capture.lineaire(recs, vandrel::BT_ZIZA_BI);
  QWidget fenetre;
  DemandeExport demande;
  demande.p.bInformation = demande.p.bErreurs = demande.p.bReseau = demande.p.bDebits = demande.p.bStatistiques = 0;
  demande.premiere = 5;
  demande.derniere = 44;
  const std::string chemin = capture.dir.file("brv.txt");
  const ResultatExport r =
      EcritExport(chemin, demande, SourceExport{capture.doc, capture.fichier, {}, nullptr, nullptr}, &fenetre);
  ASSERT_EQ(r.etat, ResultatExport::Ok) << r.message;
  EXPECT_EQ(r.lignes, 40u);
  std::ifstream in(chemin);
  int lignes = 0;
  for (std::string l; std::getline(in, l);) ++lignes;
  EXPECT_EQ(lignes, 42);  // the title, the header and the rows
  EXPECT_EQ(fenetre.findChild<QProgressDialog*>(), nullptr);
}

}  // namespace
}  // namespace brv::ui
