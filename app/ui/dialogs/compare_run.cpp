#include "dialogs/compare_run.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTextBrowser>

#include <thread>

#include "brv_core/compare/capture_compare.h"
#include "dialogs/printable_page.h"

namespace brv::ui {

bool ComparerAvec(const brv::CBrenvaleDoc& doc, const QString& chemin, brv::IRapportDocument& rapport, QWidget* parent) {
  const std::string autre = chemin.toLocal8Bit().toStdString();
  brv::CFileRequetes requetes;
  QProgressDialog attente(QObject::tr("Reading %1...").arg(QFileInfo(chemin).fileName()), QObject::tr("Cancel"), 0, 0,
                          parent);
  attente.setWindowTitle(QObject::tr("Compare with"));
  attente.setWindowModality(Qt::ApplicationModal);
  attente.setMinimumDuration(300);
  bool annule = false;
  QObject::connect(&attente, &QProgressDialog::canceled, &attente, [&] {
    annule = true;
    requetes.Poste(brv::RequeteTache::ArretUtilisateur);
  });
  // The other capture has a document of its own; the open one is only read while the window
  // takes no input (the progress dialog is modal).
  brv::ResumeCapture avant = brv::ResumeDe(doc);
  std::optional<brv::ResumeCapture> apres;
  std::string erreur;
  QEventLoop boucle;
  std::thread lecture([&] {
    std::string erreurAvant;
    if (!brv::AjouteTiming(doc, avant, erreurAvant)) avant.temps.clear();
    apres = brv::ResumeFichier(autre, requetes, erreur);
    QMetaObject::invokeMethod(&boucle, &QEventLoop::quit, Qt::QueuedConnection);
  });
  boucle.exec();
  lecture.join();
  attente.reset();
  if (annule) return false;
  if (!apres) {
    rapport.BoiteMessage(erreur + "\n" + autre, brv::IconeMessage::Erreur);
    return false;
  }
  CPageImprimable page(QObject::tr("Comparison"), parent);
  page.Navigateur()->setHtml(QString::fromStdString(
      brv::PageComparaison(doc.AcqFilePath, autre, brv::CompareCaptures(avant, *apres))));
  page.exec();
  return true;
}

}  // namespace brv::ui
