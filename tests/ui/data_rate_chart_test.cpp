// The data-rate chart with a long run: what reaches the series, following, zoom and pan, pop-ups.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineSeries>
#include <QPrinter>
#include <QTemporaryDir>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>

#include "charts/data_rate_chart.h"

namespace {

using brv::SerieDebit;
constexpr uint64_t kMs = 1'000'000;

// A run of n points one millisecond apart, loads 20..60 %, messages 1..5 %, errors 0..0.5 %, with
// a few peaks and troughs planted far from the window's edges.
brv::InstantaneVues Parcours(size_t n) {
  brv::InstantaneVues v;
  v.ullIntervalleNs = kMs;
  v.points.resize(n);
  for (size_t i = 0; i < n; ++i) {
    auto& p = v.points[i];
    p.ullTempsGraphe = (i + 1) * kMs;
    p.fChargeDonnees = 20 + float((i * 37) % 401) / 10;
    p.fChargeMessages = 1 + float((i * 53) % 401) / 100;
    p.fTauxErreur = float((i * 71) % 51) / 100;
  }
  v.points[n / 3].fChargeDonnees = 97;
  v.points[n / 2].fChargeDonnees = 3;
  v.points[2 * n / 3].fChargeMessages = 80;
  v.points[n / 5].fTauxErreur = 0.002f;  // below the log scale's floor
  return v;
}

struct Graphe {
  CGrapheDebits g;
  Graphe() {
    g.resize(900, 420);
    g.show();
    QApplication::processEvents();
  }
  QPointF Pixel(SerieDebit s, QPointF valeur) {
    const QPointF c = g.chart()->mapToPosition(valeur, g.Serie(s));
    return g.viewportTransform().map(g.chart()->mapToScene(c));
  }
  double Colonnes() { return g.chart()->plotArea().width(); }
};

TEST(DataRateChart, MillionPointsReachTheSeriesReducedWithTheirExtremes) {
  Graphe t;
  const brv::InstantaneVues run = Parcours(1'000'000);
  t.g.Affiche(run);
  // Following: the last 100 intervals only.
  EXPECT_TRUE(t.g.Suivi());
  EXPECT_EQ(t.g.Fenetre().finNs, 1'000'000 * kMs);
  EXPECT_EQ(t.g.Fenetre().debutNs, 999'900 * kMs);
  EXPECT_EQ(t.g.AxeTemps()->titleText(), "Milliseconds");
  EXPECT_LE(t.g.Serie(brv::SERIE_DONNEES)->count(), 102);

  t.g.DefinitFenetre(0, run.points.back().ullTempsGraphe);
  EXPECT_FALSE(t.g.Suivi());
  EXPECT_EQ(t.g.AxeTemps()->titleText(), "Minutes");
  for (int s = 0; s < brv::kNbSeriesDebit; ++s) {
    const auto serie = SerieDebit(s);
    const QList<QPointF> drawn = t.g.Serie(serie)->points();
    EXPECT_LE(drawn.size(), 4 * t.Colonnes() + 2) << s;
    EXPECT_GT(drawn.size(), t.Colonnes()) << s;
    const auto [bas, haut] = std::minmax_element(run.points.begin(), run.points.end(),
        [serie](const auto& a, const auto& b) { return brv::ValeurSerie(a, serie) < brv::ValeurSerie(b, serie); });
    const auto [basTrace, hautTrace] = std::minmax_element(drawn.begin(), drawn.end(),
        [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
    EXPECT_DOUBLE_EQ(hautTrace->y(), brv::OrdonneeSerie(*haut, serie)) << s;
    EXPECT_DOUBLE_EQ(basTrace->y(), brv::OrdonneeSerie(*bas, serie)) << s;
    if (serie != brv::SERIE_ERREURS) {  // its highest value recurs
      EXPECT_DOUBLE_EQ(hautTrace->x(), double(haut->ullTempsGraphe) / 60e9) << s;
    }
  }
}

TEST(DataRateChart, ZoomAndPanStopFollowingUntilEndOrDoubleClick) {
  Graphe t;
  t.g.Affiche(Parcours(10'000));
  const brv::FenetreTemps suivie = t.g.Fenetre();
  const auto zone = [&t] {
    return t.g.viewportTransform().mapRect(t.g.chart()->mapToScene(t.g.chart()->plotArea()).boundingRect());
  };
  const QPointF milieu = zone().center();

  QWheelEvent roue(milieu, t.g.viewport()->mapToGlobal(milieu), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(t.g.viewport(), &roue);
  EXPECT_FALSE(t.g.Suivi());
  const brv::FenetreTemps zoom = t.g.Fenetre();
  EXPECT_NEAR(double(zoom.finNs - zoom.debutNs), 0.8 * double(suivie.finNs - suivie.debutNs), 1e3);
  EXPECT_NEAR(double(zoom.debutNs + zoom.finNs) / 2, double(suivie.debutNs + suivie.finNs) / 2, 0.01 * kMs);

  // Dragging the plot 100 px to the right shows earlier times.
  const auto souris = [&t](QEvent::Type type, QPointF pos, Qt::MouseButtons boutons) {
    QMouseEvent e(type, pos, t.g.viewport()->mapToGlobal(pos), Qt::LeftButton, boutons, Qt::NoModifier);
    QCoreApplication::sendEvent(t.g.viewport(), &e);
  };
  souris(QEvent::MouseButtonPress, milieu, Qt::LeftButton);
  souris(QEvent::MouseMove, milieu + QPointF(100, 0), Qt::LeftButton);
  souris(QEvent::MouseButtonRelease, milieu + QPointF(100, 0), Qt::NoButton);
  const double decale = 100 * double(zoom.finNs - zoom.debutNs) / zone().width();
  EXPECT_NEAR(double(t.g.Fenetre().debutNs), double(zoom.debutNs) - decale, 0.01 * kMs);

  QKeyEvent fin(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
  QCoreApplication::sendEvent(&t.g, &fin);
  EXPECT_TRUE(t.g.Suivi());
  EXPECT_EQ(t.g.Fenetre().finNs, suivie.finNs);

  t.g.DefinitFenetre(0, 5000 * kMs);
  souris(QEvent::MouseButtonDblClick, milieu, Qt::LeftButton);
  EXPECT_TRUE(t.g.Suivi());
}

TEST(DataRateChart, PopUpReadsTheNearestPointOfTheSeriesUnderThePointer) {
  Graphe t;
  brv::InstantaneVues v;
  v.ullIntervalleNs = 100 * kMs;
  // Three well separated lines: 40 % load, 1 % messages (half way up), 0.1 % errors.
  for (uint64_t i = 1; i <= 20; ++i) v.points.push_back({i * 100 * kMs, 40, 1, 0.1f, 0});
  t.g.Affiche(v);
  struct Cas {
    SerieDebit serie;
    QPointF valeur;  // in the axis' units: seconds and height
    QPointF decalage;
    QString texte;
  };
  const Cas cas[] = {
      {brv::SERIE_DONNEES, {0.7, 40}, {0, 0}, "(0.70, 40.00)"},
      {brv::SERIE_MESSAGES, {0.7, 50}, {2, -3}, "(0.70, 1.00)"},
      {brv::SERIE_ERREURS, {1.2, 25}, {-3, 3}, "(1.20, 0.10)"},
      {brv::SERIE_DONNEES, {0.7, 45}, {0, 0}, ""},  // half way between two lines: nothing
  };
  for (const Cas& c : cas) {
    const QPoint pos = (t.Pixel(c.serie, c.valeur) + c.decalage).toPoint();
    EXPECT_EQ(t.g.TexteSous(pos), c.texte) << c.valeur.x() << "," << c.valeur.y();
  }
}

TEST(DataRateChart, PrintsToAPdf) {
  Graphe t;
  t.g.Affiche(Parcours(500));
  QTemporaryDir dossier;
  QPrinter imprimante;
  imprimante.setOutputFormat(QPrinter::PdfFormat);
  imprimante.setOutputFileName(dossier.filePath("graphe.pdf"));
  ASSERT_TRUE(t.g.Imprime(imprimante));
  QFile pdf(dossier.filePath("graphe.pdf"));
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(4) == "%PDF");
  EXPECT_GT(pdf.size(), 2000);
}

}  // namespace
