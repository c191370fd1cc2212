#include "views/meters_view.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <string>

#include "brv_core/decode/decodage_trame.h"

namespace brv::ui {
namespace {

constexpr const char* kNomsCharges[CFormViewJauges::kNbCharges] = {"Data load", "Message load", "Error rate"};

// Gauge positions of a load in percent; a load outside 0..100 (or not a number) pins the gauge.
int PositionJauge(float charge) {
  if (!(charge > 0.0f)) return 0;
  const double p = std::round(static_cast<double>(charge) * CFormViewJauges::kEchelleJauge);
  return static_cast<int>(std::min(p, 100.0 * CFormViewJauges::kEchelleJauge));
}

}  // namespace

CFormViewJauges::CFormViewJauges(QWidget* parent) : QWidget(parent), temps_(new QLabel(this)) {
  auto* grille = new QGridLayout;
  grille->setHorizontalSpacing(10);
  grille->addWidget(new QLabel(tr("Time"), this), 0, 0);
  temps_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grille->addWidget(temps_, 0, 1, 1, 3);
  // The value column is as wide as the widest "%0.4g" text, so that the gauges do not jump.
  const int largeurValeur = fontMetrics().horizontalAdvance(QStringLiteral("-0.0000e-00"));
  for (int c = 0; c < kNbCharges; ++c) {
    grille->addWidget(new QLabel(tr(kNomsCharges[c]), this), c + 1, 0);
    auto* jauge = new QProgressBar(this);
    jauge->setRange(0, 100 * kEchelleJauge);
    jauge->setTextVisible(false);
    jauge->setMinimumWidth(120);
    jauges_[c] = jauge;
    grille->addWidget(jauge, c + 1, 1);
    auto* valeur = new QLabel(this);
    valeur->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    valeur->setMinimumWidth(largeurValeur);
    valeurs_[c] = valeur;
    grille->addWidget(valeur, c + 1, 2);
    grille->addWidget(new QLabel(QStringLiteral("%"), this), c + 1, 3);
  }
  grille->setColumnStretch(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grille);
  layout->addStretch(1);
  Vide();
}

void CFormViewJauges::Affiche(const InstantaneVues& v) {
  if (v.points.empty()) {
    Vide();
    return;
  }
  const PointDebit& p = v.points.back();
  std::string duree;
  CDecodageTrame::FormateDuree(static_cast<int64_t>(p.ullTempsGraphe), duree);
  temps_->setText(QString::fromStdString(duree));
  const std::array<float, kNbCharges> charges{p.fChargeDonnees, p.fChargeMessages, p.fTauxErreur};
  for (int c = 0; c < kNbCharges; ++c) {
    jauges_[c]->setValue(PositionJauge(charges[c]));
    valeurs_[c]->setText(QString::asprintf("%0.4g", static_cast<double>(charges[c])));
  }
}

void CFormViewJauges::Vide() {
  temps_->clear();
  for (int c = 0; c < kNbCharges; ++c) {
    jauges_[c]->setValue(0);
    valeurs_[c]->clear();
  }
}

QString CFormViewJauges::TexteTemps() const { return temps_->text(); }

QString CFormViewJauges::TexteCharge(Charge c) const { return valeurs_[c]->text(); }

}  // namespace brv::ui
