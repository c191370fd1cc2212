// The acquisition configuration pages' rules: typing limits, paths, the pre-trigger equivalent size,
// each page's check and the write-back of a confirmed sheet.

#include <gtest/gtest.h>

#include "brv_core/config/acq_pages.h"

namespace brv {
namespace {

TEST(AcqPages, TypingLimits) {
  const struct {
    ChampBorne champ;
    const char* tape;
    const char* montre;
  } cas[] = {
      {ChampBorne::Jours, "250", "48"},        {ChampBorne::Jours, "48", "48"},
      {ChampBorne::Heures, "25", "24"},        {ChampBorne::Minutes, "61", "60"},
      {ChampBorne::Secondes, "60", "60"},      {ChampBorne::Pourcentage, "0", "1"},
      {ChampBorne::Pourcentage, "1001", "1000"}, {ChampBorne::Pourcentage, "300", "300"},
      {ChampBorne::NbTrames, "4294967296", "4294967295"},
      {ChampBorne::NbTrames, "99999999999999999999999", "4294967295"},
      {ChampBorne::Jours, "", ""},
  };
  for (const auto& c : cas) EXPECT_EQ(BorneSaisie(c.champ, c.tape), c.montre) << c.tape;
}

TEST(AcqPages, PathsAreCheckedAndCompleted) {
  const struct {
    const char* tape;
    const char* complet;  // nullptr: refused
  } cas[] = {
      {"/acq/bus1", "/acq/bus1.dat"},
      {"/acq/bus1.bin", "/acq/bus1.bin"},
      {"bus1", "bus1.dat"},
      {"/acq.d/bus1", "/acq.d/bus1.dat"},
      {"", nullptr},
      {"/acq/", nullptr},
      {"/acq/..", nullptr},
      {"/acq/bus\n1", nullptr},
  };
  for (const auto& c : cas) {
    const auto r = CompleteCheminAcq(c.tape);
    if (c.complet == nullptr) {
      EXPECT_FALSE(r) << c.tape;
    } else {
      EXPECT_EQ(r.value_or("(refused)"), c.complet);
    }
  }
  EXPECT_FALSE(CompleteCheminAcq("/acq/" + std::string(256, 'a')));
  // A name that only the added extension makes too long.
  EXPECT_FALSE(CompleteCheminAcq("/acq/" + std::string(253, 'a')));
}

TEST(AcqPages, PreTriggerEquivalentSize) {
  ZonePostTrig cinqMo;
  cinqMo.ullTaille = 5;
  cinqMo.ucUnite = UNITE_MO;
  ZonePostTrig uneMinute;
  uneMinute.bTailleChoisie = 0;
  uneMinute.bDureeChoisie = 1;
  uneMinute.duree.minutes = 1;
  ZonePostTrig anneau = cinqMo;
  anneau.bContinue = 1;
  DureeJHMS uneSeconde;
  uneSeconde.secondes = 1;

  const struct {
    const char* cas;
    ZonePostTrig post;
    uint8_t methode;
    uint32_t pourcentage;
    uint64_t trames;
    DureeJHMS duree;
    std::optional<uint64_t> taille;
  } cas[] = {
      {"7 frames, raised to the minimum", cinqMo, PRETRIG_TRAMES, 0, 7, {}, 2780},
      {"100 frames", cinqMo, PRETRIG_TRAMES, 0, 100, {}, 10574},
      {"101 frames", cinqMo, PRETRIG_TRAMES, 0, 101, {}, 10592},
      {"1 s, rounded up", cinqMo, PRETRIG_DUREE, 0, 0, uneSeconde, 3521740},
      {"10 % of 5 Mbytes", cinqMo, PRETRIG_POURCENT, 10, 0, {}, 512000},
      {"1000 % of 5 Mbytes", cinqMo, PRETRIG_POURCENT, 1000, 0, {}, 51200000},
      {"50 % of a minute is 30 s", uneMinute, PRETRIG_POURCENT, 50, 0, {}, 105652174},
      {"a ring has no size to share", anneau, PRETRIG_POURCENT, 10, 0, {}, std::nullopt},
      {"no method", cinqMo, PRETRIG_AUCUNE, 10, 10, uneSeconde, std::nullopt},
  };
  for (const auto& c : cas) {
    EXPECT_EQ(TailleEquivalentePreTrig(c.post, c.methode, c.pourcentage, c.trames, c.duree), c.taille) << c.cas;
  }
  EXPECT_EQ(TailleDureePreTrig(30), 105652174u);
}

TEST(AcqPages, APercentageAboveOneByteKeepsItsHighByteInTheReservedByte) {
  ZonePreTrig z;
  DefinitPourcentagePreTrig(z, 300);
  EXPECT_EQ(z.ucPourcentage, 300 & 0xFF);
  EXPECT_EQ(z.reserve[0], 1);
  EXPECT_EQ(PourcentagePreTrig(z), 300u);
  DefinitPourcentagePreTrig(z, 40);
  EXPECT_EQ(z.reserve[0], 0);  // as an older program writes it
  EXPECT_EQ(PourcentagePreTrig(z), 40u);
}

TEST(AcqPages, EachPageRefusesWithItsMessageAndWritesNothing) {
  const Configuration avant;
  Configuration c = avant;

  SaisiePageFichier fichier{"/acq/", ACTION_ECRASER};
  EXPECT_EQ(VerifiePageFichier(fichier, c), kMsgCheminAcqInvalide);

  SaisiePagePostTrig post;
  post.valeurTaille = "0";
  EXPECT_EQ(VerifiePagePostTrig(post, c), kMsgLongueurPostTrig);
  post.valeurTaille = "";
  post.circulaire = true;
  post.taille = false;  // a ring always has its size
  EXPECT_EQ(VerifiePagePostTrig(post, c), kMsgLongueurPostTrig);
  post = {};
  post.taille = false;
  post.duree = true;
  EXPECT_EQ(VerifiePagePostTrig(post, c), kMsgDureePostTrig);

  for (const uint8_t m : {PRETRIG_POURCENT, PRETRIG_TRAMES, PRETRIG_DUREE}) {
    SaisiePagePreTrig pre;
    pre.aucun = false;
    pre.methode = m;
    pre.pourcentage = pre.nbTrames = "0";
    EXPECT_EQ(VerifiePagePreTrig(pre, c), kMsgLongueurPreTrig) << int(m);
  }
  SaisiePageDiffere differe;
  differe.actif = true;
  EXPECT_EQ(VerifiePageDiffere(differe, c), kMsgDureeDiffere);
  EXPECT_EQ(c, avant);
}

TEST(AcqPages, AcceptedPagesStoreTheirValues) {
  Configuration c;
  SaisiePageFichier fichier{"/acq/bus1", ACTION_INCREMENTER};
  ASSERT_FALSE(VerifiePageFichier(fichier, c));
  EXPECT_EQ(fichier.chemin, "/acq/bus1.dat");
  EXPECT_EQ(c.cheminFichierAcq, "/acq/bus1.dat");
  EXPECT_EQ(c.ulActionDebut, ACTION_INCREMENTER);

  SaisiePagePostTrig post;
  post.circulaire = true;
  post.duree = true;
  post.valeurTaille = "5";
  post.valeurDuree = {"", "1", "", "250"};
  ASSERT_FALSE(VerifiePagePostTrig(post, c));
  EXPECT_TRUE(c.postTrig.bContinue && c.postTrig.bTailleChoisie && c.postTrig.bDureeChoisie);
  EXPECT_EQ(c.postTrig.duree.en_secondes(), 3600u + 60u);

  SaisiePagePreTrig pre;
  pre.aucun = false;
  pre.methode = PRETRIG_TRAMES;
  pre.nbTrames = "100";
  pre.pourcentage = "300";
  ASSERT_FALSE(VerifiePagePreTrig(pre, c));
  EXPECT_EQ(c.preTrig.ullTailleEquivalente, 10574u);
  EXPECT_EQ(PourcentagePreTrig(c.preTrig), 300u);  // every method's value is kept

  SaisiePageAutres autres{"9080", true, VOIE_2};
  ASSERT_FALSE(VerifiePageAutres(autres, c));
  EXPECT_EQ(c.bourrageAcq, (TripletBourrage{1, 0x9080, 1}));
  autres.identifiantBourrage = "";
  ASSERT_FALSE(VerifiePageAutres(autres, c));
  EXPECT_EQ(c.bourrageAcq, TripletBourrage{});
  EXPECT_EQ(c.ulVoie, VOIE_2);
}

TEST(AcqPages, AConfirmedSheetWritesOnlyTheShownPagesAndFollowsANewZoneSize) {
  Configuration doc;
  doc.cheminFichierAcq = "/acq/old.dat";
  doc.preTrig.bPreTrig = 1;
  doc.preTrig.ucMethode = PRETRIG_POURCENT;
  DefinitPourcentagePreTrig(doc.preTrig, 10);
  doc.preTrig.ullTailleEquivalente = 102400;  // 10 % of 1 Mbyte

  Configuration travail = doc;
  travail.cheminFichierAcq = "/acq/new.dat";  // its page was not shown
  travail.postTrig.ullTaille = 5;
  std::array<bool, kNbPagesAcq> montrees{};
  montrees[PAGE_POST_TRIG] = true;
  EcritFeuilleAcq(travail, montrees, doc);
  EXPECT_EQ(doc.cheminFichierAcq, "/acq/old.dat");
  EXPECT_EQ(doc.postTrig.ullTaille, 5u);
  EXPECT_EQ(doc.preTrig.ullTailleEquivalente, 512000u);

  // The pre-trigger page shown keeps what it computed itself.
  travail.preTrig.ullTailleEquivalente = 4000;
  montrees[PAGE_PRE_TRIG] = true;
  EcritFeuilleAcq(travail, montrees, doc);
  EXPECT_EQ(doc.preTrig.ullTailleEquivalente, 4000u);
}

TEST(AcqPages, PagesShowWhatTheyStore) {
  Configuration c;
  c.postTrig.bDureeChoisie = 1;
  c.postTrig.bTailleChoisie = 0;
  c.postTrig.duree.jours = 2;
  c.bourrageAcq = {1, 0x9080, 0};
  const SaisiePagePostTrig post = SaisiePagePostTrigDe(c);
  EXPECT_TRUE(post.duree && !post.taille);
  EXPECT_EQ(post.valeurDuree.jours, "2");
  EXPECT_EQ(SaisiePageAutresDe(c).identifiantBourrage, "9080");
  Configuration retour = c;
  ASSERT_FALSE(VerifiePagePostTrig(post, retour));
  ASSERT_FALSE(VerifiePageAutres(SaisiePageAutresDe(c), retour));
  EXPECT_EQ(retour, c);
}

}  // namespace
}  // namespace brv
