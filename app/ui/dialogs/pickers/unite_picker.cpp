#include "dialogs/pickers/unite_picker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QVBoxLayout>

#include "brv_core/decode/unite_requests.h"

namespace brv::ui {

CuniTEConfDial::CuniTEConfDial(DEFINITION_TRAME& definition, QWidget* parent)
    : CSelecteurDlg(definition, tr("UNI-TE Requests"), parent),
      requetes_(new QListWidget(this)),
      requete_(new QCheckBox(tr("Request"), this)),
      rapport_(new QCheckBox(tr("Report"), this)),
      source_(ListeStations(63, "source", this)),
      destination_(ListeStations(63, "destination", this)),
      paires_(new QCheckBox(tr("Even responses"), this)),
      impaires_(new QCheckBox(tr("Odd responses"), this)),
      parEmetteur_(new QCheckBox(tr("Search by transmitting  station"), this)) {
  requetes_->setObjectName(QStringLiteral("requetes"));
  requete_->setObjectName(QStringLiteral("requete"));
  rapport_->setObjectName(QStringLiteral("rapport"));
  paires_->setObjectName(QStringLiteral("paires"));
  impaires_->setObjectName(QStringLiteral("impaires"));
  parEmetteur_->setObjectName(QStringLiteral("parEmetteur"));
  for (const RequeteUniTe& r : kRequetesUniTe) {
    requetes_->addItem(QString::fromLatin1(r.nom.data(), static_cast<qsizetype>(r.nom.size())));
  }
  requetes_->setSelectionMode(QAbstractItemView::SingleSelection);
  requetes_->setMinimumHeight(requetes_->fontMetrics().height() * 16);
  requete_->setChecked(true);
  paires_->setChecked(true);
  Exclusives(paires_, impaires_);

  auto* sens = new QHBoxLayout;
  sens->addWidget(requete_);
  sens->addWidget(rapport_);
  auto* stations = new QFormLayout;
  stations->addRow(tr("Source station"), source_);
  stations->addRow(tr("Destination station"), destination_);
  auto* reponses = new QHBoxLayout;
  reponses->addWidget(paires_);
  reponses->addWidget(impaires_);

  auto* choix = new QVBoxLayout;
  choix->addLayout(sens);
  choix->addLayout(stations);
  choix->addLayout(reponses);
  choix->addWidget(parEmetteur_);
  choix->addStretch();
  auto* haut = new QHBoxLayout;
  haut->addWidget(requetes_);
  haut->addLayout(choix);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(haut);
  layout->addWidget(Boutons());
}

ResultatSelecteur CuniTEConfDial::Applique(DEFINITION_TRAME& d) {
  ChoixUniTe c;
  c.requete = requetes_->currentItem() != nullptr && requetes_->currentItem()->isSelected() ? requetes_->currentRow() : -1;
  c.requeteCoche = requete_->isChecked();
  c.rapport = rapport_->isChecked();
  c.source = Station(source_);
  c.destination = Station(destination_);
  c.paires = paires_->isChecked();
  c.impaires = impaires_->isChecked();
  c.parEmetteur = parEmetteur_->isChecked();
  return SelecteurUniTe(c, d);
}

}  // namespace brv::ui
