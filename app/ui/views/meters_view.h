#pragma once
// The last data-rate point of a run: its chart time and its three loads, each as a gauge and
// as a number.

#include <QWidget>

#include <array>

#include "brv_core/analysis/view_snapshot.h"

class QLabel;
class QProgressBar;

namespace brv::ui {

class CFormViewJauges : public QWidget {
  Q_OBJECT
 public:
  enum Charge { CHARGE_DONNEES = 0, CHARGE_MESSAGES = 1, TAUX_ERREUR = 2 };
  static constexpr int kNbCharges = 3;
  // The gauges count in hundredths of a percent so that small error rates still move them.
  static constexpr int kEchelleJauge = 100;

  explicit CFormViewJauges(QWidget* parent = nullptr);

  // Shows the last point of v; empty when v has none.
  void Affiche(const brv::InstantaneVues& v);
  void Vide();

  QString TexteTemps() const;
  QString TexteCharge(Charge c) const;
  const QProgressBar* Jauge(Charge c) const { return jauges_[c]; }

 private:
  QLabel* temps_;
  std::array<QProgressBar*, kNbCharges> jauges_{};
  std::array<QLabel*, kNbCharges> valeurs_{};
};

}  // namespace brv::ui
