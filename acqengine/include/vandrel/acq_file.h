#pragma once
// Acquisition file (.dat): 88-byte header at offset 0, then one or two data zones of
// frame records. Every multi-byte number is little-endian.

#include <cstddef>
#include <cstdint>

#include <brv_platform/endian.h>

namespace vandrel {

inline constexpr uint32_t kFormatEntete = 0x100;
inline constexpr uint64_t kTailleEntete = 88;

// Acquisition state (`enEtatAcq`).
enum enEtatAcq : uint32_t {
  ATTENTE_TRAFIC = 1,
  ATTENTE_SYN = 2,
  ACQ_EN_COURS = 3,
  ATTENTE_RETRAFIC = 4,
  FIN_NORMALE = 5,
  ARRET_UTILISATEUR = 6,
  ETAT_FINAL_7 = 7,  // accepted as final at stop; the engine never sets it
  ERR_BUFFERS = 8,
  ERR_RESSOURCES = 9,
  ERR_FICHIER = 10,
};

// The states an acquisition ends in; once there, the engine's threads have finished.
constexpr bool etat_final(uint32_t etat) { return etat >= FIN_NORMALE && etat <= ERR_FICHIER; }

// Acquisition type, which decides the layout of the data.
enum enTypeAcq : uint32_t {
  SANS_SYN = 0,
  SYN_SIMPLE = 1,
  SYN_FILTRE = 2,
  SYN_PRETRIG = 3,
};

// Probe type (`enTypeBoitier`).
enum enTypeBoitier : uint32_t {
  BT_HLP_STD = 0,
  BT_ZIZA_MONO = 1,
  BT_ZIZA_BI = 2,
};

// Bus speed code (`enVitesse`).
enum enVitesse : uint32_t {
  VITESSE_31K25 = 0,
  VITESSE_1M = 1,
  VITESSE_2M5 = 2,
  VITESSE_5M = 3,
};

// Name of a state value, or nullptr for a value outside the table.
constexpr const char* nom_etat_acq(uint32_t etat) {
  switch (etat) {
    case ATTENTE_TRAFIC: return "ATTENTE_TRAFIC";
    case ATTENTE_SYN: return "ATTENTE_SYN";
    case ACQ_EN_COURS: return "ACQ_EN_COURS";
    case ATTENTE_RETRAFIC: return "ATTENTE_RETRAFIC";
    case FIN_NORMALE: return "FIN_NORMALE";
    case ARRET_UTILISATEUR: return "ARRET_UTILISATEUR";
    case ETAT_FINAL_7: return "ETAT_FINAL_7";
    case ERR_BUFFERS: return "ERR_BUFFERS";
    case ERR_RESSOURCES: return "ERR_RESSOURCES";
    case ERR_FICHIER: return "ERR_FICHIER";
    default: return nullptr;
  }
}

constexpr const char* nom_type_boitier(uint32_t type) {
  switch (type) {
    case BT_HLP_STD: return "BT_HLP_STD";
    case BT_ZIZA_MONO: return "BT_ZIZA_MONO";
    case BT_ZIZA_BI: return "BT_ZIZA_BI";
    default: return nullptr;
  }
}

constexpr const char* nom_vitesse(uint32_t code) {
  switch (code) {
    case VITESSE_31K25: return "31.25 kbit/s";
    case VITESSE_1M: return "1 Mbit/s";
    case VITESSE_2M5: return "2.5 Mbit/s";
    case VITESSE_5M: return "5 Mbit/s";
    default: return nullptr;
  }
}

// File header, in memory. Read and written field by field (see lire_entete / ecrire_entete),
// never laid over file bytes.
struct ENTETE_FICHIER {
  uint32_t ulFormatEntete;
  uint32_t enEtatAcq;
  uint32_t enTypeBoitier;
  uint32_t enVitesse;
  uint8_t bTramesTypeFip;
  uint8_t ucReserve1[7];
  uint64_t uliDateDetect;
  uint64_t ullPosZonePostTrig;
  uint64_t ullLgZonePostTrig;
  uint64_t ullDateTrig;
  uint64_t ullPosZonePreTrig;
  uint64_t ullPosTournantDebut;
  uint64_t ullPosTournantFin;
  uint32_t ulLgBlocTournant;
  uint32_t ulReserve2;
};
static_assert(sizeof(ENTETE_FICHIER) == kTailleEntete);
static_assert(offsetof(ENTETE_FICHIER, bTramesTypeFip) == 16);
static_assert(offsetof(ENTETE_FICHIER, uliDateDetect) == 24);
static_assert(offsetof(ENTETE_FICHIER, ullDateTrig) == 48);
static_assert(offsetof(ENTETE_FICHIER, ulLgBlocTournant) == 80);

inline ENTETE_FICHIER lire_entete(const uint8_t* p) {
  using namespace brv::platform;
  ENTETE_FICHIER e{};
  e.ulFormatEntete = load_le32(p + 0);
  e.enEtatAcq = load_le32(p + 4);
  e.enTypeBoitier = load_le32(p + 8);
  e.enVitesse = load_le32(p + 12);
  e.bTramesTypeFip = p[16];
  for (int i = 0; i < 7; ++i) e.ucReserve1[i] = p[17 + i];
  e.uliDateDetect = load_le64(p + 24);
  e.ullPosZonePostTrig = load_le64(p + 32);
  e.ullLgZonePostTrig = load_le64(p + 40);
  e.ullDateTrig = load_le64(p + 48);
  e.ullPosZonePreTrig = load_le64(p + 56);
  e.ullPosTournantDebut = load_le64(p + 64);
  e.ullPosTournantFin = load_le64(p + 72);
  e.ulLgBlocTournant = load_le32(p + 80);
  e.ulReserve2 = load_le32(p + 84);
  return e;
}

inline void ecrire_entete(const ENTETE_FICHIER& e, uint8_t* p) {
  using namespace brv::platform;
  store_le32(p + 0, e.ulFormatEntete);
  store_le32(p + 4, e.enEtatAcq);
  store_le32(p + 8, e.enTypeBoitier);
  store_le32(p + 12, e.enVitesse);
  p[16] = e.bTramesTypeFip;
  for (int i = 0; i < 7; ++i) p[17 + i] = e.ucReserve1[i];
  store_le64(p + 24, e.uliDateDetect);
  store_le64(p + 32, e.ullPosZonePostTrig);
  store_le64(p + 40, e.ullLgZonePostTrig);
  store_le64(p + 48, e.ullDateTrig);
  store_le64(p + 56, e.ullPosZonePreTrig);
  store_le64(p + 64, e.ullPosTournantDebut);
  store_le64(p + 72, e.ullPosTournantFin);
  store_le32(p + 80, e.ulLgBlocTournant);
  store_le32(p + 84, e.ulReserve2);
}

// Frame record: usLgEnreg (u16), ullDate (u64), n frame bytes, ucStatut (u8), usLgEnreg (u16).
inline constexpr uint16_t kSurchargeEnreg = 13;  // record length = n + 13
inline constexpr uint16_t kLgEnregMin = 13;
inline constexpr uint16_t kLgTrameMax = 0xFFFF - kSurchargeEnreg;
inline constexpr size_t kPosDateEnreg = 2;
inline constexpr size_t kPosTrameEnreg = 10;
inline constexpr uint64_t kMarqueFiltre = 1ULL << 63;   // filtered frames came just before
inline constexpr uint64_t kMasqueDate = kMarqueFiltre - 1;

// Bits of ucStatut.
inline constexpr uint8_t STATUT_ERR_TX_VOIE1 = 0x01;
inline constexpr uint8_t STATUT_ERR_TX_VOIE2 = 0x02;
inline constexpr uint8_t STATUT_VOIE2 = 0x04;
inline constexpr uint8_t STATUT_INTERRUPTION_TRAFIC = 0x08;
inline constexpr uint8_t STATUT_GLITCH = 0x20;
inline constexpr uint8_t STATUT_DELIMITEUR_1 = 0x40;
inline constexpr uint8_t STATUT_DELIMITEUR_2 = 0x80;

// Pseudo-frames stored in place of frame bytes.
inline constexpr uint8_t PSEUDO_INTERRUPTION_PC = 0xFC;  // FC FC: card FIFO overflow
inline constexpr uint8_t PSEUDO_GLITCH = 0xFD;           // FD FD: line glitch
inline constexpr uint8_t PSEUDO_DELIMITEUR = 0xFE;       // FE FE: bad start delimiter
inline constexpr uint8_t PSEUDO_SANS_OCTET = 0x00;       // 00: frame event without bytes

// Writes one record at p (room for n + 13 bytes); returns its length.
inline uint16_t ecrire_enreg(uint8_t* p, uint64_t date, const uint8_t* trame, uint16_t n, uint8_t statut) {
  using namespace brv::platform;
  const uint16_t lg = static_cast<uint16_t>(n + kSurchargeEnreg);
  store_le16(p, lg);
  store_le64(p + kPosDateEnreg, date);
  for (uint16_t i = 0; i < n; ++i) p[kPosTrameEnreg + i] = trame[i];
  p[kPosTrameEnreg + n] = statut;
  store_le16(p + kPosTrameEnreg + n + 1, lg);
  return lg;
}

// Converts a date in tenths of a bit time into 100 ns FILETIME units.
inline constexpr uint64_t date_vers_filetime(uint64_t date, uint32_t vitesse) {
  switch (vitesse) {
    case VITESSE_31K25: return date * 32;
    case VITESSE_2M5: return date * 10 / 25;
    case VITESSE_5M: return date / 5;
    default: return date;
  }
}

}  // namespace vandrel
