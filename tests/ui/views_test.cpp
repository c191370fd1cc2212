// The analysis views and the statistics dialog show what a snapshot of figures holds.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>

#include <string>
#include <vector>

#include "brv_core/analysis/network_config.h"
#include "dialogs/statistics_dialog.h"
#include "views/error_counters_view.h"
#include "views/meters_view.h"
#include "views/network_view.h"

namespace brv::ui {
namespace {

InstantaneVues AvecCompteurs() {
  InstantaneVues v;
  // Distinct values, so that a counter shown on another counter's row is caught.
  for (size_t c = 0; c < kNbCompteursErreur; ++c) v.compteursErreur[c] = 1000 * (c + 1) + c;
  return v;
}

TEST(ErrorCountersView, ShowsEachCounterOnItsRowAndOnlyTheCapturesChannels) {
  struct Cas {
    bool voie1, voie2;
  };
  for (const Cas& cas : {Cas{true, false}, Cas{true, true}, Cas{false, true}}) {
    SCOPED_TRACE(std::to_string(cas.voie1) + std::to_string(cas.voie2));
    CFormViewErreurs vue;
    InstantaneVues v = AvecCompteurs();
    v.voie1 = cas.voie1;
    v.voie2 = cas.voie2;
    vue.Affiche(v);
    for (size_t c = 0; c < kNbCompteursErreur; ++c) {
      EXPECT_EQ(vue.Valeur(CompteurErreur(c)), QString::number(1000 * (c + 1) + c)) << c;
    }
    EXPECT_EQ(vue.LigneMontree(ERR_TX_VOIE1), cas.voie1);
    EXPECT_EQ(vue.LigneMontree(ERR_TX_VOIE2), cas.voie2);
    EXPECT_TRUE(vue.LigneMontree(ERR_INTERRUPTION_TRAFIC));
    EXPECT_TRUE(vue.LigneMontree(ERR_GLITCH));
    vue.Vide();
    EXPECT_TRUE(vue.Valeur(ERR_CRC).isEmpty());
  }
}

TEST(ErrorCountersView, Labels) {
  CFormViewErreurs vue;
  const std::pair<CompteurErreur, const char*> cas[] = {
      {ERR_TRAMES_ERRONEES, "FIP Errors - Frame Decoding - Total : "},
      {ERR_PHYSIQUES, "FIP Errors - Physical Layer - Total : "},
      {ERR_CONTROLE_INCONNU, "Control - unknown"},
      {ERR_TROP_COURTE, "Data - too short"},
      {ERR_TROP_LONGUE, "too long"},
      {ERR_LONGUEUR_INVALIDE, "undefined size"},
      {ERR_CRC, "CRC - erroneous"},
      {ERR_DELIMITEUR, "FSD"},
      {ERR_INTERRUPTION_PC, "Computer Errors - Acquisition interruptions"},
      {ERR_TX_VOIE1, "TxErr1"},
      {ERR_TX_VOIE2, "TxErr2"},
      {ERR_GLITCH, "PRE"},
  };
  for (const auto& [c, libelle] : cas) EXPECT_EQ(vue.Libelle(c).toStdString(), libelle);
}

TEST(MetersView, ShowsTheLastPoint) {
  struct Cas {
    std::vector<PointDebit> points;
    const char* temps;
    const char* textes[3];
    int jauges[3];
  };
  const Cas cas[] = {
      {{{1'000'000'000, 1, 2, 3, 0}, {90'000'000'000'000, 12.345678f, 100.0f, 0.000123f, 0}},
       "1d 1h 0.00mn",
       {"12.35", "100", "0.000123"},
       {1235, 10000, 0}},
      // Out-of-range loads pin the gauges; their text still says what was computed.
      {{{0, 150.0f, -2.0f, 1e-5f, 0}}, "0µs", {"150", "-2", "1e-05"}, {10000, 0, 0}},
      {{}, "", {"", "", ""}, {0, 0, 0}},
  };
  CFormViewJauges vue;
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.temps);
    InstantaneVues v;
    v.points = c.points;
    vue.Affiche(v);
    EXPECT_EQ(vue.TexteTemps().toStdString(), c.temps);
    for (int k = 0; k < CFormViewJauges::kNbCharges; ++k) {
      const auto charge = CFormViewJauges::Charge(k);
      EXPECT_EQ(vue.TexteCharge(charge).toStdString(), c.textes[k]) << k;
      EXPECT_EQ(vue.Jauge(charge)->value(), c.jauges[k]) << k;
    }
  }
}

// A present, a missing one with a break, and one not called at the reference date 1 ms.
InstantaneVues TroisIdentifiants() {
  CConfigReseau reseau;
  reseau.EnregistreAppel(0x0010, 900'000, true);
  reseau.EnregistreAppel(0x0020, 800'000, true);
  reseau.EnregistreAppel(0x0020, 950'000, false);
  reseau.EnregistreAppel(0x0030, 0, true);
  InstantaneVues v;
  v.reseau = reseau.Table();
  v.referenceReseauNs = 1'000'000;
  v.ullDelaiPresenceNs = 500'000;
  return v;
}

TEST(NetworkView, StatesImagesAndLostAnswers) {
  CTreeViewConfigRes vue;
  vue.Affiche(TroisIdentifiants());
  ASSERT_EQ(vue.topLevelItemCount(), 1);
  QTreeWidgetItem* racine = vue.Racine();
  EXPECT_EQ(racine->text(0).toStdString(), TexteRacineReseau(1'000'000));
  EXPECT_TRUE(racine->isExpanded());
  struct Attendu {
    const char* texte;
    int image;
  };
  const Attendu attendus[] = {{"0010", 1}, {"0020  -  Lost answers 1 / 2", 4}, {"0030", 5}};
  ASSERT_EQ(racine->childCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const QTreeWidgetItem* item = racine->child(i);
    EXPECT_EQ(item->text(0).toStdString(), attendus[i].texte);
    EXPECT_EQ(item->data(0, CTreeViewConfigRes::kRoleImage).toInt(), attendus[i].image);
    EXPECT_EQ(item->icon(0).cacheKey(), CTreeViewConfigRes::IconeEtat(attendus[i].image).cacheKey());
  }
}

TEST(NetworkView, SixImagesAllDifferent) {
  std::vector<QImage> images;
  for (int image = 1; image <= 6; ++image) {
    images.push_back(CTreeViewConfigRes::IconeEtat(image).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32));
    ASSERT_FALSE(images.back().isNull()) << image;
  }
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i + 1 << " " << j + 1;
  }
  EXPECT_TRUE(CTreeViewConfigRes::IconeEtat(0).isNull());
  EXPECT_TRUE(CTreeViewConfigRes::IconeEtat(7).isNull());
}

TEST(NetworkView, ARefreshKeepsItemsOpeningAndScroll) {
  CConfigReseau reseau;
  for (uint16_t id = 0; id < 400; id += 2) reseau.EnregistreAppel(id, 0, true);
  InstantaneVues v;
  v.reseau = reseau.Table();
  v.ullDelaiPresenceNs = 1'000'000;
  CTreeViewConfigRes vue;
  vue.resize(200, 150);
  vue.show();
  vue.Affiche(v);
  QCoreApplication::processEvents();
  QTreeWidgetItem* racine = vue.Racine();
  QTreeWidgetItem* premier = racine->child(0);
  vue.verticalScrollBar()->setValue(40);
  QCoreApplication::processEvents();
  const int defilement = vue.verticalScrollBar()->value();
  ASSERT_GT(defilement, 0);

  // The same identifiers with a later reference date: the items are the same ones, updated.
  v.referenceReseauNs = 2'000'000;
  vue.Affiche(v);
  QCoreApplication::processEvents();
  EXPECT_EQ(vue.Racine(), racine);
  EXPECT_EQ(racine->child(0), premier);
  EXPECT_EQ(premier->data(0, CTreeViewConfigRes::kRoleImage).toInt(), 5);
  EXPECT_EQ(vue.verticalScrollBar()->value(), defilement);

  // The user closed the root: it stays closed; a new identifier takes its place in order, one
  // gone from the table loses its item.
  racine->setExpanded(false);
  reseau.EnregistreAppel(5, 0, false);
  v.reseau = reseau.Table();
  v.reseau.erase(v.reseau.begin());  // identifier 0
  vue.Affiche(v);
  EXPECT_FALSE(racine->isExpanded());
  ASSERT_EQ(racine->childCount(), 200);
  std::vector<std::string> debut;
  for (int i = 0; i < 4; ++i) debut.push_back(racine->child(i)->text(0).toStdString());
  EXPECT_EQ(debut, (std::vector<std::string>{"0002", "0004", "0005  -  Lost answers 1 / 1", "0006"}));

  vue.Vide();
  EXPECT_EQ(vue.topLevelItemCount(), 0);
  EXPECT_EQ(vue.Racine(), nullptr);
}

TEST(StatisticsDialog, ValuesOfASnapshot) {
  InstantaneVues v;
  v.ullNbTramesAcquises = 5'000'000'000ULL;
  v.ulNbTramesAffichables = 4'000'000'000U;
  v.compteursErreur[ERR_TRAMES_ERRONEES] = 17;
  v.ullNbEvenements = 3;
  v.stats.ullTempsTraficNs = 90'000'000'000'000;
  v.stats.fChargeDonnees = 61.254f;
  v.stats.fChargeMessages = 7.5f;
  v.stats.fTauxErreur = 0.004f;
  for (size_t i = 0; i < kNbCompteursType; ++i) v.comptesParType[i] = 100 + i;
  v.bourrage = {true, 0x9080, false};

  CStatistiquesDlg dlg;
  EXPECT_EQ(dlg.windowTitle(), "Statistics");
  EXPECT_TRUE(dlg.isModal());
  dlg.Affiche(v);
  const std::pair<const char*, const char*> cas[] = {
      {"acquired:", "5000000000"},
      {"displayable:", "4000000000"},
      {"erroneous:", "17"},
      {"Detected events:", "3"},
      {"Total time occupied by traffic:", "1d 1h 0.00mn"},
      {"Data load:", "61.25 %"},
      {"Message load:", "7.50 %"},
      {"Error rate:", "0.00 %"},
      {"Padding:", "100"},
      {"ID_DAT", "101"},
      {"RP_DAT_RQ2_MSG", "110"},
      {"RP_MSG_ACK even", "111"},
      {"RP_FIN", "120"},
  };
  for (const auto& [libelle, valeur] : cas) EXPECT_EQ(dlg.Valeur(libelle).toStdString(), valeur) << libelle;
  EXPECT_EQ(dlg.Libelles().size(), 29);

  // Filtered padding: the bus lines give way to the notice, and come back with the next run.
  v.bourrage.filtreAcquisition = true;
  dlg.Affiche(v);
  EXPECT_TRUE(dlg.Libelles().contains("Data rates not calculated because of acquisition filtering"));
  for (const char* cache : {"Total time occupied by traffic:", "Data load:", "Message load:", "Error rate:"}) {
    EXPECT_TRUE(dlg.Valeur(cache).isNull()) << cache;
  }
  EXPECT_EQ(dlg.Valeur("Padding:"), "Filtered at acquisition level");
  EXPECT_EQ(dlg.Valeur("RP_FIN"), "120");
  v.bourrage = {};
  dlg.Affiche(v);
  EXPECT_EQ(dlg.Valeur("Padding:"), "Not defined");
  EXPECT_EQ(dlg.Valeur("Data load:"), "61.25 %");

  dlg.Vide();
  EXPECT_TRUE(dlg.Valeur("acquired:").isEmpty());
  EXPECT_FALSE(dlg.Valeur("acquired:").isNull());
}

TEST(StatisticsDialog, RefreshAsksForFreshFigures) {
  CStatistiquesDlg dlg;
  int demandes = 0;
  QObject::connect(&dlg, &CStatistiquesDlg::Rafraichir, [&demandes] { ++demandes; });
  dlg.BoutonRafraichir()->click();
  EXPECT_EQ(demandes, 1);
}

}  // namespace
}  // namespace brv::ui
