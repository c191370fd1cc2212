#include "dialogs/goto_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace brv::ui {

CGotoDlg::CGotoDlg(OptionsGoto& options, QWidget* parent)
    : QDialog(parent),
      options_(options),
      dateZero_(new QCheckBox(tr("Date 0"), this)),
      evenements_(new QCheckBox(tr("Events"), this)),
      erreurs_(new QCheckBox(tr("Errors"), this)),
      haut_(new QRadioButton(tr("Up"))),
      bas_(new QRadioButton(tr("Down"))),
      chercher_(new QPushButton(tr("Find"))) {
  setWindowTitle(tr("Goto"));

  auto* sens = new QGroupBox(tr("Direction"), this);
  auto* sensLayout = new QHBoxLayout(sens);
  sensLayout->addWidget(haut_);
  sensLayout->addWidget(bas_);

  auto* boutons = new QDialogButtonBox(Qt::Vertical, this);
  boutons->addButton(chercher_, QDialogButtonBox::ActionRole);
  auto* fermer = boutons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
  chercher_->setDefault(true);

  auto* choix = new QVBoxLayout;
  choix->addWidget(dateZero_);
  choix->addWidget(evenements_);
  choix->addWidget(erreurs_);
  choix->addWidget(sens);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(choix);
  layout->addWidget(boutons);

  Relit();
  connect(dateZero_, &QCheckBox::toggled, this, [this](bool b) { options_.bDateZero = b; });
  connect(evenements_, &QCheckBox::toggled, this, [this](bool b) { options_.bEvenements = b; });
  connect(erreurs_, &QCheckBox::toggled, this, [this](bool b) { options_.bErreurs = b; });
  connect(haut_, &QRadioButton::toggled, this, [this](bool b) { options_.bVersLeHaut = b; });
  connect(chercher_, &QPushButton::clicked, this, &CGotoDlg::Cherche);
  connect(fermer, &QPushButton::clicked, this, &QDialog::reject);
}

void CGotoDlg::Relit() {
  // Set from the options without writing them back half-way.
  const OptionsGoto o = options_;
  dateZero_->setChecked(o.bDateZero);
  evenements_->setChecked(o.bEvenements);
  erreurs_->setChecked(o.bErreurs);
  (o.bVersLeHaut ? haut_ : bas_)->setChecked(true);
  options_ = o;
}

}  // namespace brv::ui
