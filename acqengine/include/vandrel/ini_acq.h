#pragma once
// INI_ACQ: the 608-byte parameter block of an acquisition. On this platform its two pointer
// kinds (the bit-field arrays of the trigger frames and the file path) are 32-bit offsets from
// the start of the block into data appended behind the 608 bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vandrel/bitfield.h"

namespace vandrel {

inline constexpr uint32_t kTailleIniAcq = 608;
inline constexpr size_t kTailleTramesFiltre = 528;
// Entry 0 of the filter table: usNbMots, then the words; the table holds no more than this.
inline constexpr uint16_t kNbMotsFiltreMax = (kTailleTramesFiltre - 2) / 2;
inline constexpr size_t kTailleChampBit = 24;

// A trigger frame definition as the block holds it.
struct struct_DEF_TRAME_SYNCHRO_BLOC {
  uint16_t usNbChampsBit;
  uint8_t ucReserve[2];
  uint32_t pstChampsBit;  // offset from the start of the block
};
static_assert(sizeof(struct_DEF_TRAME_SYNCHRO_BLOC) == 8);

struct INI_ACQ {
  int32_t enTypeAcq;
  uint8_t bAcqContinue;
  uint8_t bFiltreBourrage;
  uint8_t ucNbTramesFiltre;
  uint8_t ucReserve7;
  uint8_t pstTramesFiltre[kTailleTramesFiltre];
  uint8_t ucNbTramesSynchro;
  uint8_t ucReserve537[3];
  struct_DEF_TRAME_SYNCHRO_BLOC pstTramesSynchro[3];
  uint8_t ucMethodeSynchro;
  uint8_t ucReserve565[3];
  uint64_t ullLgZonePostTrig;
  int64_t llDureeZonePostTrig;
  uint64_t ullLgMaxZonePreTrig;
  uint16_t usLgPathFichierAcq;
  uint16_t usReserve594;
  uint32_t pvPathFichierAcq;  // offset from the start of the block
  int32_t enSelectCanal;
  uint8_t ucOsMajorVersion;
  uint8_t ucOsMinorVersion;
  uint8_t ucReserve606[2];
};
static_assert(sizeof(INI_ACQ) == kTailleIniAcq);
static_assert(offsetof(INI_ACQ, pstTramesFiltre) == 8);
static_assert(offsetof(INI_ACQ, ucNbTramesSynchro) == 536);
static_assert(offsetof(INI_ACQ, pstTramesSynchro) == 540);
static_assert(offsetof(INI_ACQ, ucMethodeSynchro) == 564);
static_assert(offsetof(INI_ACQ, ullLgZonePostTrig) == 568);
static_assert(offsetof(INI_ACQ, llDureeZonePostTrig) == 576);
static_assert(offsetof(INI_ACQ, ullLgMaxZonePreTrig) == 584);
static_assert(offsetof(INI_ACQ, usLgPathFichierAcq) == 592);
static_assert(offsetof(INI_ACQ, pvPathFichierAcq) == 596);
static_assert(offsetof(INI_ACQ, enSelectCanal) == 600);
static_assert(offsetof(INI_ACQ, ucOsMajorVersion) == 604);

// The fixed 608 bytes, little-endian, field by field.
INI_ACQ lire_ini_acq(const uint8_t* p);
void ecrire_ini_acq(const INI_ACQ& ini, uint8_t* p);

struct struct_CHAMP_BIT_SYNCHRO lire_champ_bit(const uint8_t* p);
void ecrire_champ_bit(const struct_CHAMP_BIT_SYNCHRO& c, uint8_t* p);

// Checks every count and offset of a block of `longueur` bytes: the filter pattern fits its table,
// each bit-field array and the path with its terminating zero lie inside the block, the path is
// not empty. On failure `raison` says what is wrong.
bool verifie_ini_acq(const uint8_t* bloc, uint32_t longueur, std::string& raison);

// What a caller fills to build a block; construit_ini_acq appends the path and the bit-field
// arrays behind the 608 bytes and sets the offsets and counts.
struct ParametresAcq {
  INI_ACQ ini{};
  std::string chemin;
  std::array<std::vector<struct_CHAMP_BIT_SYNCHRO>, 3> champs;
};
std::vector<uint8_t> construit_ini_acq(const ParametresAcq& p);

// The padding filter pattern of the program: 0x0003, then the identifier's two bytes.
void pose_filtre_bourrage(INI_ACQ& ini, uint16_t identifiant);

}  // namespace vandrel
