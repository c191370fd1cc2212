#pragma once
// The data-rate chart: data load on a linear scale, message load and error rate on a logarithmic
// one, against chart time. It follows a run (its last intervals) until the user zooms or pans, and
// hands the series only the points worth drawing, so that a long run stays quick to redraw.

#include <QChartView>
#include <QList>
#include <QPointF>

#include <array>
#include <vector>

#include "brv_core/analysis/chart_rules.h"
#include "brv_core/analysis/view_snapshot.h"

class QCategoryAxis;
class QLineSeries;
class QPrinter;
class QValueAxis;

class CGrapheDebits : public QChartView {
  Q_OBJECT

 public:
  explicit CGrapheDebits(QWidget* parent = nullptr);

  // Takes the points of a run (all of them so far) and redraws.
  void Affiche(const brv::InstantaneVues& vues);
  // Forgets the points; follows again.
  void Vide();
  // How many intervals the followed window holds (at least 1).
  void DefinitFenetrePoints(int n);
  // Shows this window of chart time (ns) and stops following the run.
  void DefinitFenetre(uint64_t debutNs, uint64_t finNs);
  // Follows the run again: the window ends at its last point.
  void Suit();

  bool Suivi() const { return suivi_; }
  brv::FenetreTemps Fenetre() const { return fenetre_; }
  QLineSeries* Serie(brv::SerieDebit serie) const { return series_[serie]; }
  QValueAxis* AxeTemps() const { return axeTemps_; }
  // The pop-up for the pointer at `pos` (viewport pixels): the nearest point of the series drawn
  // under it, or empty when none passes near.
  QString TexteSous(QPoint pos) const;
  // Draws the chart on the printer's page, keeping its proportions.
  bool Imprime(QPrinter& imprimante);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Redessine();
  // Shows about `etendueNs` of time (bounded) with the time `ancreNs` at `part` (0..1) of the
  // width, and stops following.
  void ChoisitFenetre(double ancreNs, double part, double etendueNs);
  QRectF ZoneTrace() const;  // the plot area in viewport pixels
  void DemandeImpression();

  std::array<QLineSeries*, brv::kNbSeriesDebit> series_{};
  QValueAxis* axeTemps_ = nullptr;
  QValueAxis* axeCharge_ = nullptr;
  QCategoryAxis* axeLog_ = nullptr;

  std::vector<brv::PointDebit> points_;
  uint64_t intervalleNs_ = 0;
  uint32_t nbPointsFenetre_ = 100;
  bool suivi_ = true;
  brv::FenetreTemps fenetre_;
  double nsParUnite_ = 1e6;
  brv::CReductionPoints reduction_;
  std::array<QList<QPointF>, brv::kNbSeriesDebit> traces_;

  // Drag in progress: where it started and the window it started from.
  bool glisse_ = false;
  QPoint departGlisse_;
  brv::FenetreTemps fenetreDepart_;
};
