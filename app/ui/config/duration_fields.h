#pragma once
// Days, hours, minutes and seconds fields, each held to its limit while it is typed.

#include <QWidget>

#include "brv_core/config/acq_pages.h"

class QLineEdit;

namespace brv::ui {

// A line edit that takes digits only and replaces a value above its limit at once.
QLineEdit* ChampBorne(brv::ChampBorne champ, QWidget* parent);

class CChampsDuree : public QWidget {
  Q_OBJECT
 public:
  explicit CChampsDuree(QWidget* parent = nullptr);
  void Definit(const brv::SaisieDuree& d);
  brv::SaisieDuree Saisie() const;
  QLineEdit* Jours() const { return jours_; }

 signals:
  void Modifie();

 private:
  QLineEdit* jours_;
  QLineEdit* heures_;
  QLineEdit* minutes_;
  QLineEdit* secondes_;
};

}  // namespace brv::ui
