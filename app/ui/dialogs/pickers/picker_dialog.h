#pragma once
// What the four FIPIO-FIPWAY pickers share: they run modally over the definition being edited and
// fill it on OK through their core function, keeping what it answered.

#include <QDialog>

#include "brv_core/definitions/pickers.h"

class QCheckBox;
class QComboBox;
class QDialogButtonBox;

namespace brv::ui {

class CSelecteurDlg : public QDialog {
  Q_OBJECT
 public:
  // Inchange until OK.
  brv::ResultatSelecteur Resultat() const { return resultat_; }
  void accept() override;

 protected:
  CSelecteurDlg(brv::DEFINITION_TRAME& definition, const QString& titre, QWidget* parent);
  // Runs the picker's core function on the definition.
  virtual brv::ResultatSelecteur Applique(brv::DEFINITION_TRAME& d) = 0;

  // A station list from 0 to dernier, with a blank first entry for "none".
  static QComboBox* ListeStations(int dernier, const char* nom, QWidget* parent);
  // The chosen station, -1 for none.
  static int Station(const QComboBox* liste);
  // Ticking one box clears the other; both may stay clear.
  static void Exclusives(QCheckBox* a, QCheckBox* b);
  QDialogButtonBox* Boutons();

 private:
  brv::DEFINITION_TRAME& definition_;
  brv::ResultatSelecteur resultat_ = brv::ResultatSelecteur::Inchange;
};

}  // namespace brv::ui
