#include "shell/application.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

#include "brv_core/acquisition/acquisition_controller.h"
#include "brv_platform/trace.h"
#include "ftd2xx/virtual_device.h"
#include "dialogs/card_dialog.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/qt_reporter.h"
#include "shell/screenshots.h"
#include "simcard/scenario.h"
#include "simcard/simcard.h"

namespace brv::ui {

CartesSimulees::~CartesSimulees() {
  for (const auto& c : cartes_) {
    if (c) ftd2xx::unregister_virtual_device(c);
  }
}

Demarrage Demarre(const LigneCommande& ligne, CRapportQt& rapport) {
  Demarrage d;
  // The simulated card is on the device list before the card selection looks at it.
  if (ligne.simulation) {
    std::string erreur;
    const auto scenario = simcard::resolve_scenario(ligne.simulation->toLocal8Bit().toStdString(), erreur);
    if (!scenario) {
      rapport.BoiteMessage(erreur, brv::IconeMessage::Erreur);
      d.code = 1;
      return d;
    }
    d.cartesSimulees.Ajoute(simcard::register_simulated_card(*scenario));
  }

  EtatApplication etat;
  etat.horsLigne = ligne.horsLigne;
  if (!etat.horsLigne) {
    std::optional<uint16_t> index;
    const brv::ResultatSelection r = SelectionneCarte(rapport, index);
    char trace[80];
    std::snprintf(trace, sizeof trace, " DEBUG BRV: InitInstance: attachReturn = 0x%x", static_cast<unsigned>(r));
    platform::trace(trace);
    if (r != brv::ResultatSelection::Ok || !index) {
      platform::trace(" DEBUG BRV: InitInstance: attachReturn = false !");
      return d;
    }
    etat.carte = index;
  }

  QApplication::setOrganizationName(QStringLiteral("Quorvane"));
  QApplication::setApplicationName(QStringLiteral("Brenvale"));
  brv::VersionSysteme(etat.osMajeur, etat.osMineur);

  d.fenetre = std::make_unique<CMainFrame>(rapport, etat);
  d.fenetre->AfficheAvecPlacement();
  CMainFrame* f = d.fenetre.get();
  if (!ligne.configuration.isEmpty()) {
    const QString configuration = ligne.configuration;
    QTimer::singleShot(0, f, [f, configuration] { f->OuvreConfiguration(configuration); });
  }
  if (!ligne.fichier.isEmpty()) {
    const QString fichier = ligne.fichier;
    QTimer::singleShot(0, f, [f, fichier] { f->OuvreCapture(fichier); });
  }
  if (ligne.demarrage) {
    const bool declenche = *ligne.demarrage;
    QTimer::singleShot(0, f, [f, declenche] { f->Demarre(declenche); });
  }
  return d;
}

int ExecuteBrenvale(int argc, char** argv) {
  // --help and --version answer before Qt looks for a display (the man page is made from them at
  // build time). Qt's own options (-platform ...) are only taken out by QApplication: here they
  // read as unknown, which must not keep the answer from coming.
  QStringList brute;
  for (int i = 0; i < argc; ++i) brute << QString::fromLocal8Bit(argv[i]);
  LigneCommande avant = AnalyseLigneCommande(brute);
  if (avant.aide || avant.version) {
    avant.erreur.clear();
    return *RepondSansFenetre(avant);
  }

  QApplication app(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Brenvale"));
  const LigneCommande ligne = AnalyseLigneCommande(QApplication::arguments());
  if (const auto code = RepondSansFenetre(ligne)) return *code;
  CRapportQt rapport;
  Demarrage d = Demarre(ligne, rapport);
  if (!d.fenetre) return d.code;
  // Pictures of the windows for the documentation and the display check.
  const QByteArray photos = qgetenv("BRENVALE_SCREENSHOTS");
  if (!photos.isEmpty()) PrendPhotos(*d.fenetre, QString::fromLocal8Bit(photos));
  const int code = QApplication::exec();
  d.fenetre.reset();
  return code;
}

}  // namespace brv::ui
