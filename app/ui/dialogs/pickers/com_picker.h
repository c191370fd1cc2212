#pragma once
// "COM Words": the common-words variable of a station.

#include "dialogs/pickers/picker_dialog.h"

namespace brv::ui {

class CCOMDialDlg : public CSelecteurDlg {
  Q_OBJECT
 public:
  explicit CCOMDialDlg(brv::DEFINITION_TRAME& definition, QWidget* parent = nullptr);

 protected:
  brv::ResultatSelecteur Applique(brv::DEFINITION_TRAME& d) override;

 private:
  QComboBox* station_;
};

}  // namespace brv::ui
