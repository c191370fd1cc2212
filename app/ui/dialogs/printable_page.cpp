#include "dialogs/printable_page.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace brv::ui {

CPageImprimable::CPageImprimable(const QString& titre, QWidget* parent) : QDialog(parent), navigateur_(new QTextBrowser(this)) {
  setWindowTitle(titre);
  resize(640, 600);
  // A page of our own making: nothing in it is followed or run.
  navigateur_->setOpenLinks(false);
  navigateur_->setOpenExternalLinks(false);

  auto* boutons = new QDialogButtonBox(this);
  auto* apercu = boutons->addButton(tr("Preview..."), QDialogButtonBox::ActionRole);
  auto* imprimer = boutons->addButton(tr("Print..."), QDialogButtonBox::ActionRole);
  auto* fermer = boutons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
  fermer->setDefault(true);
  connect(apercu, &QPushButton::clicked, this, &CPageImprimable::Apercu);
  connect(imprimer, &QPushButton::clicked, this, &CPageImprimable::Imprime);
  connect(fermer, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(navigateur_);
  layout->addWidget(boutons);
}

void CPageImprimable::Apercu() {
  QPrintPreviewDialog apercu(this);
  connect(&apercu, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* imprimante) { navigateur_->document()->print(imprimante); });
  apercu.exec();
}

void CPageImprimable::Imprime() {
  QPrinter imprimante;
  QPrintDialog choix(&imprimante, this);
  if (choix.exec() == QDialog::Accepted) navigateur_->document()->print(&imprimante);
}

}  // namespace brv::ui
