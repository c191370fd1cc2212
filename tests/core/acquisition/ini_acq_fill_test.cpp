// The parameter block filled from a configuration, checked on the bytes the engine receives.

#include <gtest/gtest.h>

#include <cstring>

#include "brv_core/acquisition/ini_acq_fill.h"

namespace brv {
namespace {

const EspaceLibre kDisque(uint64_t octets) {
  return [octets](const std::filesystem::path&) { return std::optional<uint64_t>(octets); };
}

VerificationDemarrage verif(int32_t type, uint64_t zone = 0) {
  VerificationDemarrage v;
  v.ok = true;
  v.enTypeAcq = type;
  v.ullTaillePostTrig = zone;
  v.ullTailleNecessaire = zone;
  v.AcqFilePath = "/tmp/acq.dat";
  return v;
}

Configuration avec_declenchement(uint8_t methode, uint8_t nb) {
  Configuration c;
  c.ucMethodeDeclenchement = methode;
  c.declenchement.nb = nb;
  for (size_t i = 0; i < 3; ++i) c.declenchement.defs[i].champs.resize(i + 1);
  return c;
}

std::vector<uint8_t> bloc(const RemplissageIniAcq& r) { return vandrel::construit_ini_acq(r.parametres); }
vandrel::INI_ACQ ini_de(const std::vector<uint8_t>& b) { return vandrel::lire_ini_acq(b.data()); }

TEST(RemplitIniAcq, MethodFallsBackToTheDefinedFrames) {
  // Columns: N = 1, 2, 3 as {frames, method}.
  struct Ligne {
    uint8_t methode;
    TramesSynchro n1, n2, n3;
  };
  const Ligne table[] = {
      {0, {1, 0}, {1, 0}, {1, 0}}, {1, {1, 0}, {2, 1}, {2, 1}}, {2, {1, 0}, {2, 2}, {2, 2}},
      {3, {1, 0}, {2, 1}, {3, 3}}, {4, {1, 0}, {2, 1}, {3, 4}}, {5, {1, 0}, {2, 1}, {3, 5}},
      {6, {1, 0}, {2, 2}, {3, 6}}, {7, {1, 0}, {2, 2}, {3, 7}},
  };
  for (const Ligne& l : table) {
    const TramesSynchro attendu[] = {l.n1, l.n2, l.n3};
    for (uint8_t n = 1; n <= 3; ++n) {
      SCOPED_TRACE(testing::Message() << "method " << int(l.methode) << " N " << int(n));
      const TramesSynchro& a = attendu[n - 1];
      const vandrel::INI_ACQ ini = ini_de(bloc(RemplitIniAcq(avec_declenchement(l.methode, n), verif(1), 0, 0)));
      EXPECT_EQ(ini.ucNbTramesSynchro, a.ucNbTramesSynchro);
      EXPECT_EQ(ini.ucMethodeSynchro, a.ucMethodeSynchro);
      // Each frame sent carries its definition's conditions; the others are empty.
      for (unsigned k = 0; k < 3; ++k) {
        EXPECT_EQ(ini.pstTramesSynchro[k].usNbChampsBit, k < a.ucNbTramesSynchro ? k + 1 : 0u) << "slot " << k;
      }
    }
  }
  EXPECT_EQ(TramesEtMethode(3, 0), (TramesSynchro{1, 0}));
  EXPECT_EQ(TramesEtMethode(7, 20), (TramesSynchro{3, 7}));
  EXPECT_EQ(TramesEtMethode(8, 3), (TramesSynchro{0, 0}));
  EXPECT_EQ(ini_de(bloc(RemplitIniAcq(avec_declenchement(8, 3), verif(1), 0, 0))).ucNbTramesSynchro, 0);
  // Free run sends no trigger frame whatever is defined.
  EXPECT_EQ(ini_de(bloc(RemplitIniAcq(avec_declenchement(3, 3), verif(0), 0, 0))).ucNbTramesSynchro, 0);
}

TEST(RemplitIniAcq, ConditionsReachTheEngineInItsForm) {
  Configuration c = avec_declenchement(0, 1);
  CHAMP_BITS nonOu;
  nonOu.usPosition = 16;
  nonOu.ucLongueur = 8;
  nonOu.ulOperation = OP_NON_OU;
  nonOu.ullValeur = 0x0F;
  CHAMP_BITS flottant;
  flottant.usPosition = 24;
  flottant.ucLongueur = 32;
  flottant.ulOperation = OP_SUPERIEUR;
  flottant.ulInterpretation = 3;
  flottant.bSigne = 1;
  flottant.ulOrdre = 1;
  flottant.ullValeur = 0x3F800000;
  c.declenchement.defs[0].champs = {nonOu, flottant};

  const std::vector<uint8_t> b = bloc(RemplitIniAcq(c, verif(1), 0, 0));
  const vandrel::INI_ACQ ini = ini_de(b);
  ASSERT_EQ(ini.pstTramesSynchro[0].usNbChampsBit, 2);
  const uint8_t* champs = b.data() + ini.pstTramesSynchro[0].pstChampsBit;
  const vandrel::struct_CHAMP_BIT_SYNCHRO a = vandrel::lire_champ_bit(champs);
  EXPECT_EQ(a.usPosValBit, 16);
  EXPECT_EQ(a.ucLgValBit, 8);
  EXPECT_EQ(a.enLgInterpretationVal, vandrel::LG_8);
  EXPECT_EQ(a.enOperation, vandrel::OP_NOT_OR);
  EXPECT_EQ(a.ullValeur, 0xFFFFFFFFFFFFFF0FULL);
  const vandrel::struct_CHAMP_BIT_SYNCHRO f = vandrel::lire_champ_bit(champs + vandrel::kTailleChampBit);
  EXPECT_EQ(f.enLgInterpretationVal, vandrel::LG_32);
  EXPECT_EQ(f.bFlottant, 1);
  EXPECT_EQ(f.bSigne, 1);
  EXPECT_EQ(f.bLSBPremier, 1);
  EXPECT_EQ(f.enOperation, vandrel::OP_GREATER);
  EXPECT_EQ(f.ullValeur, 0x3F800000u);
}

TEST(RemplitIniAcq, SizesDurationAndFixedFields) {
  Configuration c;
  c.postTrig.bTailleChoisie = 1;
  c.postTrig.bDureeChoisie = 1;
  c.postTrig.duree = {1, 2, 3, 1};  // 97321 s
  c.preTrig.ullTailleEquivalente = 5000;
  c.ulVoie = VOIE_2;
  c.postTrig.bContinue = 1;
  const RemplissageIniAcq r = RemplitIniAcq(c, verif(3, 3072000), 6, 1, kDisque(0));
  const std::vector<uint8_t> b = bloc(r);
  const vandrel::INI_ACQ ini = ini_de(b);
  EXPECT_EQ(ini.enTypeAcq, 3);
  EXPECT_EQ(ini.bAcqContinue, 1);
  EXPECT_EQ(ini.ullLgZonePostTrig, 3072000u);
  EXPECT_EQ(ini.ullLgMaxZonePreTrig, 5000u);
  EXPECT_EQ(ini.llDureeZonePostTrig, -973210000000LL);
  EXPECT_EQ(r.dureePostTrigMs, 97321000u);
  EXPECT_EQ(ini.enSelectCanal, 2);
  EXPECT_EQ(ini.ucOsMajorVersion, 6);
  EXPECT_EQ(ini.ucOsMinorVersion, 1);
  ASSERT_EQ(ini.usLgPathFichierAcq, 12);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + ini.pvPathFichierAcq), 12), "/tmp/acq.dat");
  std::string raison;
  EXPECT_TRUE(vandrel::verifie_ini_acq(b.data(), static_cast<uint32_t>(b.size()), raison)) << raison;

  // Other kinds carry no pre-trigger maximum; no duration sends nothing.
  c.postTrig.bDureeChoisie = 0;
  const RemplissageIniAcq s = RemplitIniAcq(c, verif(1, 1024), 0, 0, kDisque(0));
  EXPECT_EQ(s.parametres.ini.ullLgMaxZonePreTrig, 0u);
  EXPECT_EQ(s.parametres.ini.llDureeZonePostTrig, 0);
  EXPECT_EQ(s.dureePostTrigMs, 0u);
}

TEST(RemplitIniAcq, UnlimitedZoneTakesTheFreeSpaceBeyondTheMargin) {
  struct Cas {
    std::optional<uint64_t> libre;
    uint64_t zone;
  };
  const Cas cas[] = {{kMargeEspaceLibre - 1, 0},
                     {kMargeEspaceLibre, 0},
                     {kMargeEspaceLibre + 1, 1},
                     {kMargeEspaceLibre * 3, kMargeEspaceLibre * 2},
                     {std::nullopt, 0}};
  Configuration c;
  c.postTrig.bTailleChoisie = 0;
  for (const Cas& k : cas) {
    const EspaceLibre libre = [&k](const std::filesystem::path&) { return k.libre; };
    EXPECT_EQ(RemplitIniAcq(c, verif(0), 0, 0, libre).parametres.ini.ullLgZonePostTrig, k.zone);
  }
}

TEST(RemplitIniAcq, PaddingFilterWords) {
  Configuration c;
  EXPECT_EQ(ini_de(bloc(RemplitIniAcq(c, verif(0), 0, 0, kDisque(0)))).ucNbTramesFiltre, 0);

  c.bourrageAcq = {1, 0x1234, 1};
  const std::vector<uint8_t> b = bloc(RemplitIniAcq(c, verif(0), 0, 0, kDisque(0)));
  EXPECT_EQ(b[5], 1);  // bFiltreBourrage
  EXPECT_EQ(b[6], 1);  // ucNbTramesFiltre
  const uint8_t mots[] = {3, 0, 3, 0, 0x12, 0, 0x34, 0};
  EXPECT_EQ(std::memcmp(b.data() + 8, mots, sizeof mots), 0);
}

TEST(DelaiDiffere, MillisecondsOnlyWhenOnAndNotZero) {
  Configuration c;
  c.differe.delai = {5, 1, 0, 0};
  EXPECT_EQ(DelaiDiffere(c), 0u);
  c.differe.bActif = 1;
  EXPECT_EQ(DelaiDiffere(c), 65000u);
  c.differe.delai = {};
  EXPECT_EQ(DelaiDiffere(c), 0u);
  c.differe.delai = {0, 0, 0, 2};
  EXPECT_EQ(DelaiDiffere(c), 172800000u);
}

}  // namespace
}  // namespace brv
