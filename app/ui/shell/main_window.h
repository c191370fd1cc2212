#pragma once
// The main window: the document, its menus and toolbar, the frames list over the information
// pane, and the commands that open, read again and save captures.

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

#include "brv_core/analysis/view_snapshot.h"
#include <vector>

#include "brv_core/acquisition/acquisition_controller.h"
#include "brv_core/document/brenvale_doc.h"
#include "brv_core/file/acq_file.h"
#include "brv_core/userdata/user_data.h"
#include "shell/app_state.h"
#include "shell/commands.h"

class CGrapheDebits;
class QLabel;
class QTimer;
class QMenu;
class QSplitter;

namespace brv::ui {

class CAttenteAcqDlg;
class CFormViewErreurs;
class CFormViewJauges;
class CTreeViewConfigRes;
class CVueTiming;
class CGotoDlg;
class CListViewAcq;
class CListViewMsg;
class CRapportQt;
class ISourceVeille;
class CTacheMoniteur;

class CMainFrame : public QMainWindow {
  Q_OBJECT
 public:
  // Offline (no card), the acquisition commands stay disabled.
  CMainFrame(CRapportQt& rapport, const EtatApplication& application, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The Open acquisition command after its file dialog: confirmation, opening, description, then
  // the rows: from the stored results, or read again at once when the file has none usable.
  bool OuvreCapture(const QString& chemin);
  // Loads a configuration file into the document (not while a task runs).
  bool OuvreConfiguration(const QString& chemin);
  // Placement from the settings, then shown (maximised when it was).
  void AfficheAvecPlacement();
  // The Free run (false) and Triggered (true) commands; false when nothing started.
  bool Demarre(bool declenche);
  // An acquisition runs, or waits for its deferred start.
  bool AcquisitionEnCours() const { return ctl_ != nullptr; }
  // Where standby comes from (logind by default; a test gives its own).
  void DefinitSourceVeille(ISourceVeille* source);

  brv::CBrenvaleDoc& Document() { return *doc_; }
  const brv::AcqFile& Fichier() const { return fichier_; }
  const EtatApplication& Application() const { return application_; }
  CListViewAcq* Liste() const { return liste_; }
  CListViewMsg* Messages() const { return messages_; }
  CTacheMoniteur* Tache() const { return tache_; }
  CAttenteAcqDlg* Attente() const;
  QAction* Action(Commande c) const { return actions_[static_cast<size_t>(c)]; }
  QMenu* MenuRecents() const { return recents_; }
  CTreeViewConfigRes* VueReseau() const { return reseau_; }
  CFormViewErreurs* VueErreurs() const { return erreurs_; }
  CFormViewJauges* VueJauges() const { return jauges_; }
  ::CGrapheDebits* Graphe() const { return graphe_; }
  // The figures the views show now (none before a capture).
  const brv::InstantaneVues* Figures() const { return figures_.get(); }
  // Enables each command by what the program is doing.
  void MetAJourCommandes();

 protected:
  void closeEvent(QCloseEvent* e) override;
  void dragEnterEvent(QDragEnterEvent* e) override;
  void dropEvent(QDropEvent* e) override;

 private:
  void ConstruitMenus();
  void ConstruitBarreOutils();
  void ConstruitPanneaux();
  void Connecte(Commande c, void (CMainFrame::*slot)());
  void MetAJourTitre();
  void MetAJourRecents(const QStringList& fichiers);
  void AfficheNombreLignes(quint64 n);
  // The views: shown and hidden from the Display menu, drawn from the latest figures.
  void ConstruitVues();
  void AppliqueVuesVisibles();
  void AfficheFigures(std::shared_ptr<const brv::InstantaneVues> figures);
  void VideVues();

  // Commands.
  void CmdOuvrirAcquisition();
  void CmdEnregistrerAcquisition();
  void CmdEnregistrerSousAcquisition();
  void CmdNouvelleConfiguration();
  void CmdOuvrirConfiguration();
  void CmdEnregistrerConfiguration();
  void CmdEnregistrerSousConfiguration();
  void CmdOuvrirDonneesUtilisateur();
  void CmdDetailTrame();
  void CmdGoto();
  void CmdAide();
  void CmdAPropos();
  void CmdStatistiques();
  void CmdConfigurationAcquisition();
  void CmdConfigurationAffichage();
  void CmdExporter();
  void CmdComparer();
  void CmdTiming();

  // The wait dialog, its texts and its stop button.
  void MontreAttente();
  void Arret();
  // The acquisition has started writing its file: the list follows it.
  void DebutLive();
  void FinAcquisition();
  void CmdAcquisitionLibre() { Demarre(false); }
  void CmdAcquisitionDeclenchee() { Demarre(true); }
  // The rows of the capture just opened, or a re-calculation that makes them.
  void MontreLignes();
  void LanceRecalcul();
  void FinTache();
  void DetailLigne(quint64 ligne);

  CRapportQt& rapport_;
  EtatApplication application_;
  std::unique_ptr<brv::CBrenvaleDoc> doc_;
  brv::AcqFile fichier_;
  bool captureOuverte_ = false;
  std::vector<brv::DONNEE_UTILISATEUR> donnees_;
  bool donneesChargees_ = false;
  QString cheminConfiguration_;
  // The configuration sheets open on the page they were closed on.
  QPointer<CVueTiming> timing_;
  int pageAcq_ = 0;
  int pageAff_ = 0;

  std::array<QAction*, kNbCommandes> actions_{};
  QMenu* recents_ = nullptr;
  QSplitter* panneaux_ = nullptr;   // the upper part over the information pane
  QSplitter* haut_ = nullptr;       // the views beside the frames list
  QSplitter* vues_ = nullptr;       // network tree, error counters, meters
  QSplitter* centre_ = nullptr;     // the frames list over the data-rate chart
  ::CGrapheDebits* graphe_ = nullptr;
  CTreeViewConfigRes* reseau_ = nullptr;
  CFormViewErreurs* erreurs_ = nullptr;
  CFormViewJauges* jauges_ = nullptr;
  std::shared_ptr<const brv::InstantaneVues> figures_;
  CListViewAcq* liste_ = nullptr;
  CListViewMsg* messages_ = nullptr;
  QLabel* nbLignes_ = nullptr;
  CTacheMoniteur* tache_ = nullptr;
  QPointer<CAttenteAcqDlg> attente_;
  QPointer<CGotoDlg> goto_;
  bool fermerApresTache_ = false;
  std::unique_ptr<brv::CControleurAcquisition> ctl_;
  QTimer* differe_ = nullptr;
  ISourceVeille* veille_ = nullptr;
  bool placementRestaure_ = false;
};

}  // namespace brv::ui
