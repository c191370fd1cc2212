// The frames list as the user sees it: cells and mark images of known rows, the rows read for a
// scroll, the moving absolute date across the trigger, channel columns, stored widths, batched
// row counts, Goto and the detail request.

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>

#include "capture_fixture.h"
#include "brv_core/synth/sample_capture.h"
#include "frames/frames_view.h"
#include "frames/mark_icons.h"

namespace brv::ui {
namespace {

using test::avec_crc;

// A cell of a capture row; the model holds only the rows on screen, from the top row on.
QString Cellule(const CListViewAcq& v, uint64_t ligne, ColonneListe c) {
  if (ligne < v.LigneDuHaut()) return QStringLiteral("(above the screen)");
  return v.model()->index(static_cast<int>(ligne - v.LigneDuHaut()), c).data().toString();
}

QImage Image(const QVariant& icone) {
  return icone.value<QIcon>().pixmap(kTailleIconeMarque, kTailleIconeMarque).toImage();
}

void Affiche(CListViewAcq& v, int hauteur = 600) {
  v.resize(1000, hauteur);
  v.show();
  QCoreApplication::processEvents();
}

class FramesView : public ::testing::Test {
 protected:
  // Four rows: an event, a channel-2 response, an event with a bad CRC, a bad CRC with a broken traffic.
  void connue(uint32_t boitier = vandrel::BT_ZIZA_BI) {
    capture_.evenements_id_dat();
    capture_.lineaire({{1000, avec_crc({0x03, 0x01, 0x00}), 0},
                       {2000, avec_crc({0x02, 0x40, 0x02, 0x12, 0x34}), vandrel::STATUT_VOIE2},
                       {3000, avec_crc({0x03, 0x01, 0x01}, 0x5555), vandrel::STATUT_ERR_TX_VOIE1},
                       {4000, avec_crc({0x02, 0x40, 0x02, 0x56, 0x78}, 0x1111),
                        vandrel::STATUT_INTERRUPTION_TRAFIC | vandrel::STATUT_ERR_TX_VOIE2}},
                      boitier);
    vue_.MetAJourColonnesVoies(capture_.doc.Voie1, capture_.doc.Voie2);
    vue_.AttacheCapture(&capture_.doc, &capture_.fichier, capture_.nombre());
  }
  void echantillon(uint64_t trames) {
    SampleCaptureOptions o;
    o.frames = trames;
    SampleCaptureSummary s;
    std::string e;
    const std::string p = capture_.dir.file("sample.dat");
    ASSERT_TRUE(write_sample_capture(p, o, s, e)) << e;
    ASSERT_TRUE(capture_.doc.OuvrirAcquisition(p));
    capture_.doc.ResetResults(false);
    IObservateurTache obs;
    CFileRequetes req;
    ResultatTache res;
    FncTacheAcq(capture_.doc, obs, req, res);
    ASSERT_EQ(capture_.fichier.open(p), AcqOpenStatus::Ok);
    vue_.AttacheCapture(&capture_.doc, &capture_.fichier, capture_.nombre());
  }

  test::CaptureUi capture_;
  CListViewAcq vue_;
};

TEST_F(FramesView, KnownRowsShowEveryColumnAndTheirMark) {
  connue();
  Affiche(vue_);
  ASSERT_EQ(vue_.model()->rowCount(), 4);
  const auto lignes = capture_.lignes();
  ASSERT_EQ(lignes.size(), 4u);
  struct Attendu {
    uint32_t marque;
    const char* trafic;
    const char* voie;
    const char* tx1;
    const char* tx2;
  };
  const Attendu attendus[] = {{MARQUE_EVENEMENT, "", "1", "", ""},
                              {MARQUE_AUCUNE, "", "2", "", ""},
                              {MARQUE_ERREUR_EVENEMENT, "", "1", "X", ""},
                              {MARQUE_ERREUR, "X", "1", "", "X"}};
  for (uint64_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Attendu& a = attendus[i];
    const LIGNE_TRAME& l = lignes[i];
    EXPECT_EQ(l.ulMarque, a.marque);
    EXPECT_EQ(Image(vue_.model()->index(static_cast<int>(i), COL_MARQUE).data(Qt::DecorationRole)),
              IconeMarque(a.marque).pixmap(kTailleIconeMarque).toImage());
    EXPECT_EQ(Cellule(vue_, i, COL_MARQUE), "");
    // Only the top row shows its absolute date.
    EXPECT_EQ(Cellule(vue_, i, COL_DATE_ABS), i == 0 ? QString::fromStdString(l.dateAbs) : QString());
    EXPECT_EQ(Cellule(vue_, i, COL_DATE_REL), QString::fromStdString(l.dateRel));
    EXPECT_EQ(Cellule(vue_, i, COL_INTER_TRAME), QString::fromStdString(l.interTrame));
    EXPECT_EQ(Cellule(vue_, i, COL_TRAFIC), a.trafic);
    EXPECT_EQ(Cellule(vue_, i, COL_VOIE), a.voie);
    EXPECT_EQ(Cellule(vue_, i, COL_ERR_TX1), a.tx1);
    EXPECT_EQ(Cellule(vue_, i, COL_ERR_TX2), a.tx2);
    EXPECT_EQ(Cellule(vue_, i, COL_DONNEES), QString::fromStdString(l.texte));
    EXPECT_EQ(Cellule(vue_, i, COL_FIPIO), QString::fromStdString(l.annotation));
  }
  EXPECT_FALSE(lignes[0].dateAbs.empty());
  EXPECT_FALSE(lignes[0].texte.empty());
  // The four images differ from one another.
  for (uint32_t a = 0; a < 4; ++a)
    for (uint32_t b = a + 1; b < 4; ++b)
      EXPECT_NE(IconeMarque(a).pixmap(kTailleIconeMarque).toImage(), IconeMarque(b).pixmap(kTailleIconeMarque).toImage());
  EXPECT_EQ(vue_.model()->headerData(COL_DONNEES, Qt::Horizontal).toString(), "Control and data");
}

TEST_F(FramesView, ScrollingOneRowReadsOneRowAndMovesTheAbsoluteDate) {
  echantillon(3000);
  Affiche(vue_);
  const uint64_t avant = vue_.Cache()->LignesLues();
  ASSERT_GT(avant, 0u);
  ASSERT_NE(Cellule(vue_, 0, COL_DATE_ABS), "");
  EXPECT_EQ(Cellule(vue_, 1, COL_DATE_ABS), "");

  vue_.verticalScrollBar()->setValue(1);
  QCoreApplication::processEvents();
  (void)vue_.grab();  // every visible cell drawn
  EXPECT_EQ(vue_.LigneDuHaut(), 1u);
  EXPECT_EQ(vue_.Cache()->LignesLues(), avant + 1);
  EXPECT_NE(Cellule(vue_, 1, COL_DATE_ABS), "");
  EXPECT_EQ(Cellule(vue_, 2, COL_DATE_ABS), "");
  EXPECT_EQ(vue_.Cache()->LignesLues(), avant + 1);

  // Far away: the new top row shows its date, the old one no longer.
  vue_.verticalScrollBar()->setValue(2000);
  QCoreApplication::processEvents();
  EXPECT_NE(Cellule(vue_, 2000, COL_DATE_ABS), "");
  EXPECT_EQ(Cellule(vue_, 2001, COL_DATE_ABS), "");
  // Back up one row: the date moves up with the top row.
  vue_.verticalScrollBar()->setValue(1999);
  QCoreApplication::processEvents();
  EXPECT_NE(Cellule(vue_, 1999, COL_DATE_ABS), "");
  EXPECT_EQ(Cellule(vue_, 2000, COL_DATE_ABS), "");
}

// The table holds the rows on screen only; keys and the selection work on the whole capture.
TEST_F(FramesView, KeysAndSelectionSpanTheWholeCapture) {
  echantillon(3000);
  Affiche(vue_);
  const int fenetre = vue_.model()->rowCount();
  EXPECT_LT(fenetre, 100);
  EXPECT_EQ(vue_.NombreLignes(), 3000u);
  const auto touche = [&](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, k, m);
    QCoreApplication::sendEvent(&vue_, &e);
  };
  const struct {
    int touche;
    Qt::KeyboardModifiers mod;
    uint64_t premiere;  // first selected row after the key
    bool enVue;         // the current row is on screen
  } cas[] = {
      {Qt::Key_End, Qt::NoModifier, 2999, true},
      {Qt::Key_Up, Qt::NoModifier, 2998, true},
      {Qt::Key_PageUp, Qt::ShiftModifier, 2998 - static_cast<uint64_t>(fenetre - 1), true},
      {Qt::Key_Home, Qt::ShiftModifier, 0, true},
      {Qt::Key_Down, Qt::NoModifier, 1, true},
  };
  for (const auto& c : cas) {
    SCOPED_TRACE(c.touche);
    touche(c.touche, c.mod);
    ASSERT_TRUE(vue_.PremiereLigneSelectionnee().has_value());
    EXPECT_EQ(*vue_.PremiereLigneSelectionnee(), c.premiere);
    EXPECT_LE(vue_.model()->rowCount(), fenetre);
    EXPECT_TRUE(vue_.selectionModel()->currentIndex().isValid());
  }
  // A selection that scrolled off the screen is kept; Enter still opens it.
  vue_.SelectionneLigne(2500);
  vue_.verticalScrollBar()->setValue(10);
  QCoreApplication::processEvents();
  EXPECT_TRUE(vue_.selectionModel()->selection().isEmpty());
  EXPECT_EQ(vue_.PremiereLigneSelectionnee(), std::optional<uint64_t>(2500));
  quint64 detail = 0;
  QObject::connect(&vue_, &CListViewAcq::DetailDemande, [&](quint64 l) { detail = l; });
  touche(Qt::Key_Return);
  EXPECT_EQ(detail, 2500u);
}

TEST_F(FramesView, AbsoluteDateOfTheTopRowAcrossTheTrigger) {
  capture_.pretrig(60, 60);
  const uint32_t derniere = capture_.doc.Resultats.ulDerniereLignePreTrig;
  ASSERT_EQ(derniere, 59u);
  vue_.AttacheCapture(&capture_.doc, &capture_.fichier, capture_.nombre());
  Affiche(vue_, 200);
  const auto lignes = capture_.lignes();
  ASSERT_EQ(lignes.size(), 120u);
  // The export's dates: before the trigger they lie 30 s earlier than after it.
  ASSERT_NE(lignes[derniere].dateAbs, lignes[derniere + 1].dateAbs);
  for (uint64_t haut : {uint64_t{0}, uint64_t{derniere}, uint64_t{derniere + 1}, uint64_t{100}}) {
    SCOPED_TRACE(haut);
    vue_.verticalScrollBar()->setValue(static_cast<int>(haut));
    QCoreApplication::processEvents();
    ASSERT_EQ(vue_.LigneDuHaut(), haut);
    EXPECT_EQ(Cellule(vue_, haut, COL_DATE_ABS).toStdString(), lignes[haut].dateAbs);
  }
  // Only "Date 0": the first post-trigger row.
  EXPECT_TRUE(vue_.Cherche({true, false, false, false}));
  EXPECT_EQ(vue_.PremiereLigneSelectionnee(), std::optional<uint64_t>(derniere + 1));
}

TEST_F(FramesView, ChannelColumnsFollowTheProbe) {
  struct Cas {
    uint32_t boitier;
    bool voie, tx1, tx2;
  };
  for (const Cas& c : {Cas{vandrel::BT_ZIZA_MONO, false, true, false}, Cas{vandrel::BT_ZIZA_BI, true, true, true},
                       Cas{0, false, false, false}}) {
    SCOPED_TRACE(c.boitier);
    test::CaptureUi capture;
    capture.lineaire({{1000, avec_crc({0x03, 0x01, 0x00}), 0}}, c.boitier);
    CListViewAcq vue;
    vue.AttacheCapture(&capture.doc, &capture.fichier, capture.nombre());
    vue.MetAJourColonnesVoies(capture.doc.Voie1, capture.doc.Voie2);
    EXPECT_EQ(!vue.isColumnHidden(COL_VOIE), c.voie);
    EXPECT_EQ(!vue.isColumnHidden(COL_ERR_TX1), c.tx1);
    EXPECT_EQ(!vue.isColumnHidden(COL_ERR_TX2), c.tx2);
    for (ColonneListe f : {COL_MARQUE, COL_DATE_ABS, COL_DATE_REL, COL_INTER_TRAME, COL_TRAFIC, COL_DONNEES, COL_FIPIO})
      EXPECT_FALSE(vue.isColumnHidden(f)) << f;
  }
}

TEST_F(FramesView, WidthsComeBackFromTheSettingsAndHiddenColumnsKeepTheirs) {
  connue(vandrel::BT_ZIZA_MONO);
  const QString ini = QString::fromStdString(capture_.dir.file("settings.ini"));
  {
    QSettings s(ini, QSettings::IniFormat);
    s.setValue("LVAcq/LgColDonnees", 321);
    s.setValue("LVAcq/LgColMedium", 77);
    s.setValue("LVAcq/LgColFipIO", "wide");  // not a width: the default stays
    s.setValue("LVAcq/LgColDateRel", 1 << 30);
  }
  const CListViewAcq neuve;  // the widths before any setting
  QSettings s(ini, QSettings::IniFormat);
  vue_.LitLargeurs(s);
  EXPECT_EQ(vue_.columnWidth(COL_DONNEES), 321);
  EXPECT_EQ(vue_.columnWidth(COL_FIPIO), neuve.columnWidth(COL_FIPIO));
  EXPECT_EQ(vue_.columnWidth(COL_DATE_REL), neuve.columnWidth(COL_DATE_REL));
  // Defaults are never narrower than the column table's, and fit the header.
  for (size_t c = 0; c < NB_COLONNES_LISTE; ++c) {
    if (neuve.isColumnHidden(static_cast<int>(c))) continue;
    EXPECT_GE(neuve.columnWidth(static_cast<int>(c)), ColonnesListe()[c].largeurDefaut) << c;
    EXPECT_GE(neuve.columnWidth(static_cast<int>(c)),
              neuve.horizontalHeader()->fontMetrics().horizontalAdvance(ColonnesListe()[c].entete)) << c;
  }
  ASSERT_TRUE(vue_.isColumnHidden(COL_VOIE));

  vue_.horizontalHeader()->resizeSection(COL_INTER_TRAME, 99);  // as the user drags it
  vue_.MetAJourColonnesVoies(true, true);
  EXPECT_EQ(vue_.columnWidth(COL_VOIE), 77);
  vue_.horizontalHeader()->resizeSection(COL_ERR_TX2, 66);
  vue_.MetAJourColonnesVoies(true, false);
  ASSERT_TRUE(vue_.isColumnHidden(COL_ERR_TX2));

  const QString ini2 = QString::fromStdString(capture_.dir.file("settings2.ini"));
  {
    QSettings e(ini2, QSettings::IniFormat);
    vue_.EcritLargeurs(e);
  }
  QSettings e(ini2, QSettings::IniFormat);
  e.beginGroup("LVAcq");
  EXPECT_EQ(e.childKeys().size(), static_cast<int>(NB_COLONNES_LISTE));
  const std::pair<const char*, int> attendus[] = {{"LgColDonnees", 321},
                                                  {"LgColMedium", 77},
                                                  {"LgColInterTr", 99},
                                                  {"LgColTxErr2", 66},
                                                  {"LgColFipIO", neuve.columnWidth(COL_FIPIO)},
                                                  {"LgColIconeSignal", neuve.columnWidth(COL_MARQUE)}};
  for (const auto& [cle, largeur] : attendus) EXPECT_EQ(e.value(cle).toInt(), largeur) << cle;

  // A new view reading them shows the hidden column at its kept width once it comes back.
  e.endGroup();
  CListViewAcq autre;
  autre.LitLargeurs(e);
  autre.MetAJourColonnesVoies(true, true);
  EXPECT_EQ(autre.columnWidth(COL_ERR_TX2), 66);
  EXPECT_EQ(autre.columnWidth(COL_INTER_TRAME), 99);
}

TEST_F(FramesView, RowsArriveInBatchesWithoutAReset) {
  connue();
  vue_.AttacheCapture(&capture_.doc, &capture_.fichier, 1);
  int insertions = 0, resets = 0;
  QObject::connect(vue_.model(), &QAbstractItemModel::rowsInserted, [&] { ++insertions; });
  QObject::connect(vue_.model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  vue_.DefinitNombreLignes(2);
  vue_.DefinitNombreLignes(3);
  vue_.DefinitNombreLignes(4);
  EXPECT_EQ(vue_.model()->rowCount(), 2);  // the first at once, the others wait for the next batch
  EXPECT_EQ(insertions, 1);
  EXPECT_TRUE(test::attend([&] { return vue_.model()->rowCount() == 4; }));
  EXPECT_EQ(insertions, 2);
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(Cellule(vue_, 3, COL_TRAFIC), "X");
  vue_.Detache();
  EXPECT_EQ(vue_.model()->rowCount(), 0);
  EXPECT_EQ(resets, 1);
}

TEST_F(FramesView, GotoSelectsFromTheSelectionOrTheTopRow) {
  connue();
  Affiche(vue_);
  struct Cas {
    std::optional<uint64_t> selection;
    OptionsGoto options;
    std::optional<uint64_t> trouvee;
  };
  const Cas cas[] = {
      {std::nullopt, {false, false, true, false}, 2},  // errors down from the top row
      {2, {false, false, true, false}, 3},
      {3, {false, true, false, true}, 2},              // events up: the event with an error counts
      {1, {false, false, false, false}, std::nullopt},  // nothing asked
  };
  for (const Cas& c : cas) {
    vue_.clearSelection();
    if (c.selection) vue_.SelectionneLigne(*c.selection);
    EXPECT_EQ(vue_.Cherche(c.options), c.trouvee.has_value());
    EXPECT_EQ(vue_.PremiereLigneSelectionnee(), c.trouvee ? c.trouvee : c.selection);
  }
}

TEST_F(FramesView, EnterAsksTheDetailOfTheFirstSelectedRow) {
  connue();
  Affiche(vue_);
  std::vector<quint64> demandes;
  QObject::connect(&vue_, &CListViewAcq::DetailDemande, [&](quint64 l) { demandes.push_back(l); });
  QKeyEvent entree(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QCoreApplication::sendEvent(&vue_, &entree);  // nothing selected
  vue_.SelectionneLigne(3);
  vue_.selectionModel()->select(vue_.model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
  QCoreApplication::sendEvent(&vue_, &entree);
  EXPECT_EQ(demandes, std::vector<quint64>{1});
}

}  // namespace
}  // namespace brv::ui
