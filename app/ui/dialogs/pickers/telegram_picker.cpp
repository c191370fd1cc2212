#include "dialogs/pickers/telegram_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace brv::ui {

CTelegram::CTelegram(DEFINITION_TRAME& definition, QWidget* parent)
    : CSelecteurDlg(definition, tr("Telegrams"), parent),
      source_(ListeStations(15, "source", this)),
      destination_(ListeStations(15, "destination", this)),
      option_(new QCheckBox(tr("Don't filter periodic requests from bus arbitrator"), this)),
      paires_(new QCheckBox(tr("Even responses"), this)),
      impaires_(new QCheckBox(tr("Odd responses"), this)) {
  option_->setObjectName(QStringLiteral("option"));
  paires_->setObjectName(QStringLiteral("paires"));
  impaires_->setObjectName(QStringLiteral("impaires"));
  Exclusives(paires_, impaires_);

  auto* stations = new QFormLayout;
  stations->addRow(tr("Source station"), source_);
  stations->addRow(tr("Destination station"), destination_);
  auto* reponses = new QHBoxLayout;
  reponses->addWidget(paires_);
  reponses->addWidget(impaires_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(stations);
  layout->addWidget(option_);
  layout->addLayout(reponses);
  layout->addWidget(Boutons());

  Active();
  connect(option_, &QCheckBox::toggled, this, &CTelegram::Active);
}

// Only the telegrams themselves have a destination and a parity.
void CTelegram::Active() {
  const bool option = option_->isChecked();
  destination_->setEnabled(option);
  paires_->setEnabled(option);
  impaires_->setEnabled(option);
}

ResultatSelecteur CTelegram::Applique(DEFINITION_TRAME& d) {
  ChoixTelegrammes c;
  c.source = Station(source_);
  c.destination = Station(destination_);
  c.nePasFiltrerArbitre = option_->isChecked();
  c.paires = paires_->isChecked();
  c.impaires = impaires_->isChecked();
  return SelecteurTelegrammes(c, d);
}

}  // namespace brv::ui
