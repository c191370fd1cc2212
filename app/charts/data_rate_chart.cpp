#include "charts/data_rate_chart.h"

#include <QCategoryAxis>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineSeries>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kZoomParCran = 0.8;   // span kept per wheel notch towards the user
constexpr double kToleranceInfoPx = 8;  // how near the pointer a line must pass for its pop-up
constexpr int kGraduationsVisees = 8;

struct DescriptionSerie {
  const char* nom;
  QColor couleur;
};
const DescriptionSerie kSeries[brv::kNbSeriesDebit] = {
    {"Data load (linear)", QColor(0, 0, 255)},
    {"Message (log)", QColor(0, 150, 0)},
    {"Error (log)", QColor(220, 0, 0)},
};

double DistanceSegment(QPointF p, QPointF a, QPointF b) {
  const QPointF ab = b - a;
  const double l2 = QPointF::dotProduct(ab, ab);
  const double t = l2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / l2, 0.0, 1.0) : 0.0;
  const QPointF d = p - (a + t * ab);
  return std::hypot(d.x(), d.y());
}

}  // namespace

// The view owns the chart it is made with; a chart set afterwards would leave the view's first one
// without an owner.
CGrapheDebits::CGrapheDebits(QWidget* parent) : QChartView(new QChart(), parent) {
  QChart* graphe = chart();
  graphe->legend()->setAlignment(Qt::AlignBottom);
  graphe->setMargins(QMargins(4, 4, 4, 4));

  axeTemps_ = new QValueAxis(graphe);
  axeTemps_->setTickType(QValueAxis::TicksDynamic);
  axeTemps_->setTickAnchor(0);
  graphe->addAxis(axeTemps_, Qt::AlignBottom);

  axeCharge_ = new QValueAxis(graphe);
  axeCharge_->setRange(0, 100);
  axeCharge_->setTickCount(5);  // 0, 25, 50, 75, 100: readable in a short pane, level with the log axis
  axeCharge_->setLabelFormat("%d");
  axeCharge_->setTitleText("%");
  graphe->addAxis(axeCharge_, Qt::AlignLeft);

  // The same heights read back in percent for the logarithmic series.
  axeLog_ = new QCategoryAxis(graphe);
  axeLog_->setRange(0, 100);
  axeLog_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  axeLog_->setStartValue(-1);
  for (const double v : {0.01, 0.1, 1.0, 10.0, 100.0}) axeLog_->append(QString::number(v), brv::EchelleLog(v));
  axeLog_->setGridLineVisible(false);
  axeLog_->setTitleText("% (log)");
  graphe->addAxis(axeLog_, Qt::AlignRight);

  for (int s = 0; s < brv::kNbSeriesDebit; ++s) {
    auto* serie = new QLineSeries(graphe);
    serie->setName(kSeries[s].nom);
    QPen stylo(kSeries[s].couleur);
    stylo.setWidthF(1.5);
    serie->setPen(stylo);
    graphe->addSeries(serie);
    serie->attachAxis(axeTemps_);
    serie->attachAxis(brv::SerieLogarithmique(brv::SerieDebit(s)) ? static_cast<QValueAxis*>(axeLog_) : axeCharge_);
    series_[s] = serie;
  }
  setRenderHint(QPainter::Antialiasing);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  Redessine();
}

void CGrapheDebits::Affiche(const brv::InstantaneVues& vues) {
  points_.assign(vues.points.begin(), vues.points.end());
  intervalleNs_ = vues.ullIntervalleNs;
  Redessine();
}

void CGrapheDebits::Vide() {
  points_.clear();
  suivi_ = true;
  Redessine();
}

void CGrapheDebits::DefinitFenetrePoints(int n) {
  nbPointsFenetre_ = uint32_t(std::max(n, 1));
  if (suivi_) Redessine();
}

void CGrapheDebits::DefinitFenetre(uint64_t debutNs, uint64_t finNs) {
  if (finNs < debutNs) std::swap(debutNs, finNs);
  ChoisitFenetre(double(debutNs), 0, double(finNs - debutNs));
}

void CGrapheDebits::Suit() {
  suivi_ = true;
  Redessine();
}

void CGrapheDebits::ChoisitFenetre(double ancreNs, double part, double etendueNs) {
  // Closer than two intervals shows nothing more; the cap keeps the window's end a valid time.
  etendueNs = std::min(std::max({etendueNs, 1000.0, 2.0 * double(intervalleNs_)}), 9e18);
  const double debutNs = std::clamp(ancreNs - part * etendueNs, 0.0, 18e18 - etendueNs);
  suivi_ = false;
  fenetre_ = {uint64_t(debutNs), uint64_t(debutNs + etendueNs)};
  Redessine();
}

QRectF CGrapheDebits::ZoneTrace() const {
  const QRectF scene = chart()->mapToScene(chart()->plotArea()).boundingRect();
  return viewportTransform().mapRect(scene);  // not rounded to whole pixels
}

void CGrapheDebits::Redessine() {
  if (suivi_) fenetre_ = brv::FenetreSuivie(points_, intervalleNs_, nbPointsFenetre_);
  const brv::UniteAxeTemps unite = brv::UniteAxe(fenetre_.finNs - fenetre_.debutNs);
  nsParUnite_ = unite.nsParUnite;

  const double largeur = ZoneTrace().width();
  reduction_.Reduit(points_, fenetre_, int(largeur > 1 ? largeur : std::max(width(), 1)));
  for (int s = 0; s < brv::kNbSeriesDebit; ++s) {
    const auto serie = brv::SerieDebit(s);
    QList<QPointF>& trace = traces_[s];
    trace.clear();
    for (const size_t i : reduction_.Indices(serie)) {
      trace.append(QPointF(double(points_[i].ullTempsGraphe) / nsParUnite_, brv::OrdonneeSerie(points_[i], serie)));
    }
    series_[s]->replace(trace);
  }

  const double mini = double(fenetre_.debutNs) / nsParUnite_;
  const double maxi = double(fenetre_.finNs) / nsParUnite_;
  const double pas = brv::PasGraduation(maxi - mini, kGraduationsVisees);
  const int decimales = std::max(0, int(std::ceil(-std::log10(pas) - 1e-9)));
  axeTemps_->setTitleText(unite.nom);
  axeTemps_->setRange(mini, maxi);
  axeTemps_->setTickInterval(pas);
  axeTemps_->setLabelFormat(QString("%.%1f").arg(decimales));
}

QString CGrapheDebits::TexteSous(QPoint pos) const {
  const QRectF zone = ZoneTrace();
  const double etendue = axeTemps_->max() - axeTemps_->min();
  if (!zone.contains(pos) || zone.width() <= 0 || etendue <= 0) return {};
  // Distances are measured in pixels: a point's value to the pointer's.
  const double sx = zone.width() / etendue;
  const double sy = zone.height() / 100;
  const auto pixels = [&](QPointF v) { return QPointF((v.x() - axeTemps_->min()) * sx, v.y() * sy); };
  const QPointF pointeur(pos.x() - zone.left(), zone.bottom() - pos.y());
  const double xv = axeTemps_->min() + pointeur.x() / sx;
  const double tolX = kToleranceInfoPx / sx;

  double meilleure = kToleranceInfoPx;
  QString texte;
  for (int s = 0; s < brv::kNbSeriesDebit; ++s) {
    const QList<QPointF>& trace = traces_[s];
    if (trace.isEmpty() || !series_[s]->isVisible()) continue;
    const auto parX = [](const QPointF& p, double x) { return p.x() < x; };
    auto a = size_t(std::lower_bound(trace.begin(), trace.end(), xv - tolX, parX) - trace.begin());
    auto b = size_t(std::lower_bound(trace.begin(), trace.end(), xv + tolX, parX) - trace.begin());
    a = a > 0 ? a - 1 : 0;
    b = std::min(b, size_t(trace.size()) - 1);
    // The line nearest the pointer picks the series; its nearest point gives the value.
    double ligne = 1e300, point = 1e300;
    size_t proche = a;
    for (size_t i = a; i <= b; ++i) {
      const QPointF p = pixels(trace[qsizetype(i)]);
      const double d = std::hypot(p.x() - pointeur.x(), p.y() - pointeur.y());
      if (d < point) point = d, proche = i;
      ligne = std::min(ligne, i > a ? DistanceSegment(pointeur, pixels(trace[qsizetype(i - 1)]), p) : d);
    }
    if (ligne <= meilleure) {
      meilleure = ligne;
      const QPointF v = trace[qsizetype(proche)];
      texte = QString::fromStdString(brv::TexteInfoBulle(v.x(), v.y(), brv::SerieDebit(s)));
    }
  }
  return texte;
}

bool CGrapheDebits::Imprime(QPrinter& imprimante) {
  QPainter peintre;
  if (!peintre.begin(&imprimante)) return false;
  render(&peintre, QRectF(), viewport()->rect(), Qt::KeepAspectRatio);
  return peintre.end();
}

void CGrapheDebits::DemandeImpression() {
  QPrinter imprimante(QPrinter::HighResolution);
  imprimante.setPageOrientation(QPageLayout::Landscape);
  QPrintDialog dialogue(&imprimante, this);
  if (dialogue.exec() != QDialog::Accepted) return;
  if (!Imprime(imprimante)) QMessageBox::warning(this, windowTitle(), tr("The chart could not be printed."));
}

void CGrapheDebits::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  Redessine();  // the reduction depends on the width
}

void CGrapheDebits::wheelEvent(QWheelEvent* event) {
  const QRectF zone = ZoneTrace();
  const double crans = event->angleDelta().y() / 120.0;
  if (zone.width() <= 0 || crans == 0) return QChartView::wheelEvent(event);
  const double etendue = double(fenetre_.finNs - fenetre_.debutNs);
  const double part = std::clamp((event->position().x() - zone.left()) / zone.width(), 0.0, 1.0);
  // Wider than twice the run shows nothing more.
  const double fin = points_.empty() ? 0.0 : double(points_.back().ullTempsGraphe);
  const double maxi = 2 * std::max({fin, double(nbPointsFenetre_) * double(intervalleNs_), 1e9});
  // The time under the pointer stays under it.
  ChoisitFenetre(double(fenetre_.debutNs) + part * etendue, part,
                 std::min(etendue * std::pow(kZoomParCran, crans), std::max(maxi, etendue)));
  event->accept();
}

void CGrapheDebits::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QChartView::mousePressEvent(event);
  glisse_ = true;
  departGlisse_ = event->position().toPoint();
  fenetreDepart_ = fenetre_;
  viewport()->setCursor(Qt::ClosedHandCursor);
  event->accept();
}

void CGrapheDebits::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->position().toPoint();
  if (glisse_) {
    const double largeur = ZoneTrace().width();
    const int dx = pos.x() - departGlisse_.x();
    if (dx != 0 && largeur > 0) {
      const double etendue = double(fenetreDepart_.finNs - fenetreDepart_.debutNs);
      ChoisitFenetre(double(fenetreDepart_.debutNs) - dx * etendue / largeur, 0, etendue);
    }
    event->accept();
    return;
  }
  const QString texte = TexteSous(pos);
  if (texte.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(viewport()->mapToGlobal(pos), texte, viewport());
  }
  QChartView::mouseMoveEvent(event);
}

void CGrapheDebits::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !glisse_) return QChartView::mouseReleaseEvent(event);
  glisse_ = false;
  viewport()->unsetCursor();
  event->accept();
}

void CGrapheDebits::mouseDoubleClickEvent(QMouseEvent* event) {
  glisse_ = false;
  viewport()->unsetCursor();
  Suit();
  event->accept();
}

void CGrapheDebits::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_End) return QChartView::keyPressEvent(event);
  Suit();
  event->accept();
}

void CGrapheDebits::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  const QAction* imprimer = menu.addAction(tr("Print..."));
  if (menu.exec(event->globalPos()) == imprimer) DemandeImpression();
}
