#pragma once
// "UNI-TE Requests": a request or its report between two stations, or the bus arbitrator's leave
// for a station to send its requests.

#include "dialogs/pickers/picker_dialog.h"

class QListWidget;

namespace brv::ui {

class CuniTEConfDial : public CSelecteurDlg {
  Q_OBJECT
 public:
  explicit CuniTEConfDial(brv::DEFINITION_TRAME& definition, QWidget* parent = nullptr);

 protected:
  brv::ResultatSelecteur Applique(brv::DEFINITION_TRAME& d) override;

 private:
  QListWidget* requetes_;
  QCheckBox* requete_;
  QCheckBox* rapport_;
  QComboBox* source_;
  QComboBox* destination_;
  QCheckBox* paires_;
  QCheckBox* impaires_;
  QCheckBox* parEmetteur_;
};

}  // namespace brv::ui
