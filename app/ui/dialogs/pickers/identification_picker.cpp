#include "dialogs/pickers/identification_picker.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace brv::ui {

CIdfStationsDlg::CIdfStationsDlg(DEFINITION_TRAME& definition, QWidget* parent)
    : CSelecteurDlg(definition, tr("Stations  Identification variables"), parent),
      station_(ListeStations(63, "station", this)),
      identification_(new QRadioButton(tr("Identification"), this)),
      presence_(new QRadioButton(tr("Presence"), this)) {
  identification_->setObjectName(QStringLiteral("identification"));
  presence_->setObjectName(QStringLiteral("presence"));
  presence_->setChecked(true);

  auto* champs = new QFormLayout;
  champs->addRow(tr("Station"), station_);
  auto* variable = new QHBoxLayout;
  variable->addWidget(identification_);
  variable->addWidget(presence_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(champs);
  layout->addLayout(variable);
  layout->addWidget(Boutons());
}

ResultatSelecteur CIdfStationsDlg::Applique(DEFINITION_TRAME& d) {
  return SelecteurIdentification(Station(station_), presence_->isChecked(), d);
}

}  // namespace brv::ui
