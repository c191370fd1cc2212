// A live capture from the window on the simulated card through the real engine: rows appear while
// it runs, the stop button ends it, standby ends it, and the file reopens with the same rows.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QPushButton>

#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>

#include "brv_core/config/config_fields.h"
#include "brv_core/definitions/pickers.h"
#include "capture_fixture.h"
#include "config/acq_sheet.h"
#include "config/definition_pages.h"
#include "dialogs/definition_list.h"
#include "dialogs/wait_dialog.h"
#include "frames/frames_view.h"
#include "shell/main_window.h"
#include "shell/message_pane.h"
#include "shell/monitor_task.h"
#include "shell/qt_reporter.h"
#include "shell/standby.h"
#include "simcard/scenario.h"
#include "simcard/simcard.h"
#include "support/temp_dir.h"

namespace brv::ui {
namespace {

class RapportMuet : public CRapportQt {
 public:
  void BoiteMessage(std::string_view texte, brv::IconeMessage) override { boites.emplace_back(texte); }
  bool QuestionOuiNon(std::string_view) override { return true; }
  std::vector<std::string> boites;
};

class VeilleDeTest : public ISourceVeille {
 public:
  void Declenche() { emit Veille(); }
};

class LiveAcquisition : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string erreur;
    const auto scenario = simcard::resolve_scenario("clean", erreur);
    ASSERT_TRUE(scenario) << erreur;
    carte_ = simcard::register_simulated_card(*scenario);
    const auto trouvee = CUsbFtd2xxCom::get_com_info_by_sn(carte_->serial());
    ASSERT_FALSE(trouvee.empty());
    EtatApplication e;
    e.carte = static_cast<uint16_t>(trouvee[0]->m_index);
    fenetre_ = std::make_unique<CMainFrame>(rapport_, e);
    fenetre_->show();
    auto& c = fenetre_->Document().Config;
    c.cheminFichierAcq = dir_.file("live.dat");
    c.ulActionDebut = ACTION_ECRASER;
  }
  void TearDown() override {
    fenetre_.reset();
    if (carte_) ftd2xx::unregister_virtual_device(carte_);
  }
  bool Ligne(const QString& texte) const {
    for (int i = 0; i < fenetre_->Messages()->count(); ++i) {
      if (fenetre_->Messages()->item(i)->text() == texte) return true;
    }
    return false;
  }

  test::TempDir dir_;
  RapportMuet rapport_;
  std::shared_ptr<simcard::SimCard> carte_;
  std::unique_ptr<CMainFrame> fenetre_;
};

TEST_F(LiveAcquisition, RowsAppearWhileItRunsAndTheStopButtonEndsIt) {
  ASSERT_TRUE(fenetre_->Demarre(false));
  EXPECT_FALSE(fenetre_->Action(Commande::OuvrirAcquisition)->isEnabled());
  EXPECT_FALSE(fenetre_->Action(Commande::AcquisitionLibre)->isEnabled());
  ASSERT_TRUE(test::attend([&] { return fenetre_->Liste()->NombreLignes() > 200; }, 20000));
  // The rows shown are read from the growing file.
  EXPECT_FALSE(fenetre_->Liste()->model()->index(0, COL_DONNEES).data().toString().isEmpty());
  ASSERT_NE(fenetre_->Attente(), nullptr);
  emit fenetre_->Attente()->Arret();
  ASSERT_TRUE(test::attend([&] { return !fenetre_->AcquisitionEnCours(); }, 20000));
  EXPECT_TRUE(Ligne(QStringLiteral("Acquisition terminated by user.")));
  EXPECT_TRUE(fenetre_->Action(Commande::AcquisitionLibre)->isEnabled());
  EXPECT_TRUE(fenetre_->Action(Commande::EnregistrerAcquisition)->isEnabled());
  ASSERT_NE(fenetre_->Figures(), nullptr);
  EXPECT_TRUE(fenetre_->Figures()->final);
  const uint64_t lignes = fenetre_->Liste()->NombreLignes();
  EXPECT_GT(lignes, 200u);

  // Reopened, the capture gives the same rows.
  ASSERT_TRUE(fenetre_->OuvreCapture(QString::fromStdString(dir_.file("live.dat"))));
  ASSERT_TRUE(test::attend([&] { return !fenetre_->Tache()->EnCours(); }, 20000));
  EXPECT_TRUE(test::attend([&] { return fenetre_->Liste()->NombreLignes() == lignes; }));
}

TEST_F(LiveAcquisition, StandbyEndsTheRun) {
  auto* veille = new VeilleDeTest;
  veille->setParent(fenetre_.get());
  fenetre_->DefinitSourceVeille(veille);
  ASSERT_TRUE(fenetre_->Demarre(false));
  ASSERT_TRUE(test::attend([&] { return fenetre_->Liste()->NombreLignes() > 0; }, 20000));
  veille->Declenche();
  ASSERT_TRUE(test::attend([&] { return !fenetre_->AcquisitionEnCours(); }, 20000));
  EXPECT_TRUE(Ligne(QStringLiteral("Acquisition aborted because of operating system standby.")));
}

TEST_F(LiveAcquisition, ClosingTheWindowStopsTheRunAndKeepsItsFrames) {
  ASSERT_TRUE(fenetre_->Demarre(false));
  ASSERT_TRUE(test::attend([&] { return fenetre_->Liste()->NombreLignes() > 100; }, 20000));
  EXPECT_FALSE(fenetre_->close());  // asked, then refused until the run has ended
  ASSERT_TRUE(test::attend([&] { return !fenetre_->isVisible(); }, 20000));
  EXPECT_FALSE(fenetre_->AcquisitionEnCours());
  AcqFile f;
  ASSERT_EQ(f.open(dir_.file("live.dat")), AcqOpenStatus::Ok);
  EXPECT_FALSE(f.interrupted());
  ASSERT_FALSE(f.zones().empty());
  EXPECT_GT(f.zones().back().length(), 0u);
  EXPECT_GE(fenetre_->Document().Resultats.ulNbTramesAffichables, fenetre_->Liste()->NombreLignes());
}

TEST_F(LiveAcquisition, ACancelledDeferredStartStartsNothing) {
  auto& d = fenetre_->Document().Config.differe;
  d.bActif = 1;
  d.delai.secondes = 30;
  ASSERT_TRUE(fenetre_->Demarre(false));
  ASSERT_TRUE(fenetre_->AcquisitionEnCours());
  ASSERT_NE(fenetre_->Attente(), nullptr);
  emit fenetre_->Attente()->Arret();
  EXPECT_FALSE(fenetre_->AcquisitionEnCours());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(dir_.file("live.dat"))));
  EXPECT_TRUE(fenetre_->Action(Commande::AcquisitionLibre)->isEnabled());
}

// A trigger put in the sheet's list fires on the card: the capture opens on the frame it names.
TEST_F(LiveAcquisition, ATriggerSetUpInTheSheetFiresOnTheSimulatedCard) {
  brv::TableDefinitions declenchement;
  brv::DEFINITION_TRAME presence;
  DefinitNom(presence, "presence of station 5");
  ASSERT_EQ(brv::SelecteurIdentification(5, true, presence), brv::ResultatSelecteur::Rempli);
  declenchement.defs[0] = presence;
  declenchement.nb = 1;
  CConfigAcqSheet feuille(fenetre_->Document().Config, true, brv::PAGE_DECLENCHEMENT, rapport_);
  auto* page = static_cast<CConfigAcqSynchroPage*>(feuille.Page(brv::PAGE_DECLENCHEMENT));
  page->Liste()->Definit(declenchement);
  feuille.BoutonOk()->click();
  ASSERT_TRUE(feuille.Confirmee());
  feuille.Ecrit(fenetre_->Document().Config);
  ASSERT_EQ(fenetre_->Document().Config.declenchement.nb, 1);

  ASSERT_TRUE(fenetre_->Demarre(true));
  ASSERT_TRUE(test::attend([&] { return fenetre_->Liste()->NombreLignes() > 10; }, 20000));
  EXPECT_TRUE(fenetre_->Liste()->model()->index(0, COL_DONNEES).data().toString().startsWith("ID_DAT(1405)"));
  emit fenetre_->Attente()->Arret();
  ASSERT_TRUE(test::attend([&] { return !fenetre_->AcquisitionEnCours(); }, 20000));
}

}  // namespace
}  // namespace brv::ui
