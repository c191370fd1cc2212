#include "dialogs/pickers/com_picker.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace brv::ui {

CCOMDialDlg::CCOMDialDlg(DEFINITION_TRAME& definition, QWidget* parent)
    : CSelecteurDlg(definition, tr("COM Words"), parent), station_(ListeStations(30, "station", this)) {
  auto* champs = new QFormLayout;
  champs->addRow(tr("Station"), station_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(champs);
  layout->addWidget(Boutons());
}

ResultatSelecteur CCOMDialDlg::Applique(DEFINITION_TRAME& d) { return SelecteurMotsCom(Station(station_), d); }

}  // namespace brv::ui
