#include "views/timing_view.h"

#include <algorithm>

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QLabel>
#include <QSplitter>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

namespace brv::ui {

namespace {

enum Colonne {
  COL_ID, COL_SCANS, COL_NOMINAL, COL_MIN, COL_MOYENNE, COL_MAX, COL_HORS, COL_GIGUE, COL_RETOURNEMENT, COL_PRECOCES,
  COL_TARDIVES, COL_SANS_REPONSE, kNbColonnes
};

// A cell that sorts by its number, not its text.
class CelluleNombre : public QTableWidgetItem {
 public:
  bool operator<(const QTableWidgetItem& autre) const override {
    return data(Qt::UserRole).toDouble() < autre.data(Qt::UserRole).toDouble();
  }
};

QTableWidgetItem* Nombre(const QString& texte, double valeur) {
  auto* c = new CelluleNombre;
  c->setText(texte);
  c->setData(Qt::UserRole, valeur);
  c->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return c;
}

QString Ms(double ns) { return QString::number(ns / 1e6, 'f', 3); }
QString Us(double ns) { return QString::number(ns / 1e3, 'f', 1); }

// A bucket's lower bound in the unit that suits it.
QString Borne(int64_t ns) {
  if (ns >= 1'000'000) return QStringLiteral("≥ %1 ms").arg(static_cast<double>(ns) / 1e6, 0, 'g', 3);
  return QStringLiteral("≥ %1 µs").arg(static_cast<double>(ns) / 1e3, 0, 'g', 3);
}

// The buckets from the first to the last that holds something, as bars; an empty chart without.
void MontreHistogramme(QChartView* vue, const brv::Histogramme* h, const QString& titre) {
  auto* graphe = new QChart;
  graphe->legend()->hide();
  if (h != nullptr && std::any_of(h->begin(), h->end(), [](uint64_t n) { return n != 0; })) {
    int premiere = 0, derniere = brv::kNbClassesHistogramme - 1;
    while (premiere < derniere && (*h)[static_cast<size_t>(premiere)] == 0) ++premiere;
    while (derniere > premiere && (*h)[static_cast<size_t>(derniere)] == 0) --derniere;
    auto* barres = new QBarSet(titre);
    QStringList classes;
    double plus = 0;
    for (int k = premiere; k <= derniere; ++k) {
      const auto n = static_cast<double>((*h)[static_cast<size_t>(k)]);
      *barres << n;
      plus = std::max(plus, n);
      classes << Borne(brv::BorneBasseClasseNs(k));
    }
    auto* serie = new QBarSeries;
    serie->append(barres);
    graphe->addSeries(serie);
    auto* axeX = new QBarCategoryAxis;
    axeX->append(classes);
    auto* axeY = new QValueAxis;
    axeY->setLabelFormat(QStringLiteral("%d"));
    if (plus <= 5) {
      // Whole counts: one tick each, never two labels rounded to the same number.
      axeY->setRange(0, plus);
      axeY->setTickCount(static_cast<int>(plus) + 1);
    } else {
      axeY->setRange(0, plus);
      axeY->applyNiceNumbers();
    }
    graphe->addAxis(axeX, Qt::AlignBottom);
    graphe->addAxis(axeY, Qt::AlignLeft);
    serie->attachAxis(axeX);
    serie->attachAxis(axeY);
    graphe->setTitle(titre);
  }
  QChart* ancien = vue->chart();
  vue->setChart(graphe);
  delete ancien;
}

}  // namespace

CVueTiming::CVueTiming(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(tr("Timing"));
  resize(1000, 620);
  resume_ = new QLabel(this);
  resume_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  resume_->setWordWrap(true);
  table_ = new QTableWidget(0, kNbColonnes, this);
  table_->setHorizontalHeaderLabels({tr("Identifier"), tr("Scans"), tr("Nominal (ms)"), tr("Min (ms)"), tr("Mean (ms)"),
                                     tr("Max (ms)"), tr("Out of tolerance"), tr("Worst deviation (ms)"),
                                     tr("Turnaround (us)"), tr("Early"), tr("Late"), tr("Unanswered")});
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  histogramme_ = new QChartView(this);
  histogramme_->setMinimumHeight(200);
  retournements_ = new QChartView(this);
  auto* graphes = new QSplitter(Qt::Horizontal, this);
  graphes->addWidget(histogramme_);
  graphes->addWidget(retournements_);
  auto* partage = new QSplitter(Qt::Vertical, this);
  partage->addWidget(table_);
  partage->addWidget(graphes);
  auto* l = new QVBoxLayout(this);
  l->addWidget(resume_);
  l->addWidget(partage, 1);
  connect(table_, &QTableWidget::itemSelectionChanged, this, &CVueTiming::Selection);
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int ligne, int) { AllerAuPire(ligne); });
  table_->setToolTip(tr("Double-click an identifier to select its worst scan in the frames list."));
  connect(this, &CVueTiming::Resultat, this,
          [this](std::shared_ptr<const brv::ResultatTiming> r, const QString& erreur) {
            Attend();
            if (r) Affiche(*r);
            if (!erreur.isEmpty()) resume_->setText(resume_->text() + QStringLiteral("\n") + erreur);
          },
          Qt::QueuedConnection);
}

CVueTiming::~CVueTiming() { Attend(); }

void CVueTiming::Attend() {
  if (travail_.joinable()) travail_.join();
}

void CVueTiming::Mesure(const std::string& chemin, int32_t padding) {
  Attend();
  table_->setRowCount(0);
  chemin_ = chemin;
  if (chemin.empty()) {
    resume_->setText(tr("No acquisition is open."));
    return;
  }
  resume_->setText(tr("Measuring..."));
  // The pass has a file of its own: the window's list goes on reading the capture meanwhile.
  travail_ = std::thread([this, chemin, padding] {
    auto r = std::make_shared<brv::ResultatTiming>();
    std::string message;
    const bool complet = brv::AnalyseTimingChemin(chemin, padding, *r, message) == brv::FinTiming::Complete;
    emit Resultat(r, complet ? QString() : QString::fromStdString(message));
  });
}

void CVueTiming::Affiche(const brv::ResultatTiming& r) {
  resultat_ = r;
  const brv::Macrocycle& m = r.macrocycle;
  resume_->setText(
      m.cycleElementaireNs > 0
          ? tr("Elementary cycle %1 ms, macrocycle %2 ms (%3 cycles), measured on %4: mean %5 ms, max %6 ms. "
               "Marked rows: scans out of tolerance (%7 %) or late answers. Double-click a row to select its worst "
               "scan in the frames list.")
                .arg(Ms(static_cast<double>(m.cycleElementaireNs)), Ms(static_cast<double>(m.periodeNs)))
                .arg(m.periodeCycles)
                .arg(QStringLiteral("%1").arg(m.identifiantMesure, 4, 16, QLatin1Char('0')).toUpper(),
                     Ms(m.mesure.moyenneNs), Ms(static_cast<double>(m.mesure.maxNs)))
                .arg(r.parametres.tolerancePct)
          : tr("No identifier was scanned twice."));
  table_->setSortingEnabled(false);
  table_->setRowCount(0);
  for (const brv::TimingIdentifiant& t : r.identifiants) {
    if (t.appels == 0) continue;
    const int ligne = table_->rowCount();
    table_->insertRow(ligne);
    const brv::ResumeDurees& p = t.periodes.periode;
    auto* id = Nombre(QStringLiteral("%1").arg(t.identifiant, 4, 16, QLatin1Char('0')).toUpper(), t.identifiant);
    id->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->setItem(ligne, COL_ID, id);
    table_->setItem(ligne, COL_SCANS, Nombre(QString::number(t.appels), static_cast<double>(t.appels)));
    table_->setItem(ligne, COL_NOMINAL, Nombre(Ms(static_cast<double>(t.periodes.nominalNs)), static_cast<double>(t.periodes.nominalNs)));
    table_->setItem(ligne, COL_MIN, Nombre(Ms(static_cast<double>(p.minNs)), static_cast<double>(p.minNs)));
    table_->setItem(ligne, COL_MOYENNE, Nombre(Ms(p.moyenneNs), p.moyenneNs));
    table_->setItem(ligne, COL_MAX, Nombre(Ms(static_cast<double>(p.maxNs)), static_cast<double>(p.maxNs)));
    table_->setItem(ligne, COL_HORS, Nombre(QString::number(t.periodes.horsTolerance), static_cast<double>(t.periodes.horsTolerance)));
    table_->setItem(ligne, COL_GIGUE, Nombre(Ms(static_cast<double>(t.periodes.pireEcartNs)), static_cast<double>(t.periodes.pireEcartNs)));
    table_->setItem(ligne, COL_RETOURNEMENT, Nombre(Us(t.retournement.moyenneNs), t.retournement.moyenneNs));
    table_->setItem(ligne, COL_PRECOCES, Nombre(QString::number(t.precoces), static_cast<double>(t.precoces)));
    table_->setItem(ligne, COL_TARDIVES, Nombre(QString::number(t.tardives), static_cast<double>(t.tardives)));
    table_->setItem(ligne, COL_SANS_REPONSE, Nombre(QString::number(t.sansReponse), static_cast<double>(t.sansReponse)));
    if (t.periodes.horsTolerance > 0 || t.tardives > 0) {
      for (int c = 0; c < kNbColonnes; ++c) table_->item(ligne, c)->setBackground(QColor(255, 220, 220));
    }
  }
  table_->setSortingEnabled(true);
  table_->sortItems(COL_ID, Qt::AscendingOrder);
  if (table_->rowCount() > 0) table_->selectRow(0);
}

void CVueTiming::Selection() {
  const auto choisies = table_->selectedItems();
  const brv::TimingIdentifiant* choisi = nullptr;
  if (!choisies.isEmpty()) {
    const auto id = static_cast<uint16_t>(table_->item(choisies.first()->row(), COL_ID)->data(Qt::UserRole).toInt());
    for (const brv::TimingIdentifiant& t : resultat_.identifiants) {
      if (t.identifiant == id) choisi = &t;
    }
  }
  const QString nom = choisi ? QStringLiteral("%1").arg(choisi->identifiant, 4, 16, QLatin1Char('0')).toUpper() : QString();
  MontreHistogramme(histogramme_, choisi ? &choisi->periodes.histogramme : nullptr, tr("Scan periods of %1").arg(nom));
  MontreHistogramme(retournements_, choisi ? &choisi->histoRetournement : nullptr, tr("Turnarounds of %1").arg(nom));
}

void CVueTiming::AllerAuPire(int ligne) {
  if (ligne < 0) return;
  const auto id = static_cast<uint16_t>(table_->item(ligne, COL_ID)->data(Qt::UserRole).toInt());
  for (const brv::TimingIdentifiant& t : resultat_.identifiants) {
    if (t.identifiant == id && t.periodes.periode.n > 0) emit PireScan(t.periodes.pire.repere);
  }
}

}  // namespace brv::ui
