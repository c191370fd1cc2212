#include "dialogs/frame_detail_dialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "brv_core/report/frame_detail.h"

namespace brv::ui {

CDetailTrameDlg::CDetailTrameDlg(const CBrenvaleDoc& doc, const AcqFile& fichier, uint64_t ligne,
                                 const std::vector<DONNEE_UTILISATEUR>* donnees, const std::string& chemin,
                                 QWidget* parent)
    : QDialog(parent), navigateur_(new QTextBrowser(this)) {
  setWindowTitle(tr("Frame detail"));
  resize(640, 600);
  // A page of our own making: nothing in it is followed or run.
  navigateur_->setOpenLinks(false);
  navigateur_->setOpenExternalLinks(false);

  auto* boutons = new QDialogButtonBox(this);
  auto* apercu = boutons->addButton(tr("Preview..."), QDialogButtonBox::ActionRole);
  auto* imprimer = boutons->addButton(tr("Print..."), QDialogButtonBox::ActionRole);
  auto* fermer = boutons->addButton(tr("Close"), QDialogButtonBox::RejectRole);
  fermer->setDefault(true);
  connect(apercu, &QPushButton::clicked, this, &CDetailTrameDlg::Apercu);
  connect(imprimer, &QPushButton::clicked, this, &CDetailTrameDlg::Imprime);
  connect(fermer, &QPushButton::clicked, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(navigateur_);
  layout->addWidget(boutons);

  if (chemin.empty()) {
    erreur_ = tr("Error initialising frame detail dialog box:\nImpossible to define a temporary file.");
    return;
  }
  std::string message;
  if (!EcritDetailTrame(PageDetailTrame(doc, fichier, ligne, donnees), chemin, message)) {
    erreur_ = QString::fromStdString(message);
    return;
  }
  navigateur_->setSource(QUrl::fromLocalFile(QString::fromStdString(chemin)), QTextDocument::HtmlResource);
}

void CDetailTrameDlg::Ouvre(const CBrenvaleDoc& doc, const AcqFile& fichier, uint64_t ligne,
                            const std::vector<DONNEE_UTILISATEUR>* donnees, QWidget* parent) {
  CDetailTrameDlg dlg(doc, fichier, ligne, donnees, CheminDetailTrame(), parent);
  if (!dlg.Pret()) {
    QMessageBox::critical(parent, QCoreApplication::applicationName(), dlg.Erreur());
    return;
  }
  dlg.exec();
}

void CDetailTrameDlg::Apercu() {
  QPrintPreviewDialog apercu(this);
  connect(&apercu, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* imprimante) { navigateur_->document()->print(imprimante); });
  apercu.exec();
}

void CDetailTrameDlg::Imprime() {
  QPrinter imprimante;
  QPrintDialog choix(&imprimante, this);
  if (choix.exec() == QDialog::Accepted) navigateur_->document()->print(&imprimante);
}

}  // namespace brv::ui
