#include "dialogs/wait_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "brv_core/acquisition/progress_texts.h"

namespace brv::ui {

CAttenteAcqDlg::CAttenteAcqDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Brenvale"));
  setModal(false);
  auto* l = new QVBoxLayout(this);
  etat_ = new QLabel(this);
  barre_ = new QProgressBar(this);
  barre_->setRange(0, 100);
  barre_->setValue(0);
  ecoule_ = new QLabel(this);
  stop_ = new QPushButton(QStringLiteral("Stop"), this);
  l->addWidget(etat_);
  l->addWidget(barre_);
  l->addWidget(ecoule_);
  l->addWidget(stop_, 0, Qt::AlignHCenter);
  setMinimumWidth(360);
  connect(stop_, &QPushButton::clicked, this, &CAttenteAcqDlg::Stop);
}

void CAttenteAcqDlg::DefinitEtat(int etat) {
  etat_->setText(QString::fromUtf8(brv::TexteEtatProgression(etat)));
  ecoule_->setVisible(etat != 5);
}

void CAttenteAcqDlg::DefinitPourcentage(int pourcentage) {
  if (pourcentage < 0 || pourcentage > 100) return;
  barre_->setValue(pourcentage);
}

void CAttenteAcqDlg::DefinitEcoule(quint64 ms) {
  ecoule_->setText(QString::fromStdString(brv::TexteTempsEcoule(ms)));
}

void CAttenteAcqDlg::AfficheBarre(bool oui) { barre_->setVisible(oui); }

QString CAttenteAcqDlg::TexteEtat() const { return etat_->text(); }
int CAttenteAcqDlg::Pourcentage() const { return barre_->value(); }

void CAttenteAcqDlg::Stop() {
  if (arretEnvoye_) return;
  arretEnvoye_ = true;
  stop_->setEnabled(false);
  setCursor(Qt::WaitCursor);
  emit Arret();
}

// Escape and the close box stop the work as the button does; the dialog goes when the work ends.
void CAttenteAcqDlg::closeEvent(QCloseEvent* e) {
  e->ignore();
  Stop();
}

void CAttenteAcqDlg::reject() { Stop(); }

}  // namespace brv::ui
