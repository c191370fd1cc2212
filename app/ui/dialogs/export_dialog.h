#pragma once
// The "Export to" dialog: the target program and its separator, the sections, and the frames
// (all, the selection or none; raw or interpreted). It opens with the saved choices adjusted to
// what the capture and the desktop offer; the rules are the core's.

#include <QDialog>

#include "brv_core/report/export_choices.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace brv::ui {

class CExportDlg : public QDialog {
  Q_OBJECT
 public:
  CExportDlg(const brv::PARAM_EXPORT& memorise, const brv::DisponibiliteExport& d, QWidget* parent = nullptr);

  // The choices as shown.
  brv::PARAM_EXPORT Choix() const;

 private:
  // Enables each control by the choices shown.
  void MetAJourControles();

  brv::DisponibiliteExport d_;
  QButtonGroup* format_;
  QCheckBox* ouvrirTraitementTexte_;
  QCheckBox* ouvrirTableur_;
  QCheckBox* utiliseSeparateur_;
  QLineEdit* separateur_;
  QLabel* tabulation_;
  QCheckBox* information_;
  QCheckBox* erreurs_;
  QCheckBox* reseau_;
  QCheckBox* debits_;
  QCheckBox* statistiques_;
  QCheckBox* timing_;
  QButtonGroup* trames_;
  QButtonGroup* contenu_;
};

}  // namespace brv::ui
