#include "shell/screenshots.h"

#include <QApplication>
#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTableWidget>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <memory>

#include "brv_core/acquisition/card_selection.h"
#include "charts/data_rate_chart.h"
#include "config/acq_sheet.h"
#include "config/display_sheet.h"
#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/definition_table.h"
#include "dialogs/card_dialog.h"
#include "dialogs/definition_dialog.h"
#include "dialogs/frame_detail_dialog.h"
#include "dialogs/goto_dialog.h"
#include "frames/frames_view.h"
#include "dialogs/wait_dialog.h"
#include "shell/main_window.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"
#include "views/timing_view.h"
#include "simcard/scenario.h"
#include "simcard/simcard.h"

namespace brv::ui {

namespace {

// A window below this many colours drew nothing: a blank or single-colour picture.
constexpr int kCouleursMin = 16;
constexpr int kAttenteMs = 400;

class Photographe : public QObject {
 public:
  Photographe(CMainFrame& fenetre, const QString& dossier) : QObject(&fenetre), fenetre_(fenetre), dossier_(dossier) {
    QDir().mkpath(dossier_);
  }

  void Demarre() { AttendLignes(0); }

 private:
  void AttendLignes(int essais) {
    const bool pret = !fenetre_.Tache()->EnCours() && fenetre_.Liste()->NombreLignes() > 0;
    if (!pret && essais < 200) {
      QTimer::singleShot(100, this, [this, essais] { AttendLignes(essais + 1); });
      return;
    }
    if (!pret) Echec(QStringLiteral("main window: no rows"));
    fenetre_.Liste()->SelectionneLigne(3);
    QTimer::singleShot(kAttenteMs, this, [this] {
      Photo(&fenetre_, QStringLiteral("main-window"));
      Goto();
    });
  }

  void Goto() {
    auto* dlg = new CGotoDlg(fenetre_.Document().Goto, &fenetre_);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
    QTimer::singleShot(kAttenteMs, this, [this, dlg] {
      Photo(dlg, QStringLiteral("goto-dialog"));
      dlg->close();
      Detail();
    });
  }

  // A modal dialog's picture is taken from inside its event loop, then the dialog is closed and
  // `suite` goes on once the loop has returned.
  void PhotoModale(const QString& nom, void (Photographe::*suite)()) {
    QTimer::singleShot(kAttenteMs + 200, this, [this, nom, suite] {
      QWidget* dlg = QApplication::activeModalWidget();
      if (dlg == nullptr) {
        Echec(nom + QStringLiteral(": window did not appear"));
      } else {
        Photo(dlg, nom);
        dlg->close();
      }
      QTimer::singleShot(0, this, [this, suite] { (this->*suite)(); });
    });
  }

  void Detail() {
    PhotoModale(QStringLiteral("frame-detail-dialog"), &Photographe::Carte);
    CDetailTrameDlg::Ouvre(fenetre_.Document(), fenetre_.Fichier(), 3, nullptr, &fenetre_);
  }

  void Carte() {
    // Two simulated cards, so that the dialog stays open with its list.
    std::string erreur;
    if (const auto scenario = simcard::resolve_scenario("demo", erreur)) {
      cartes_.push_back(simcard::register_simulated_card(*scenario));
      cartes_.push_back(simcard::register_simulated_card(*scenario));
    }
    PhotoModale(QStringLiteral("card-dialog"), &Photographe::Live);
    std::optional<uint16_t> index;
    SelectionneCarte(rapportMuet_, index, &fenetre_);
  }

  // A free-run capture on the simulated card: the wait dialog and the window while it runs, then
  // the statistics of the capture once stopped.
  void Live() {
    // A question or a message at the start would wait for a user: it is a failure here.
    QTimer::singleShot(2000, this, [this] {
      if (auto* boite = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Echec(QStringLiteral("live capture: ") + boite->text());
        boite->close();
      }
    });
    if (!fenetre_.Demarre(false)) {
      Echec(QStringLiteral("live capture did not start"));
      Fin();
      return;
    }
    QTimer::singleShot(3000, this, [this] {
      Photo(fenetre_.Attente(), QStringLiteral("wait-dialog"));
      Photo(&fenetre_, QStringLiteral("live-main-window"));
      if (fenetre_.Attente() != nullptr) emit fenetre_.Attente()->Arret();
      AttendFinLive(0);
    });
  }

  void AttendFinLive(int essais) {
    if (fenetre_.AcquisitionEnCours() && essais < 100) {
      QTimer::singleShot(100, this, [this, essais] { AttendFinLive(essais + 1); });
      return;
    }
    if (fenetre_.AcquisitionEnCours()) Echec(QStringLiteral("live capture did not stop"));
    QTimer::singleShot(kAttenteMs, this, [this] {
      Photo(&fenetre_, QStringLiteral("main-window-after-capture"));
      PopUpGraphe();
    });
  }

  // The pointer on a point of the data load: the chart shows its values beside it.
  void PopUpGraphe() {
    CGrapheDebits* g = fenetre_.Graphe();
    QLineSeries* serie = g ? g->Serie(brv::SERIE_DONNEES) : nullptr;
    if (serie == nullptr || serie->count() < 2 || !g->isVisible()) {
      Echec(QStringLiteral("chart-popup: no data-rate points"));
      Statistiques();
      return;
    }
    const QPointF valeur = serie->at(serie->count() * 2 / 3);
    const QPoint pos = g->mapFromScene(g->chart()->mapToScene(g->chart()->mapToPosition(valeur, serie)));
    QMouseEvent deplacement(QEvent::MouseMove, QPointF(pos), QPointF(g->viewport()->mapToGlobal(pos)), Qt::NoButton,
                            Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(g->viewport(), &deplacement);
    if (g->TexteSous(pos).isEmpty()) Echec(QStringLiteral("chart-popup: no pop-up at the point"));
    QTimer::singleShot(kAttenteMs, this, [this, g] {
      // The pop-up is a window of its own: the screen around the chart holds both.
      const QRect zone = QRect(g->mapToGlobal(QPoint(0, 0)), g->size()).adjusted(0, -40, 0, 40);
      PhotoEcran(g, zone, QStringLiteral("chart-popup"));
      Statistiques();
    });
  }

  void Statistiques() {
    PhotoModale(QStringLiteral("statistics-dialog"), &Photographe::Export);
    fenetre_.Action(Commande::Statistiques)->trigger();
  }

  // With a row selected, so that every frames choice is offered.
  void Export() {
    fenetre_.Liste()->SelectionneLigne(3);
    PhotoModale(QStringLiteral("export-dialog"), &Photographe::Feuilles);
    fenetre_.Action(Commande::Exporter)->trigger();
  }

  // Every page of both configuration sheets.
  void Feuilles() {
    auto* acq = new CConfigAcqSheet(fenetre_.Document().Config, true, 0, rapportQt_, &fenetre_);
    acq->show();
    PhotoOnglets(acq,
                 {QStringLiteral("acq-config-file"), QStringLiteral("acq-config-post-trig"),
                  QStringLiteral("acq-config-pre-trig"), QStringLiteral("acq-config-trigger"),
                  QStringLiteral("acq-config-deferred"),
                  QStringLiteral("acq-config-others")},
                 0, [this] {
                   const auto& c = fenetre_.Document().Config;
                   auto* aff = new CConfigAffSheet(c, c.bourrageAcq, true, 0, rapportQt_, &fenetre_);
                   aff->show();
                   PhotoOnglets(aff,
                                {QStringLiteral("display-config-views"), QStringLiteral("display-config-filtering"),
                                 QStringLiteral("display-config-events"), QStringLiteral("display-config-padding")},
                                0, [this] { Definitions(); });
                 });
  }

  void PhotoOnglets(CFeuilleConfig* f, QStringList noms, int i, std::function<void()> suite) {
    if (i >= noms.size()) {
      f->close();
      f->deleteLater();
      QTimer::singleShot(0, this, suite);
      return;
    }
    f->MontrePage(i);
    QTimer::singleShot(kAttenteMs, this, [this, f, noms, i, suite] {
      if (f->PageActive() != i) Echec(noms[i] + QStringLiteral(": the page before refused to be left"));
      Photo(f, noms[i]);
      PhotoOnglets(f, noms, i + 1, suite);
    });
  }

  // The frame definition dialog, filled by the UNI-TE picker, and each of the four pickers.
  void Definitions() {
    DEFINITION_TRAME d = NouvelleDefinition();
    DefinitNom(d, "UNI-TE READ_CPU from station 3");
    definition_ = new CDefTrameEvtDlg(JeuDefinitions::Filtre, TableDefinitions{}, -1, d, &fenetre_);
    definition_->setAttribute(Qt::WA_DeleteOnClose);
    definition_->show();
    QTimer::singleShot(kAttenteMs, this, [this] {
      PhotoSelecteur(QStringLiteral("picker-unite"), true, &Photographe::DefinitionRemplie, [](QWidget& p) {
        if (auto* requetes = p.findChild<QListWidget*>(QStringLiteral("requetes"))) requetes->setCurrentRow(2);
        if (auto* source = p.findChild<QComboBox*>(QStringLiteral("source"))) source->setCurrentText(QStringLiteral("3"));
      });
      definition_->OuvreUniTe();
    });
  }

  void DefinitionRemplie() {
    auto* champs = definition_->findChild<QTreeWidget*>(QStringLiteral("champs"));
    if (champs == nullptr || champs->topLevelItemCount() != 7) Echec(QStringLiteral("definition-dialog: the picker did not fill it"));
    if (champs != nullptr && champs->topLevelItemCount() > 0) champs->setCurrentItem(champs->topLevelItem(champs->topLevelItemCount() - 1));
    QTimer::singleShot(kAttenteMs, this, [this] {
      Photo(definition_, QStringLiteral("definition-dialog"));
      PhotoSelecteur(QStringLiteral("picker-com"), false, &Photographe::SelecteurTelegrammes);
      definition_->OuvreMotsCom();
    });
  }

  void SelecteurTelegrammes() {
    PhotoSelecteur(QStringLiteral("picker-telegrams"), false, &Photographe::SelecteurIdentification);
    definition_->OuvreTelegrammes();
  }

  void SelecteurIdentification() {
    PhotoSelecteur(QStringLiteral("picker-identification"), false, &Photographe::FinDefinitions);
    definition_->OuvreIdentification();
  }

  void FinDefinitions() {
    if (definition_) definition_->close();
    Timing();
  }

  // The scan timing of the capture taken above, with the first identifier's histogram.
  void Timing() {
    fenetre_.Action(Commande::Timing)->trigger();
    auto* vue = fenetre_.findChild<CVueTiming*>();
    if (vue == nullptr) {
      Echec(QStringLiteral("timing-window: window did not appear"));
      Fin();
      return;
    }
    vue->resize(1000, 640);
    QTimer::singleShot(1500, this, [this, vue] {
      if (vue->Table()->rowCount() == 0) Echec(QStringLiteral("timing-window: no identifier measured"));
      Photo(vue, QStringLiteral("timing-window"));
      vue->close();
      Fin();
    });
  }

  // A picker's picture from inside its event loop, after `choix` set its controls; then OK
  // (valide) or Cancel, and `suite` once the picker has returned.
  void PhotoSelecteur(const QString& nom, bool valide, void (Photographe::*suite)(),
                      std::function<void(QWidget&)> choix = {}) {
    QTimer::singleShot(kAttenteMs + 200, this, [this, nom, valide, suite, choix] {
      auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (dlg == nullptr) {
        Echec(nom + QStringLiteral(": window did not appear"));
      } else {
        if (choix) choix(*dlg);
        QApplication::processEvents();
        Photo(dlg, nom);
        if (valide) {
          dlg->accept();
        } else {
          dlg->reject();
        }
      }
      QTimer::singleShot(0, this, [this, suite] { (this->*suite)(); });
    });
  }

  void Photo(QWidget* w, const QString& nom) {
    if (w == nullptr || !w->isVisible() || w->windowHandle() == nullptr) {
      Echec(nom + QStringLiteral(": window did not appear"));
      return;
    }
    Enregistre(w->windowHandle()->screen()->grabWindow(w->winId()).toImage(), nom);
  }

  // A part of the screen, with every window over it.
  void PhotoEcran(QWidget* w, const QRect& zone, const QString& nom) {
    QScreen* ecran = w->screen();
    Enregistre(ecran->grabWindow(0, zone.x(), zone.y(), zone.width(), zone.height()).toImage(), nom);
  }

  void Enregistre(const QImage& image, const QString& nom) {
    const QString chemin = QDir(dossier_).filePath(nom + QStringLiteral(".png"));
    if (image.isNull() || !image.save(chemin)) {
      Echec(nom + QStringLiteral(": picture not saved"));
      return;
    }
    const int couleurs = CouleursDistinctes(image);
    std::printf("%s: %dx%d, %d colours\n", qPrintable(chemin), image.width(), image.height(), couleurs);
    if (couleurs < kCouleursMin) Echec(nom + QStringLiteral(": blank picture"));
  }

  void Echec(const QString& pourquoi) {
    std::fprintf(stderr, "screenshots: %s\n", qPrintable(pourquoi));
    code_ = 1;
  }

  void Fin() {
    std::fflush(stdout);
    QApplication::exit(code_);
  }

  class RapportMuet : public brv::IRapportDocument {
    void BoiteMessage(std::string_view, brv::IconeMessage) override {}
    bool QuestionOuiNon(std::string_view) override { return false; }
    void LigneInformation(std::string_view) override {}
  } rapportMuet_;

  CRapportQt rapportQt_;
  CMainFrame& fenetre_;
  QString dossier_;
  int code_ = 0;
  std::vector<std::shared_ptr<simcard::SimCard>> cartes_;
  QPointer<CDefTrameEvtDlg> definition_;
};

}  // namespace

int CouleursDistinctes(const QImage& image, int plafond) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QSet<QRgb> vues;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* ligne = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      vues.insert(ligne[x]);
      if (vues.size() >= plafond) return plafond;
    }
  }
  return static_cast<int>(vues.size());
}

void PrendPhotos(CMainFrame& fenetre, const QString& dossier) {
  auto* p = new Photographe(fenetre, dossier);
  QTimer::singleShot(0, p, [p] { p->Demarre(); });
}

}  // namespace brv::ui
