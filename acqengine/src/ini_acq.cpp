#include "vandrel/ini_acq.h"

#include <cstring>

#include <brv_platform/endian.h>

namespace vandrel {

using namespace brv::platform;

INI_ACQ lire_ini_acq(const uint8_t* p) {
  INI_ACQ i{};
  i.enTypeAcq = static_cast<int32_t>(load_le32(p + 0));
  i.bAcqContinue = p[4];
  i.bFiltreBourrage = p[5];
  i.ucNbTramesFiltre = p[6];
  std::memcpy(i.pstTramesFiltre, p + 8, kTailleTramesFiltre);
  i.ucNbTramesSynchro = p[536];
  for (int k = 0; k < 3; ++k) {
    const uint8_t* d = p + 540 + 8 * k;
    i.pstTramesSynchro[k].usNbChampsBit = load_le16(d);
    i.pstTramesSynchro[k].pstChampsBit = load_le32(d + 4);
  }
  i.ucMethodeSynchro = p[564];
  i.ullLgZonePostTrig = load_le64(p + 568);
  i.llDureeZonePostTrig = static_cast<int64_t>(load_le64(p + 576));
  i.ullLgMaxZonePreTrig = load_le64(p + 584);
  i.usLgPathFichierAcq = load_le16(p + 592);
  i.pvPathFichierAcq = load_le32(p + 596);
  i.enSelectCanal = static_cast<int32_t>(load_le32(p + 600));
  i.ucOsMajorVersion = p[604];
  i.ucOsMinorVersion = p[605];
  return i;
}

void ecrire_ini_acq(const INI_ACQ& i, uint8_t* p) {
  std::memset(p, 0, kTailleIniAcq);
  store_le32(p + 0, static_cast<uint32_t>(i.enTypeAcq));
  p[4] = i.bAcqContinue;
  p[5] = i.bFiltreBourrage;
  p[6] = i.ucNbTramesFiltre;
  std::memcpy(p + 8, i.pstTramesFiltre, kTailleTramesFiltre);
  p[536] = i.ucNbTramesSynchro;
  for (int k = 0; k < 3; ++k) {
    uint8_t* d = p + 540 + 8 * k;
    store_le16(d, i.pstTramesSynchro[k].usNbChampsBit);
    store_le32(d + 4, i.pstTramesSynchro[k].pstChampsBit);
  }
  p[564] = i.ucMethodeSynchro;
  store_le64(p + 568, i.ullLgZonePostTrig);
  store_le64(p + 576, static_cast<uint64_t>(i.llDureeZonePostTrig));
  store_le64(p + 584, i.ullLgMaxZonePreTrig);
  store_le16(p + 592, i.usLgPathFichierAcq);
  store_le32(p + 596, i.pvPathFichierAcq);
  store_le32(p + 600, static_cast<uint32_t>(i.enSelectCanal));
  p[604] = i.ucOsMajorVersion;
  p[605] = i.ucOsMinorVersion;
}

struct_CHAMP_BIT_SYNCHRO lire_champ_bit(const uint8_t* p) {
  struct_CHAMP_BIT_SYNCHRO c{};
  c.usPosValBit = load_le16(p);
  c.ucLgValBit = p[2];
  c.bLSBPremier = p[3];
  c.bSigne = p[4];
  c.bFlottant = p[5];
  c.enLgInterpretationVal = static_cast<int32_t>(load_le32(p + 8));
  c.enOperation = static_cast<int32_t>(load_le32(p + 12));
  c.ullValeur = load_le64(p + 16);
  return c;
}

void ecrire_champ_bit(const struct_CHAMP_BIT_SYNCHRO& c, uint8_t* p) {
  std::memset(p, 0, kTailleChampBit);
  store_le16(p, c.usPosValBit);
  p[2] = c.ucLgValBit;
  p[3] = c.bLSBPremier;
  p[4] = c.bSigne;
  p[5] = c.bFlottant;
  store_le32(p + 8, static_cast<uint32_t>(c.enLgInterpretationVal));
  store_le32(p + 12, static_cast<uint32_t>(c.enOperation));
  store_le64(p + 16, c.ullValeur);
}

bool verifie_ini_acq(const uint8_t* bloc, uint32_t longueur, std::string& raison) {
  if (longueur < kTailleIniAcq) {
    raison = "block shorter than " + std::to_string(kTailleIniAcq) + " bytes";
    return false;
  }
  const INI_ACQ i = lire_ini_acq(bloc);
  const uint64_t fin = longueur;
  if (i.ucNbTramesFiltre != 0 && load_le16(i.pstTramesFiltre) > kNbMotsFiltreMax) {
    raison = "filter pattern of " + std::to_string(load_le16(i.pstTramesFiltre)) + " words";
    return false;
  }
  if (i.ucNbTramesSynchro > 3) {
    raison = "trigger frame count " + std::to_string(i.ucNbTramesSynchro);
    return false;
  }
  for (unsigned k = 0; k < i.ucNbTramesSynchro; ++k) {
    const auto& d = i.pstTramesSynchro[k];
    if (d.usNbChampsBit == 0) continue;
    const uint64_t debut = d.pstChampsBit;
    if (debut < kTailleIniAcq || debut + uint64_t{d.usNbChampsBit} * kTailleChampBit > fin) {
      raison = "bit fields of trigger frame " + std::to_string(k + 1) + " outside the block";
      return false;
    }
  }
  const uint64_t chemin = i.pvPathFichierAcq;
  if (i.usLgPathFichierAcq == 0 || chemin < kTailleIniAcq || chemin + i.usLgPathFichierAcq + 1 > fin) {
    raison = "file path outside the block";
    return false;
  }
  if (bloc[chemin + i.usLgPathFichierAcq] != 0) {
    raison = "file path without its terminating zero";
    return false;
  }
  if (std::memchr(bloc + chemin, 0, i.usLgPathFichierAcq) != nullptr) {
    raison = "file path holding a zero";
    return false;
  }
  return true;
}

std::vector<uint8_t> construit_ini_acq(const ParametresAcq& p) {
  INI_ACQ ini = p.ini;
  std::vector<uint8_t> bloc(kTailleIniAcq);
  for (unsigned k = 0; k < 3; ++k) {
    ini.pstTramesSynchro[k].usNbChampsBit = static_cast<uint16_t>(p.champs[k].size());
    ini.pstTramesSynchro[k].pstChampsBit = p.champs[k].empty() ? 0 : static_cast<uint32_t>(bloc.size());
    for (const auto& c : p.champs[k]) {
      bloc.resize(bloc.size() + kTailleChampBit);
      ecrire_champ_bit(c, bloc.data() + bloc.size() - kTailleChampBit);
    }
  }
  ini.usLgPathFichierAcq = static_cast<uint16_t>(p.chemin.size());
  ini.pvPathFichierAcq = static_cast<uint32_t>(bloc.size());
  bloc.insert(bloc.end(), p.chemin.begin(), p.chemin.end());
  bloc.push_back(0);
  ecrire_ini_acq(ini, bloc.data());
  return bloc;
}

void pose_filtre_bourrage(INI_ACQ& ini, uint16_t identifiant) {
  ini.bFiltreBourrage = 1;
  ini.ucNbTramesFiltre = 1;
  store_le16(ini.pstTramesFiltre, 3);
  store_le16(ini.pstTramesFiltre + 2, 0x0003);
  store_le16(ini.pstTramesFiltre + 4, static_cast<uint16_t>(identifiant >> 8));
  store_le16(ini.pstTramesFiltre + 6, static_cast<uint16_t>(identifiant & 0xFF));
}

}  // namespace vandrel
