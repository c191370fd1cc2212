#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>

#include "brv_core/document/stored_results.h"
#include "brv_core/file/repair_offer.h"
#include "charts/data_rate_chart.h"
#include "config/acq_sheet.h"
#include "config/display_sheet.h"
#include "dialogs/about_dialog.h"
#include "dialogs/compare_run.h"
#include "views/timing_view.h"
#include "dialogs/export_run.h"
#include "dialogs/statistics_dialog.h"
#include "dialogs/frame_detail_dialog.h"
#include "dialogs/goto_dialog.h"
#include "dialogs/wait_dialog.h"
#include "frames/frames_view.h"
#include "shell/help.h"
#include "shell/message_pane.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"
#include "shell/settings.h"
#include "shell/standby.h"
#include "views/error_counters_view.h"
#include "views/meters_view.h"
#include "views/network_view.h"

namespace brv::ui {

namespace {

QSettings Reglages() { return QSettings(QStringLiteral("Quorvane"), QStringLiteral("Brenvale")); }

std::string Chemin(const QString& q) { return q.toLocal8Bit().toStdString(); }

// The views of the Display menu, in the order of their "SplitterWnd/Views" flags.
constexpr Commande kCommandesVues[] = {Commande::VueReseau, Commande::VueErreurs, Commande::VueGrapheDebits,
                                       Commande::VueCompteursDebits};

const QString kFiltreAcq = QStringLiteral("Acquisition Files (*.dat);;All Files (*)");
const QString kFiltreConfig = QStringLiteral("Configuration files (*.cfg);;All files (*)");

}  // namespace

CMainFrame::CMainFrame(CRapportQt& rapport, const EtatApplication& application, QWidget* parent)
    : QMainWindow(parent), rapport_(rapport), application_(application), doc_(std::make_unique<brv::CBrenvaleDoc>(rapport)) {
  setObjectName(QStringLiteral("CMainFrame"));
  setAcceptDrops(true);
  rapport_.DefinitFenetre(this);
  tache_ = new CTacheMoniteur(this);
  ConstruitPanneaux();
  ConstruitMenus();
  ConstruitBarreOutils();
  nbLignes_ = new QLabel(this);
  statusBar()->addPermanentWidget(nbLignes_);
  statusBar()->showMessage(QStringLiteral("Ready"));

  connect(&rapport_, &CRapportQt::Ligne, messages_, &CListViewMsg::Ajoute);
  connect(tache_, &CTacheMoniteur::LigneInformation, messages_, &CListViewMsg::Ajoute);
  connect(tache_, &CTacheMoniteur::NbLignes, this, &CMainFrame::AfficheNombreLignes);
  connect(tache_, &CTacheMoniteur::Termine, this, &CMainFrame::FinTache);
  connect(tache_, &CTacheMoniteur::Instantane, this, &CMainFrame::AfficheFigures);
  connect(tache_, &CTacheMoniteur::BoiteErreur, this,
          [this](const QString& t) { rapport_.BoiteMessage(t.toStdString(), brv::IconeMessage::Erreur); });
  connect(tache_, &CTacheMoniteur::EnTete, this, [this](const vandrel::ENTETE_FICHIER& h) {
    // The rows the task is about to index lie in the zones of this header.
    if (ctl_ && fichier_.follow(h) == brv::AcqOpenStatus::Ok) liste_->Relit();
  });
  differe_ = new QTimer(this);
  differe_->setSingleShot(true);
  connect(differe_, &QTimer::timeout, this, [this] {
    if (!ctl_) return;
    if (ctl_->DemarreDiffere()) {
      DebutLive();
    } else {
      FinAcquisition();
    }
  });
  DefinitSourceVeille(new CVeilleLogind(this));
  connect(liste_, &CListViewAcq::DetailDemande, this, &CMainFrame::DetailLigne);
  connect(liste_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CMainFrame::MetAJourCommandes);

  QSettings s = Reglages();
  liste_->LitLargeurs(s);
  // Which views show: "1" or "0" for the network tree, the error counters, the chart, the meters.
  const QStringList vues = s.value(QStringLiteral("SplitterWnd/Views"), QStringLiteral("1 1 1 1")).toString().split(QLatin1Char(' '));
  for (int i = 0; i < 4; ++i) Action(kCommandesVues[i])->setChecked(i >= vues.size() || vues[i] != QLatin1String("0"));
  AppliqueVuesVisibles();
  RestaurePanneaux(s, 0, *panneaux_);
  RestaurePanneaux(s, 1, *haut_);
  RestaurePanneaux(s, 2, *vues_);
  RestaurePanneaux(s, 3, *centre_);
  MetAJourRecents(FichiersRecents(s));
  MetAJourTitre();
  MetAJourCommandes();
}

CMainFrame::~CMainFrame() {
  // The tasks read the document: they go first (an acquisition still running is stopped).
  if (ctl_) {
    ctl_->AnnuleDiffere();
    ctl_->Demande(brv::RequeteTache::Arret);
    ctl_->Attend();
    ctl_.reset();
  }
  delete tache_;
  tache_ = nullptr;
}

void CMainFrame::ConstruitPanneaux() {
  panneaux_ = new QSplitter(Qt::Vertical, this);
  haut_ = new QSplitter(Qt::Horizontal, panneaux_);
  vues_ = new QSplitter(Qt::Vertical, haut_);
  ConstruitVues();
  centre_ = new QSplitter(Qt::Vertical, haut_);
  liste_ = new CListViewAcq(centre_);
  graphe_ = new CGrapheDebits(centre_);
  centre_->addWidget(liste_);
  centre_->addWidget(graphe_);
  // Room for the chart's axes and legend under the list.
  graphe_->setMinimumHeight(220);
  centre_->setStretchFactor(0, 3);
  centre_->setStretchFactor(1, 1);
  haut_->addWidget(vues_);
  haut_->addWidget(centre_);
  haut_->setStretchFactor(0, 1);
  haut_->setStretchFactor(1, 4);
  // The decoded frames get the width; the views keep what their labels need.
  haut_->setSizes({280, 820});
  messages_ = new CListViewMsg(panneaux_);
  panneaux_->addWidget(haut_);
  panneaux_->addWidget(messages_);
  panneaux_->setStretchFactor(0, 4);
  panneaux_->setStretchFactor(1, 1);
  for (QSplitter* sp : {panneaux_, haut_, vues_, centre_}) sp->setChildrenCollapsible(false);
  setCentralWidget(panneaux_);
  resize(1100, 720);
}

void CMainFrame::ConstruitVues() {
  reseau_ = new CTreeViewConfigRes(vues_);
  erreurs_ = new CFormViewErreurs(vues_);
  jauges_ = new CFormViewJauges(vues_);
  vues_->addWidget(reseau_);
  vues_->addWidget(erreurs_);
  vues_->addWidget(jauges_);
  vues_->setStretchFactor(0, 3);
  vues_->setStretchFactor(1, 2);
  vues_->setStretchFactor(2, 1);
}

void CMainFrame::AppliqueVuesVisibles() {
  reseau_->setVisible(Action(Commande::VueReseau)->isChecked());
  erreurs_->setVisible(Action(Commande::VueErreurs)->isChecked());
  jauges_->setVisible(Action(Commande::VueCompteursDebits)->isChecked());
  graphe_->setVisible(Action(Commande::VueGrapheDebits)->isChecked());
  vues_->setVisible(reseau_->isVisibleTo(vues_) || erreurs_->isVisibleTo(vues_) || jauges_->isVisibleTo(vues_));
}

void CMainFrame::AfficheFigures(std::shared_ptr<const brv::InstantaneVues> figures) {
  if (!figures) return;
  figures_ = std::move(figures);
  reseau_->Affiche(*figures_);
  erreurs_->Affiche(*figures_);
  jauges_->Affiche(*figures_);
  graphe_->DefinitFenetrePoints(doc_->Config.vues.usNbPointsMemorises);
  graphe_->Affiche(*figures_);
  MetAJourCommandes();
}

void CMainFrame::VideVues() {
  figures_.reset();
  reseau_->Vide();
  erreurs_->Vide();
  jauges_->Vide();
  graphe_->Vide();
}

void CMainFrame::Connecte(Commande c, void (CMainFrame::*slot)()) {
  connect(Action(c), &QAction::triggered, this, slot);
}

void CMainFrame::ConstruitMenus() {
  QMenu* menu = nullptr;
  QMenu* sousMenu = nullptr;
  QString nomMenu;
  QString nomSousMenu;
  for (const DefCommande& d : TableCommandes()) {
    if (nomMenu != QLatin1String(d.menu)) {
      nomMenu = QLatin1String(d.menu);
      menu = menuBar()->addMenu(nomMenu);
      nomSousMenu.clear();
      sousMenu = nullptr;
    }
    QMenu* cible = menu;
    if (d.sousMenu != nullptr) {
      if (nomSousMenu != QLatin1String(d.sousMenu)) {
        nomSousMenu = QLatin1String(d.sousMenu);
        sousMenu = menu->addMenu(nomSousMenu);
      }
      cible = sousMenu;
    } else {
      if (sousMenu != nullptr && d.commande == Commande::Exporter) menu->addSeparator();
      if (d.commande == Commande::Quitter) menu->addSeparator();
      nomSousMenu.clear();
      sousMenu = nullptr;
    }
    QAction* a = cible->addAction(QString::fromLatin1(d.texte));
    if (d.raccourci != nullptr) a->setShortcut(QKeySequence(QString::fromLatin1(d.raccourci)));
    a->setCheckable(d.cochable);
    actions_[static_cast<size_t>(d.commande)] = a;
    if (d.commande == Commande::OuvrirDonneesUtilisateur) {
      recents_ = cible->addMenu(QStringLiteral("Recent Files"));
    }
  }
  Action(Commande::OuvrirAcquisition)->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
  Action(Commande::EnregistrerAcquisition)->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  Action(Commande::Goto)->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
  Action(Commande::Aide)->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));

  Connecte(Commande::NouvelleConfiguration, &CMainFrame::CmdNouvelleConfiguration);
  Connecte(Commande::OuvrirAcquisition, &CMainFrame::CmdOuvrirAcquisition);
  Connecte(Commande::OuvrirConfiguration, &CMainFrame::CmdOuvrirConfiguration);
  Connecte(Commande::OuvrirDonneesUtilisateur, &CMainFrame::CmdOuvrirDonneesUtilisateur);
  Connecte(Commande::EnregistrerAcquisition, &CMainFrame::CmdEnregistrerAcquisition);
  Connecte(Commande::EnregistrerConfiguration, &CMainFrame::CmdEnregistrerConfiguration);
  Connecte(Commande::EnregistrerSousAcquisition, &CMainFrame::CmdEnregistrerSousAcquisition);
  Connecte(Commande::EnregistrerSousConfiguration, &CMainFrame::CmdEnregistrerSousConfiguration);
  Connecte(Commande::DetailTrame, &CMainFrame::CmdDetailTrame);
  Connecte(Commande::Goto, &CMainFrame::CmdGoto);
  Connecte(Commande::Aide, &CMainFrame::CmdAide);
  Connecte(Commande::APropos, &CMainFrame::CmdAPropos);
  Connecte(Commande::Statistiques, &CMainFrame::CmdStatistiques);
  Connecte(Commande::ConfigurationAcquisition, &CMainFrame::CmdConfigurationAcquisition);
  Connecte(Commande::ConfigurationAffichage, &CMainFrame::CmdConfigurationAffichage);
  Connecte(Commande::Exporter, &CMainFrame::CmdExporter);
  Connecte(Commande::Comparer, &CMainFrame::CmdComparer);
  Connecte(Commande::Timing, &CMainFrame::CmdTiming);
  Connecte(Commande::AcquisitionLibre, &CMainFrame::CmdAcquisitionLibre);
  Connecte(Commande::AcquisitionDeclenchee, &CMainFrame::CmdAcquisitionDeclenchee);
  for (const Commande c : kCommandesVues) {
    connect(Action(c), &QAction::toggled, this, &CMainFrame::AppliqueVuesVisibles);
  }
  connect(Action(Commande::Quitter), &QAction::triggered, this, &QWidget::close);
}

void CMainFrame::ConstruitBarreOutils() {
  QToolBar* barre = addToolBar(QStringLiteral("Toolbar"));
  barre->setObjectName(QStringLiteral("Toolbar"));
  barre->setMovable(false);
  // Open and Save drop down the same items as their menus.
  const auto deroulant = [&](Commande defaut, const char* sousMenu) {
    // The whole button drops its menu down: Save stays usable for the configuration while no
    // capture is open.
    auto* bouton = new QToolButton(barre);
    bouton->setIcon(Action(defaut)->icon());
    bouton->setToolTip(QString::fromLatin1(sousMenu));
    bouton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(bouton);
    for (const DefCommande& d : TableCommandes()) {
      if (d.sousMenu != nullptr && std::string_view(d.sousMenu) == sousMenu) menu->addAction(Action(d.commande));
    }
    bouton->setMenu(menu);
    barre->addWidget(bouton);
  };
  deroulant(Commande::OuvrirAcquisition, "Open");
  deroulant(Commande::EnregistrerAcquisition, "Save");
  barre->addSeparator();
  barre->addAction(Action(Commande::Goto));
  barre->addSeparator();
  barre->addAction(Action(Commande::Aide));

  QAction* outils = Action(Commande::BarreOutils);
  outils->setChecked(true);
  connect(outils, &QAction::toggled, barre, &QToolBar::setVisible);
  QAction* etat = Action(Commande::BarreEtat);
  etat->setChecked(true);
  connect(etat, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

CAttenteAcqDlg* CMainFrame::Attente() const { return attente_.data(); }

void CMainFrame::MetAJourCommandes() {
  EtatProgramme e;
  e.horsLigne = application_.horsLigne;
  e.captureOuverte = captureOuverte_;
  e.tacheEnCours = (tache_ != nullptr && tache_->EnCours()) || ctl_ != nullptr;
  e.lignes = liste_->NombreLignes() > 0;
  e.selection = liste_->PremiereLigneSelectionnee().has_value();
  e.figures = figures_ != nullptr;
  for (const DefCommande& d : TableCommandes()) {
    const EtatCommande ec = EtatDe(d.commande, e);
    QAction* a = Action(d.commande);
    a->setEnabled(ec.actif);
    a->setToolTip(ec.pourquoi != nullptr ? QString::fromUtf8(ec.pourquoi) : a->text().remove(QLatin1Char('&')));
    a->setStatusTip(ec.pourquoi != nullptr ? QString::fromUtf8(ec.pourquoi) : QString());
  }
  recents_->setEnabled(!e.tacheEnCours && !recents_->isEmpty());
}

void CMainFrame::MetAJourTitre() {
  if (!captureOuverte_) {
    setWindowTitle(QStringLiteral("Brenvale"));
    return;
  }
  setWindowTitle(QStringLiteral("%1 - Brenvale").arg(QFileInfo(QString::fromLocal8Bit(doc_->AcqFilePath.c_str())).fileName()));
}

void CMainFrame::MetAJourRecents(const QStringList& fichiers) {
  recents_->clear();
  int n = 0;
  for (const QString& f : fichiers) {
    QAction* a = recents_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(f));
    connect(a, &QAction::triggered, this, [this, f] { OuvreCapture(f); });
  }
  recents_->setEnabled(!fichiers.isEmpty());
}

void CMainFrame::AfficheNombreLignes(quint64 n) {
  liste_->DefinitNombreLignes(n);
  nbLignes_->setText(QStringLiteral("%L1 frames").arg(n));
  MetAJourCommandes();
}

bool CMainFrame::OuvreCapture(const QString& chemin) {
  if (tache_->EnCours()) return false;
  brv::ProposeReparation(Chemin(chemin), rapport_);
  // The list lets go of the old capture before the document changes under it.
  liste_->Detache();
  const bool ouvert = doc_->OuvrirAcquisition(Chemin(chemin));
  if (!ouvert) {
    // A refused file leaves the document as it was: show its capture again.
    if (captureOuverte_) MontreLignes();
    MetAJourCommandes();
    return false;
  }
  fichier_.close();
  captureOuverte_ = fichier_.open(doc_->AcqFilePath) == brv::AcqOpenStatus::Ok;
  {
    QSettings s = Reglages();
    MetAJourRecents(AjouteFichierRecent(s, chemin));
  }
  if (fichier_.interrupted()) rapport_.LigneInformation(brv::kInterruptedText);
  if (fichier_.truncated()) rapport_.LigneInformation(brv::kTruncatedText);
  liste_->MetAJourColonnesVoies(doc_->Voie1, doc_->Voie2);
  MetAJourTitre();
  if (captureOuverte_ && brv::ResultatsARelire(*doc_, fichier_)) {
    LanceRecalcul();
  } else {
    MontreLignes();
  }
  MetAJourCommandes();
  return true;
}

void CMainFrame::MontreLignes() {
  const uint64_t n = captureOuverte_ ? doc_->Resultats.ulNbTramesAffichables : 0;
  liste_->AttacheCapture(doc_.get(), &fichier_, n);
  nbLignes_->setText(QStringLiteral("%L1 frames").arg(n));
  // The stored results, without the chart's points (only a reading makes them).
  if (captureOuverte_) {
    AfficheFigures(std::make_shared<const brv::InstantaneVues>(brv::InstantaneDocument(*doc_, brv::ResultatTache{})));
  } else {
    VideVues();
  }
}

void CMainFrame::LanceRecalcul() {
  doc_->ResetResults(false);
  VideVues();
  liste_->AttacheCapture(doc_.get(), &fichier_, 0);
  nbLignes_->setText(QString());
  MontreAttente();
  attente_->DefinitEtat(brv::PROG_FORMATAGE);
  tache_->LanceRecalcul(*doc_);
}

void CMainFrame::MontreAttente() {
  if (!attente_) {
    attente_ = new CAttenteAcqDlg(this);
    attente_->setAttribute(Qt::WA_DeleteOnClose);
    connect(tache_, &CTacheMoniteur::Etat, attente_.data(), &CAttenteAcqDlg::DefinitEtat);
    connect(tache_, &CTacheMoniteur::Pourcentage, attente_.data(), &CAttenteAcqDlg::DefinitPourcentage);
    connect(tache_, &CTacheMoniteur::Ecoule, attente_.data(), &CAttenteAcqDlg::DefinitEcoule);
    connect(attente_.data(), &CAttenteAcqDlg::Arret, this, &CMainFrame::Arret);
  }
  // A continuous capture without a duration has no end to measure progress against.
  const auto& zone = doc_->Config.postTrig;
  attente_->AfficheBarre(!(ctl_ && zone.bContinue && !zone.bDureeChoisie));
  attente_->show();
}

void CMainFrame::Arret() {
  if (ctl_ && differe_->isActive()) {
    // A deferred start not yet begun: cancelled, nothing was written.
    differe_->stop();
    ctl_->AnnuleDiffere();
    FinAcquisition();
    return;
  }
  if (ctl_) {
    ctl_->Demande(brv::RequeteTache::ArretUtilisateur);
  } else {
    tache_->Demande(brv::RequeteTache::ArretUtilisateur);
  }
}

bool CMainFrame::Demarre(bool declenche) {
  if (!application_.carte || tache_->EnCours() || ctl_) return false;
  liste_->Detache();
  fichier_.close();
  captureOuverte_ = false;
  VideVues();
  ctl_ = std::make_unique<brv::CControleurAcquisition>(*doc_, rapport_, tache_->Observateur());
  ctl_->carte = *application_.carte;
  MetAJourCommandes();
  if (!ctl_->Demarre(declenche)) {
    FinAcquisition();
    return false;
  }
  MontreAttente();
  if (ctl_->DiffereEnAttente()) {
    differe_->start(static_cast<int>(std::min<uint64_t>(ctl_->DelaiDiffereMs(), INT32_MAX)));
  } else {
    DebutLive();
  }
  MetAJourCommandes();
  return true;
}

void CMainFrame::DebutLive() {
  // The file grows as the engine writes it; the list follows the headers the task takes.
  captureOuverte_ = fichier_.open(doc_->AcqFilePath) == brv::AcqOpenStatus::Ok;
  liste_->MetAJourColonnesVoies(false, false);
  liste_->AttacheCapture(doc_.get(), &fichier_, 0);
  MetAJourTitre();
  MetAJourCommandes();
}

void CMainFrame::FinAcquisition() {
  // A start that failed or was cancelled: no file to show.
  ctl_.reset();
  if (attente_) {
    attente_->hide();
    attente_->deleteLater();
  }
  captureOuverte_ = false;
  MetAJourTitre();
  MetAJourCommandes();
}

void CMainFrame::DefinitSourceVeille(ISourceVeille* source) {
  if (veille_ != nullptr && veille_->parent() == this) delete veille_;
  veille_ = source;
  if (veille_ == nullptr) return;
  connect(veille_, &ISourceVeille::Veille, this, [this] {
    if (ctl_ && ctl_->EnCours()) ctl_->Demande(brv::RequeteTache::Veille);
  });
}

void CMainFrame::FinTache() {
  if (attente_) {
    attente_->hide();
    attente_->deleteLater();
  }
  if (ctl_) {
    // The end of an acquisition: the task has stopped and released the engine and written the
    // configuration behind the data; the file is shown as it stands now.
    ctl_->Attend();
    const auto figures = std::make_shared<const brv::InstantaneVues>(brv::InstantaneDocument(*doc_, ctl_->Resultat()));
    ctl_.reset();
    fichier_.close();
    captureOuverte_ = fichier_.open(doc_->AcqFilePath) == brv::AcqOpenStatus::Ok;
    doc_->Voie1 = figures->voie1;
    doc_->Voie2 = figures->voie2;
    liste_->MetAJourColonnesVoies(doc_->Voie1, doc_->Voie2);
    liste_->AttacheCapture(doc_.get(), &fichier_, captureOuverte_ ? doc_->Resultats.ulNbTramesAffichables : 0);
    AfficheFigures(figures);
    if (captureOuverte_) {
      QSettings s = Reglages();
      MetAJourRecents(AjouteFichierRecent(s, QString::fromLocal8Bit(doc_->AcqFilePath.c_str())));
    }
    MetAJourTitre();
  }
  AfficheNombreLignes(doc_->Resultats.ulNbTramesAffichables);
  MetAJourCommandes();
  if (fermerApresTache_) {
    close();
    return;
  }
  // The statistics open by themselves at the end of a run when the views configuration says so.
  if (doc_->Config.vues.bOuvertureAuto != 0) {
    QMetaObject::invokeMethod(this, [this] { CmdStatistiques(); }, Qt::QueuedConnection);
  }
}

void CMainFrame::CmdOuvrirAcquisition() {
  const QString depart = QFileInfo(QString::fromLocal8Bit(doc_->AcqFilePath.c_str())).absolutePath();
  const QString chemin = QFileDialog::getOpenFileName(this, QStringLiteral("Open acquisition"), depart, kFiltreAcq);
  if (!chemin.isEmpty()) OuvreCapture(chemin);
}

void CMainFrame::CmdEnregistrerAcquisition() {
  if (!captureOuverte_ || tache_->EnCours()) return;
  doc_->SaveAcquisitionTail();
}

void CMainFrame::CmdEnregistrerSousAcquisition() {
  if (!captureOuverte_ || tache_->EnCours()) return;
  QFileDialog dlg(this, QStringLiteral("Save acquisition"), QString(), kFiltreAcq);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix(QStringLiteral("dat"));
  dlg.selectFile(QString::fromLocal8Bit(doc_->AcqFilePath.c_str()));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  const QString chemin = dlg.selectedFiles().first();
  liste_->Detache();
  const bool ok = doc_->SaveAcquisitionAs(Chemin(chemin));
  if (ok) {
    // The list now reads the copy, which holds the same rows.
    fichier_.close();
    captureOuverte_ = fichier_.open(doc_->AcqFilePath) == brv::AcqOpenStatus::Ok;
    QSettings s = Reglages();
    MetAJourRecents(AjouteFichierRecent(s, chemin));
  }
  MontreLignes();
  MetAJourTitre();
  MetAJourCommandes();
}

void CMainFrame::CmdNouvelleConfiguration() {
  doc_->NouvelleConfiguration();
  cheminConfiguration_.clear();
}

void CMainFrame::CmdOuvrirConfiguration() {
  const QString chemin = QFileDialog::getOpenFileName(this, QStringLiteral("Open a configuration"), QString(), kFiltreConfig);
  if (!chemin.isEmpty()) OuvreConfiguration(chemin);
}

bool CMainFrame::OuvreConfiguration(const QString& chemin) {
  if (tache_->EnCours() || ctl_ != nullptr || !doc_->OuvrirConfiguration(Chemin(chemin))) return false;
  cheminConfiguration_ = chemin;
  return true;
}

void CMainFrame::CmdEnregistrerConfiguration() {
  if (cheminConfiguration_.isEmpty()) {
    CmdEnregistrerSousConfiguration();
    return;
  }
  doc_->EnregistrerConfiguration(Chemin(cheminConfiguration_));
}

void CMainFrame::CmdEnregistrerSousConfiguration() {
  QFileDialog dlg(this, QStringLiteral("Save the configuration"), QString(), kFiltreConfig);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setDefaultSuffix(QStringLiteral("cfg"));
  if (!cheminConfiguration_.isEmpty()) dlg.selectFile(cheminConfiguration_);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  const QString chemin = dlg.selectedFiles().first();
  if (doc_->EnregistrerConfiguration(Chemin(chemin))) cheminConfiguration_ = chemin;
}

void CMainFrame::CmdOuvrirDonneesUtilisateur() {
  const QString chemin = QFileDialog::getOpenFileName(this, QStringLiteral("Open user data"), QString(),
                                                      QStringLiteral("CSV (*.csv);;TXT (*.txt);;All files (*)"));
  if (chemin.isEmpty()) return;
  const brv::LectureDonneesUtilisateur r = brv::LitDonneesUtilisateur(Chemin(chemin), donnees_);
  if (r.resultat != brv::LectureDonneesUtilisateur::Ok) {
    rapport_.BoiteMessage(r.pourquoi.empty() ? r.message : r.message + "\n" + r.pourquoi, brv::IconeMessage::Erreur);
    return;
  }
  donneesChargees_ = true;
  rapport_.LigneInformation(QStringLiteral("User data loaded from %1: %2 entries.")
                                .arg(QFileInfo(chemin).fileName())
                                .arg(donnees_.size())
                                .toStdString());
}

void CMainFrame::CmdDetailTrame() {
  if (const auto ligne = liste_->PremiereLigneSelectionnee()) DetailLigne(*ligne);
}

void CMainFrame::DetailLigne(quint64 ligne) {
  if (!captureOuverte_) return;
  CDetailTrameDlg::Ouvre(*doc_, fichier_, ligne, donneesChargees_ ? &donnees_ : nullptr, this);
}

void CMainFrame::CmdGoto() {
  if (!goto_) {
    goto_ = new CGotoDlg(doc_->Goto, this);
    goto_->setAttribute(Qt::WA_DeleteOnClose);
    connect(goto_.data(), &CGotoDlg::Cherche, this, [this] {
      if (!tache_->EnCours()) liste_->Cherche(doc_->Goto);
    });
  }
  goto_->show();
  goto_->raise();
  goto_->activateWindow();
}

void CMainFrame::CmdAide() { OuvreManuel(this); }

void CMainFrame::CmdConfigurationAcquisition() {
  const bool editable = !tache_->EnCours() && ctl_ == nullptr;
  CConfigAcqSheet feuille(doc_->Config, editable, pageAcq_, rapport_, this);
  feuille.exec();
  pageAcq_ = feuille.PageActive();
  feuille.Ecrit(doc_->Config);
}

void CMainFrame::CmdConfigurationAffichage() {
  const bool editable = !tache_->EnCours() && ctl_ == nullptr;
  CConfigAffSheet feuille(doc_->Config, doc_->Config.bourrageAcq, editable, pageAff_, rapport_, this);
  feuille.AvecAide([this] { CmdAide(); });
  feuille.exec();
  pageAff_ = feuille.PageActive();
  // The capture is read again with the new settings.
  if (!feuille.Ecrit(doc_->Config) || !captureOuverte_) return;
  // The rows and marks come from working copies of the lists, taken for this reading.
  doc_->ReconstruitCopiesEvenements();
  LanceRecalcul();
}

void CMainFrame::CmdStatistiques() {
  if (!figures_) return;
  // Modal: a second one cannot open while this one is shown.
  CStatistiquesDlg dlg(this);
  dlg.Affiche(*figures_);
  // The task sends fresh figures once a second while it runs; Refresh shows the latest.
  connect(&dlg, &CStatistiquesDlg::Rafraichir, &dlg, [this, &dlg] {
    if (figures_) dlg.Affiche(*figures_);
  });
  connect(tache_, &CTacheMoniteur::Instantane, &dlg, [&dlg](const std::shared_ptr<const brv::InstantaneVues>& f) {
    if (f && f->final) dlg.Affiche(*f);
  });
  dlg.exec();
}

void CMainFrame::CmdExporter() {
  if (!captureOuverte_ || tache_->EnCours() || ctl_) return;
  // Held for the export: its points and padding are the source's.
  const std::shared_ptr<const brv::InstantaneVues> figures = figures_;
  const brv::SourceExport source{*doc_, fichier_, figures ? figures->bourrage : brv::BourrageEnVigueur{},
                                 figures ? &figures->points : nullptr, donneesChargees_ ? &donnees_ : nullptr};
  QSettings s = Reglages();
  Exporte(source, liste_->LignesSelectionnees(), s, rapport_, this);
}

void CMainFrame::CmdComparer() {
  if (!captureOuverte_ || tache_->EnCours() || ctl_) return;
  const QString depart = QFileInfo(QString::fromLocal8Bit(doc_->AcqFilePath.c_str())).absolutePath();
  const QString chemin = QFileDialog::getOpenFileName(this, QStringLiteral("Compare with"), depart, kFiltreAcq);
  if (!chemin.isEmpty()) ComparerAvec(*doc_, chemin, rapport_, this);
}

void CMainFrame::CmdTiming() {
  if (!captureOuverte_ || tache_->EnCours() || ctl_) return;
  if (!timing_) {
    timing_ = new CVueTiming(this);
    connect(timing_, &CVueTiming::PireScan, this, [this](uint64_t repere) {
      // Results of a capture no longer open name no record of this one.
      if (!captureOuverte_ || tache_->EnCours() || timing_->CheminMesure() != doc_->AcqFilePath) return;
      if (liste_->MontreEnregistrement(brv::PositionRepere(repere))) {
        activateWindow();
        raise();
      } else {
        QApplication::beep();
      }
    });
  }
  timing_->Mesure(doc_->AcqFilePath, brv::IdentifiantExcluTiming(doc_->BourrageRecalcul()));
  timing_->show();
  timing_->raise();
}

void CMainFrame::CmdAPropos() {
  CAboutDlg dlg(this);
  dlg.exec();
}

void CMainFrame::AfficheAvecPlacement() {
  QSettings s = Reglages();
  const bool max = RestaurePlacement(s, *this);
  placementRestaure_ = true;
  if (max) {
    showMaximized();
  } else {
    show();
  }
}

void CMainFrame::closeEvent(QCloseEvent* e) {
  if (ctl_ && differe_->isActive()) {
    Arret();  // a deferred start that has not begun is simply cancelled
  } else if (ctl_) {
    // A running acquisition is stopped first, with nothing lost; the window closes at its end.
    if (!fermerApresTache_ &&
        !rapport_.QuestionOuiNon("An acquisition is in progress.\nDo you want to stop it and close the window ?")) {
      e->ignore();
      return;
    }
    fermerApresTache_ = true;
    ctl_->Demande(brv::RequeteTache::ArretUtilisateur);
    e->ignore();
    return;
  }
  // A capture being read is stopped first; the window closes when the task has ended.
  if (tache_->EnCours()) {
    fermerApresTache_ = true;
    tache_->Demande(brv::RequeteTache::ArretUtilisateur);
    e->ignore();
    return;
  }
  QSettings s = Reglages();
  if (placementRestaure_) SauvePlacement(s, *this);
  SauvePanneaux(s, 0, *panneaux_);
  SauvePanneaux(s, 1, *haut_);
  SauvePanneaux(s, 2, *vues_);
  SauvePanneaux(s, 3, *centre_);
  QStringList vues;
  for (const Commande c : kCommandesVues) {
    vues << (Action(c)->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
  }
  s.setValue(QStringLiteral("SplitterWnd/Views"), vues.join(QLatin1Char(' ')));
  liste_->EcritLargeurs(s);
  if (goto_) goto_->close();
  e->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile() && !tache_->EnCours()) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* e) {
  const QList<QUrl> urls = e->mimeData()->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return;
  e->acceptProposedAction();
  const QString chemin = urls.first().toLocalFile();
  // After the drop has returned: opening may ask questions.
  QMetaObject::invokeMethod(this, [this, chemin] { OuvreCapture(chemin); }, Qt::QueuedConnection);
}

}  // namespace brv::ui
