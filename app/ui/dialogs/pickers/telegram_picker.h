#pragma once
// "Telegrams": the bus arbitrator's requests for telegrams, or the telegrams themselves between two
// stations.

#include "dialogs/pickers/picker_dialog.h"

namespace brv::ui {

class CTelegram : public CSelecteurDlg {
  Q_OBJECT
 public:
  explicit CTelegram(brv::DEFINITION_TRAME& definition, QWidget* parent = nullptr);

 protected:
  brv::ResultatSelecteur Applique(brv::DEFINITION_TRAME& d) override;

 private:
  void Active();

  QComboBox* source_;
  QComboBox* destination_;
  QCheckBox* option_;
  QCheckBox* paires_;
  QCheckBox* impaires_;
};

}  // namespace brv::ui
