// The program's acquisition from start to end on a simulated card: the start procedure, the
// monitor task following the capture, the stop, and what the file holds afterwards.

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>

#include "brv_core/acquisition/acquisition_controller.h"
#include "brv_core/acquisition/card_selection.h"
#include "brv_core/document/acq_description.h"
#include "engine_session.h"
#include "support/quiet_reporter.h"

namespace brv::test {
namespace {

using namespace std::chrono_literals;

// Everything the task and the controller report, kept for the test (from any thread).
struct Journal : IObservateurTache, IRapportDocument {
  void Etat(int e) override {
    std::lock_guard l(m);
    etats.push_back(e);
  }
  void LigneInformation(std::string_view t) override {
    std::lock_guard l(m);
    lignes.emplace_back(t);
  }
  void BoiteErreur(std::string_view t) override {
    std::lock_guard l(m);
    boites.emplace_back(t);
  }
  void BoiteMessage(std::string_view t, IconeMessage) override { BoiteErreur(t); }
  // A task held up in its refresh, once, until the condition holds (a minute at most): a
  // monitor slower than the engine, however fast the engine goes on this machine.
  void Progression(uint64_t, uint64_t) override {
    if (retenue && !lent) {
      lent = true;
      const auto fin = std::chrono::steady_clock::now() + std::chrono::minutes(1);
      while (!retenue() && std::chrono::steady_clock::now() < fin) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  std::function<bool()> retenue;
  bool lent = false;
  bool QuestionOuiNon(std::string_view) override { return true; }
  bool a_ligne(const std::string& t) {
    std::lock_guard l(m);
    return std::find(lignes.begin(), lignes.end(), t) != lignes.end();
  }
  std::mutex m;
  std::vector<int> etats;
  std::vector<std::string> lignes, boites;
};

class LiveAcquisition : public ::testing::Test {
 protected:
  void SetUp() override {}
  void prepare(const simcard::Scenario& sc) {
    card_ = simcard::register_simulated_card(sc);
    ConfigurationParDefaut(doc_.Config, dir_.file("acq.dat"));
    doc_.Config.ulActionDebut = ACTION_ECRASER;
    doc_.Config.postTrig.bTailleChoisie = 1;
    doc_.Config.postTrig.ullTaille = 200;
    doc_.Config.postTrig.ucUnite = UNITE_KO;
    ctl_.espaceLibre = [](const std::filesystem::path&) { return std::optional<uint64_t>(uint64_t{1} << 40); };
    const auto index = ChoisitCarteAuto(CartesPresentes(), journal_);
    ASSERT_TRUE(index.has_value());
    ctl_.carte = *index;
  }
  void TearDown() override {
    ctl_.AnnuleDiffere();
    if (ctl_.EnCours()) ctl_.Demande(RequeteTache::ArretUtilisateur);
    ctl_.Attend();
    if (card_) ftd2xx::unregister_virtual_device(card_);
  }

  TempDir dir_;
  Journal journal_;
  RapportSilencieux silencieux_;
  CBrenvaleDoc doc_{silencieux_};
  CControleurAcquisition ctl_{doc_, journal_, journal_};
  std::shared_ptr<simcard::SimCard> card_;
};

TEST_F(LiveAcquisition, FreeRunEndsNormallyAndItsCountsEqualAReCalculation) {
  prepare(fast_scenario("LIVE0001", "demo"));
  ASSERT_TRUE(ctl_.Demarre(false));
  EXPECT_FALSE(ctl_.DiffereEnAttente());
  ctl_.Attend();
  EXPECT_FALSE(ctl_.MoteurPresent());
  EXPECT_TRUE(journal_.a_ligne("The acquisition ended normally."));
  EXPECT_TRUE(journal_.boites.empty());
  EXPECT_EQ(journal_.etats.front(), PROG_ATTENTE_TRAFIC);

  const ReadBack r = read_capture(doc_.AcqFilePath);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.header.enEtatAcq, vandrel::FIN_NORMALE);
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
  EXPECT_GT(doc_.ConfigPartBOffset, r.header.ullPosZonePostTrig + r.header.ullLgZonePostTrig);

  // The same file read again once the document saved its tail: the same counts, and the
  // configuration used is embedded.
  ASSERT_TRUE(doc_.SaveAcquisitionTail());
  RapportSilencieux rapport;
  CBrenvaleDoc relu(rapport);
  ASSERT_TRUE(relu.OuvrirAcquisition(doc_.AcqFilePath));
  EXPECT_EQ(relu.Config.postTrig, doc_.Config.postTrig);
  EXPECT_EQ(relu.Config.cheminFichierAcq, doc_.Config.cheminFichierAcq);
  relu.ResetResults(false);
  IObservateurTache obs;
  CFileRequetes req;
  ResultatTache res;
  FncTacheAcq(relu, obs, req, res);
  EXPECT_EQ(relu.Resultats.ullNbTramesAcquises, doc_.Resultats.ullNbTramesAcquises);
  EXPECT_EQ(relu.Resultats.ulNbTramesAffichables, doc_.Resultats.ulNbTramesAffichables);
  EXPECT_EQ(relu.Resultats.ullNbLignesErreur, doc_.Resultats.ullNbLignesErreur);
  EXPECT_EQ(relu.Resultats.comptesParType, doc_.Resultats.comptesParType);
}

TEST_F(LiveAcquisition, UserStopAndStandbyEndTheCaptureWithTheirTexts) {
  for (const RequeteTache req : {RequeteTache::ArretUtilisateur, RequeteTache::Veille}) {
    prepare(fast_scenario(req == RequeteTache::Veille ? "LIVE0003" : "LIVE0002"));
    doc_.Config.postTrig.ullTaille = 100;
    doc_.Config.postTrig.ucUnite = UNITE_GO;
    ASSERT_TRUE(ctl_.Demarre(false));
    for (int i = 0; i < 400 && card_->frames_sent() < 20000; ++i) std::this_thread::sleep_for(5ms);
    ctl_.Demande(req);
    ctl_.Attend();
    EXPECT_FALSE(ctl_.MoteurPresent());
    const ReadBack r = read_capture(doc_.AcqFilePath);
    ASSERT_TRUE(r.clean) << r.problem;
    EXPECT_EQ(r.header.enEtatAcq, vandrel::ARRET_UTILISATEUR);
    // A user stop drains the file; a standby leaves at once.
    if (req == RequeteTache::ArretUtilisateur) {
      EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
    } else {
      EXPECT_LE(doc_.Resultats.ullNbTramesAcquises, r.records.size());
    }
    EXPECT_TRUE(journal_.a_ligne(req == RequeteTache::Veille ? "Acquisition aborted because of operating system standby."
                                                             : "Acquisition terminated by user."));
    ftd2xx::unregister_virtual_device(card_);
    card_.reset();
  }
}

TEST_F(LiveAcquisition, AnUnpluggedCardEndsWithTheDriverErrorBox) {
  simcard::Scenario sc = fast_scenario("LIVE0004");
  sc.faults[simcard::Fault::Unplug].at = {20000};
  prepare(sc);
  doc_.Config.postTrig.ucUnite = UNITE_GO;
  ASSERT_TRUE(ctl_.Demarre(false));
  ctl_.Attend();
  EXPECT_TRUE(journal_.a_ligne("Acquisition aborted because of driver error."));
  ASSERT_EQ(journal_.boites.size(), 1u);
  EXPECT_EQ(journal_.boites[0], "Driver error during acquisition.");
  const ReadBack r = read_capture(doc_.AcqFilePath);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
}

TEST_F(LiveAcquisition, ATriggeredPreTriggerCaptureReadsBothZones) {
  simcard::Scenario sc = fast_scenario("LIVE0005");
  sc.faults[simcard::Fault::Glitch].at = {3000};
  prepare(sc);
  doc_.Config.preTrig.bPreTrig = 1;
  doc_.Config.preTrig.ullTailleEquivalente = 1000;  // raised to 2780
  DEFINITION_TRAME& d = doc_.Config.declenchement.defs[0];
  CHAMP_BITS glitch;
  glitch.ucLongueur = 8;
  glitch.ulOperation = OP_EGAL;
  glitch.ullValeur = vandrel::PSEUDO_GLITCH;
  d.champs = {glitch};
  doc_.Config.declenchement.nb = 1;
  ASSERT_TRUE(ctl_.Demarre(true));
  ctl_.Attend();
  EXPECT_EQ(doc_.Config.preTrig.ullTailleEquivalente, 2780u);
  const vandrel::INI_ACQ ini = vandrel::lire_ini_acq(ctl_.BlocIniAcq().data());
  EXPECT_EQ(ini.enTypeAcq, vandrel::SYN_PRETRIG);
  EXPECT_EQ(ini.ucNbTramesSynchro, 1);
  const ReadBack r = read_capture(doc_.AcqFilePath);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.layout, AcqLayout::Pretrigger);
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
  EXPECT_TRUE(journal_.a_ligne("The acquisition ended normally."));
}

TEST_F(LiveAcquisition, ADeferredStartWaitsAndCanBeCancelled) {
  prepare(fast_scenario("LIVE0006"));
  doc_.Config.differe.bActif = 1;
  doc_.Config.differe.delai.secondes = 0;
  ASSERT_TRUE(ctl_.Demarre(false));
  EXPECT_FALSE(ctl_.DiffereEnAttente());  // a zero delay starts at once
  ctl_.Attend();
  EXPECT_TRUE(journal_.a_ligne("The acquisition ended normally."));

  doc_.Config.differe.delai.secondes = 30;
  ASSERT_TRUE(ctl_.Demarre(false));
  ASSERT_TRUE(ctl_.DiffereEnAttente());
  EXPECT_EQ(ctl_.DelaiDiffereMs(), 30000u);
  EXPECT_EQ(journal_.etats.back(), PROG_ATTENTE_DIFFERE);
  std::thread annule([&] {
    std::this_thread::sleep_for(50ms);
    ctl_.AnnuleDiffere();
  });
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_FALSE(ctl_.AttendDiffere());
  annule.join();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, 5s);
  EXPECT_FALSE(ctl_.MoteurPresent());
  EXPECT_TRUE(doc_.AcqFilePath.empty());
}

}  // namespace
}  // namespace brv::test

namespace brv::test {
namespace {

TEST_F(LiveAcquisition, ACircularCaptureWithADurationIsReadOnceTheEngineEnds) {
  prepare(fast_scenario("LIVE0007"));
  doc_.Config.postTrig.bContinue = 1;
  doc_.Config.postTrig.ullTaille = 5;  // raised to 10 MB
  doc_.Config.postTrig.ucUnite = UNITE_MO;
  doc_.Config.postTrig.bDureeChoisie = 1;
  doc_.Config.postTrig.duree.secondes = 1;
  ASSERT_TRUE(ctl_.Demarre(false));
  ctl_.Attend();
  EXPECT_EQ(doc_.Config.postTrig.ullTaille, 10u);
  EXPECT_TRUE(journal_.a_ligne("The acquisition ended normally."));
  const ReadBack r = read_capture(doc_.AcqFilePath);
  ASSERT_TRUE(r.clean) << r.problem;
  EXPECT_EQ(r.layout, AcqLayout::Circular);
  EXPECT_GT(r.records.size(), 1000u);
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
}

}  // namespace
}  // namespace brv::test

namespace brv::test {
namespace {

TEST_F(LiveAcquisition, AFileThatDisappearsEndsWithTheFileErrorBox) {
  prepare(fast_scenario("LIVE0008"));
  doc_.Config.postTrig.ucUnite = UNITE_GO;
  ASSERT_TRUE(ctl_.Demarre(false));
  // Once data is on disk, the file goes away under the engine: its next write cannot open it.
  for (int i = 0; i < 400 && std::filesystem::file_size(doc_.AcqFilePath) < 200000; ++i) {
    std::this_thread::sleep_for(5ms);
  }
  std::filesystem::remove(doc_.AcqFilePath);
  ctl_.Attend();
  EXPECT_TRUE(journal_.a_ligne("Acquisition aborted because of driver error (error accessing the acquisition file)."));
  // The stop cannot rewrite the header either: its error comes first, then the state's box.
  std::lock_guard l(journal_.m);
  ASSERT_EQ(journal_.boites.size(), 2u);
  EXPECT_EQ(journal_.boites[0].rfind("Vandrel - Impossible d'ouvrir le fichier.", 0), 0u) << journal_.boites[0];
  EXPECT_EQ(journal_.boites[1], "Driver error during acquisition\n(error accessing the acquisition file).");
}

}  // namespace
}  // namespace brv::test

namespace brv::test {
namespace {

TEST_F(LiveAcquisition, AWrappedRingIsFollowedLiveAndCountedAsItEnds) {
  simcard::Scenario sc = fast_scenario("LIVE0009");
  sc.max_fps = 400000;
  prepare(sc);
  doc_.Config.postTrig.bContinue = 1;
  doc_.Config.postTrig.ullTaille = 10;
  doc_.Config.postTrig.ucUnite = UNITE_MO;
  doc_.Config.postTrig.bDureeChoisie = 1;
  doc_.Config.postTrig.duree.secondes = 4;
  ASSERT_TRUE(ctl_.Demarre(false));
  ctl_.Attend();
  EXPECT_TRUE(journal_.a_ligne("The acquisition ended normally.")) << (journal_.lignes.empty() ? "" : journal_.lignes.back());
  const ReadBack r = read_capture(doc_.AcqFilePath);
  ASSERT_TRUE(r.clean) << r.problem;
  // What the ring holds at the end, as a re-calculation would count it.
  EXPECT_EQ(doc_.Resultats.ullNbTramesAcquises, r.records.size());
  EXPECT_LT(r.records.size(), card_->frames_sent());
}

TEST_F(LiveAcquisition, AMonitorOvertakenByTheRingEndsAsNotFastEnough) {
  // At the pace a sanitizer build keeps up with: the engine must not end on its own first.
  prepare(fast_scenario("LIVE0010"));
  doc_.Config.postTrig.bContinue = 1;
  doc_.Config.postTrig.ullTaille = 10;
  doc_.Config.postTrig.ucUnite = UNITE_MO;
  // Held until the card has sent enough to go twice round the ring at the shortest record (a
  // five-byte frame makes ten words), however fast this machine takes it, or has stopped.
  journal_.retenue = [this] {
    return card_->frames_sent() > 2 * (uint64_t{10} << 20) / 20 || !card_->traffic_running();
  };
  ASSERT_TRUE(ctl_.Demarre(false));
  ctl_.Attend();
  EXPECT_TRUE(journal_.a_ligne("Acquisition aborted because of application not fast enough."))
      << ::testing::PrintToString(journal_.lignes) << " after " << card_->frames_sent() << " frames";
  EXPECT_EQ(doc_.Resultats.EndReason, FIN_TROP_LENT);
  EXPECT_FALSE(ctl_.MoteurPresent());
  EXPECT_TRUE(read_capture(doc_.AcqFilePath).clean);
}

}  // namespace
}  // namespace brv::test
