#include "dialogs/frame_detail_dialog.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>

#include "brv_core/report/frame_detail.h"

namespace brv::ui {

CDetailTrameDlg::CDetailTrameDlg(const CBrenvaleDoc& doc, const AcqFile& fichier, uint64_t ligne,
                                 const std::vector<DONNEE_UTILISATEUR>* donnees, const std::string& chemin,
                                 QWidget* parent)
    : CPageImprimable(tr("Frame detail"), parent) {
  if (chemin.empty()) {
    erreur_ = tr("Error initialising frame detail dialog box:\nImpossible to define a temporary file.");
    return;
  }
  std::string message;
  if (!EcritDetailTrame(PageDetailTrame(doc, fichier, ligne, donnees), chemin, message)) {
    erreur_ = QString::fromStdString(message);
    return;
  }
  Navigateur()->setSource(QUrl::fromLocalFile(QString::fromStdString(chemin)), QTextDocument::HtmlResource);
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

}  // namespace brv::ui
