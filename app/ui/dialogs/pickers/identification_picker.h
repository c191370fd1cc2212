#pragma once
// "Stations  Identification variables": the presence or the identification variable of a station.

#include "dialogs/pickers/picker_dialog.h"

class QRadioButton;

namespace brv::ui {

class CIdfStationsDlg : public CSelecteurDlg {
  Q_OBJECT
 public:
  explicit CIdfStationsDlg(brv::DEFINITION_TRAME& definition, QWidget* parent = nullptr);

 protected:
  brv::ResultatSelecteur Applique(brv::DEFINITION_TRAME& d) override;

 private:
  QComboBox* station_;
  QRadioButton* identification_;
  QRadioButton* presence_;
};

}  // namespace brv::ui
