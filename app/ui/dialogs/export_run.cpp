#include "dialogs/export_run.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QProgressDialog>
#include <QSettings>
#include <QTimer>
#include <QWindow>

#include <atomic>
#include <thread>

#include <brv_platform/files.h>

#include "brv_core/report/desktop_opener.h"
#include "dialogs/export_dialog.h"
#include "shell/settings.h"

namespace brv::ui {

namespace {

// Rows written so far, and the stop asked by Cancel; shared with the writing thread.
class CProgres : public IProgresExport {
 public:
  bool Continue(uint64_t lignesEcrites, uint64_t lignesTotal) override {
    ecrites_.store(lignesEcrites, std::memory_order_relaxed);
    total_.store(lignesTotal, std::memory_order_relaxed);
    return !arret_.load(std::memory_order_relaxed);
  }
  void Arrete() { arret_.store(true, std::memory_order_relaxed); }
  int PourMille() const {
    const uint64_t total = total_.load(std::memory_order_relaxed);
    const uint64_t ecrites = ecrites_.load(std::memory_order_relaxed);
    return total == 0 ? 0 : static_cast<int>(std::min<uint64_t>(ecrites, total) * 1000 / total);
  }

 private:
  std::atomic<uint64_t> ecrites_{0};
  std::atomic<uint64_t> total_{0};
  std::atomic<bool> arret_{false};
};

// The progress dialog shows only once the writing lasts; until then the other windows take no
// input either, so that nothing changes the capture under the writing thread.
class CBloqueSaisie : public QObject {
 public:
  explicit CBloqueSaisie(QWidget* permis) : permis_(permis) { qApp->installEventFilter(this); }
  ~CBloqueSaisie() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
      case QEvent::Close:
        break;
      default:
        return false;
    }
    if (auto* w = qobject_cast<QWidget*>(o); w != nullptr && (w == permis_ || permis_->isAncestorOf(w))) return false;
    if (auto* f = qobject_cast<QWindow*>(o); f != nullptr && f == permis_->windowHandle()) return false;
    e->ignore();  // a refused close keeps the window
    return true;
  }

 private:
  QWidget* permis_;
};

}  // namespace

ResultatExport EcritExport(const std::string& chemin, const DemandeExport& demande, const SourceExport& source,
                           QWidget* parent) {
  CProgres progres;
  QProgressDialog dlg(QObject::tr("Exporting to %1...").arg(QFileInfo(QString::fromLocal8Bit(chemin.c_str())).fileName()),
                      QObject::tr("Cancel"), 0, 1000, parent);
  dlg.setWindowTitle(QObject::tr("Export to"));
  dlg.setWindowModality(Qt::ApplicationModal);
  dlg.setAutoClose(false);
  dlg.setAutoReset(false);
  dlg.setMinimumDuration(500);
  QObject::connect(&dlg, &QProgressDialog::canceled, &dlg, [&progres] { progres.Arrete(); });
  QTimer minuteur;
  QObject::connect(&minuteur, &QTimer::timeout, &dlg, [&] {
    if (!dlg.wasCanceled()) dlg.setValue(progres.PourMille());
  });
  minuteur.start(100);

  CBloqueSaisie bloque(&dlg);
  QEventLoop boucle;
  ResultatExport r;
  std::thread ecriture([&] {
    r = ExporteTexte(chemin, demande.p, source, demande.premiere, demande.derniere, &progres);
    QMetaObject::invokeMethod(&boucle, &QEventLoop::quit, Qt::QueuedConnection);
  });
  boucle.exec();
  // The thread has nothing left to do but return.
  ecriture.join();
  return r;
}

void Exporte(const SourceExport& source, std::optional<std::pair<uint64_t, uint64_t>> selection, QSettings& reglages,
             IRapportDocument& rapport, QWidget* parent) {
  if (RienATransferer(source.doc)) {
    rapport.BoiteMessage("There is nothing to transfer.", IconeMessage::Erreur);
    return;
  }
  COuvreurBureau ouvreur;
  const DisponibiliteExport d = Disponibilite(source, selection.has_value(), ouvreur.Programmes());
  const PARAM_EXPORT memorise = LitChoixExport(reglages);
  PARAM_EXPORT choisi;
  {
    CExportDlg dlg(memorise, d, parent);
    if (dlg.exec() != QDialog::Accepted) return;
    choisi = dlg.Choix();
  }
  SauveChoixExport(reglages, ExportAMemoriser(choisi, memorise, d));

  const QString dossier = QFileInfo(QString::fromLocal8Bit(source.doc.AcqFilePath.c_str())).absolutePath();
  QFileDialog fichiers(parent, QObject::tr("Create a text file"), dossier,
                       QObject::tr("Text files (*.txt);;All files (*)"));
  fichiers.setAcceptMode(QFileDialog::AcceptSave);
  fichiers.setDefaultSuffix(QStringLiteral("txt"));
  fichiers.selectFile(QDir(dossier).filePath(QStringLiteral("brv.txt")));
  if (fichiers.exec() != QDialog::Accepted || fichiers.selectedFiles().isEmpty()) return;
  const std::string chemin = fichiers.selectedFiles().first().toLocal8Bit().toStdString();
  if (platform::names_an_input(chemin, {source.doc.AcqFilePath})) {
    rapport.BoiteMessage(platform::overwrite_input_message(chemin), IconeMessage::Erreur);
    return;
  }

  const DemandeExport demande = DemandeEcriture(choisi, d, source.doc.Resultats.ulNbTramesAffichables, selection);
  const ResultatExport r = EcritExport(chemin, demande, source, parent);
  if (r.etat == ResultatExport::Annule) return;
  if (r.etat != ResultatExport::Ok) {
    // What failed, then where: the capture for a read, the text file otherwise.
    const std::string& ou = r.etat == ResultatExport::ErreurLecture ? source.doc.AcqFilePath : chemin;
    std::string texte = r.message;
    if (r.etat != ResultatExport::RienATransferer) texte += "\n" + (r.detail.empty() ? ou : ou + ": " + r.detail);
    rapport.BoiteMessage(texte, IconeMessage::Erreur);
    return;
  }
  const std::string avertissement = OuvreExport(chemin, demande.p, ouvreur);
  if (!avertissement.empty()) rapport.BoiteMessage(avertissement, IconeMessage::Avertissement);
}

}  // namespace brv::ui
