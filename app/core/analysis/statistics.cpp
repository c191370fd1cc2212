#include "brv_core/analysis/statistics.h"

#include "brv_core/analysis/view_snapshot.h"

#include <cstdio>

#include "brv_core/decode/decodage_trame.h"
#include "brv_core/decode/frame_types.h"

namespace brv {

namespace {

constexpr uint8_t kIdDat = 0x03, kIdMsg = 0x05, kIdRq1 = 0x29, kIdRq2 = 0x09;
constexpr uint8_t kRpRq1 = 0x28, kRpRq2 = 0x08;

bool EstReponseMessage(uint8_t c) { return c == 0x14 || c == 0x94 || c == 0x04; }
bool EstFinMessage(uint8_t c) { return c == 0x30 || c == 0xB0 || c == 0x10 || c == 0x90 || c == 0x40; }

// Whether c is the expected answer to an identification frame of control attente.
bool Repond(uint8_t attente, uint8_t c) {
  switch (attente) {
    case kIdDat: return EstReponseDonnee(c);
    case kIdMsg: return EstReponseMessage(c);
    case kIdRq1: return c == kRpRq1;
    case kIdRq2: return c == kRpRq2;
    default: return false;
  }
}

float Pourcent(uint64_t part, uint64_t total) {
  return static_cast<float>(static_cast<double>(part) / static_cast<double>(total)) * 100.0f;
}

}  // namespace

CStatistiques::CStatistiques(uint64_t facteurNs, bool fip, uint64_t intervalleNs, BourrageEnVigueur bourrage,
                             CConfigReseau& reseau)
    : facteur_(facteurNs), fip_(fip), intervalleNs_(intervalleNs), bourrage_(bourrage), reseau_(reseau) {}

void CStatistiques::Regle(bool repondu) {
  if (attente_) reseau_.EnregistreAppel(idAttente_, dateAttente_, repondu);
  attente_ = false;
}

ClasseCharge CStatistiques::Classe(ErreurTrame resultat, const uint8_t* octets, uint16_t len, int64_t dateNs) {
  const uint8_t c = len > 0 ? octets[0] : 0;
  if (resultat != TRAME_OK) {
    // A damaged answer of the right kind still answers the call.
    const bool reponseAbimee = resultat >= TRAME_TROP_COURTE && resultat <= TRAME_CRC && len > 0;
    Regle(reponseAbimee && attente_ && Repond(controleAttente_, c));
    return CLASSE_ERREUR;
  }
  const auto appel = [&](ClasseCharge classe) {
    Regle(false);
    attente_ = true;
    controleAttente_ = c;
    idAttente_ = static_cast<uint16_t>((octets[1] << 8) | octets[2]);
    dateAttente_ = dateNs;
    return classe;
  };
  switch (c) {
    case kIdDat: {
      const uint16_t id = static_cast<uint16_t>((octets[1] << 8) | octets[2]);
      if (bourrage_.identifiantDefini && id == bourrage_.identifiant) {
        Regle(false);
        return CLASSE_BOURRAGE;
      }
      return appel(CLASSE_AUTRE);
    }
    case kIdMsg: return appel(CLASSE_MESSAGE);
    case kIdRq1:
    case kIdRq2: return appel(CLASSE_AUTRE);
    default: break;
  }
  if (EstReponseDonnee(c) || c == kRpRq1 || c == kRpRq2) {
    Regle(attente_ && Repond(controleAttente_, c));
    return CLASSE_AUTRE;
  }
  if (EstReponseMessage(c)) {
    Regle(attente_ && controleAttente_ == kIdMsg);
    return CLASSE_MESSAGE;
  }
  Regle(false);
  return EstFinMessage(c) ? CLASSE_MESSAGE : CLASSE_AUTRE;
}

void CStatistiques::ChargeTrame(ClasseCharge classe, int64_t date, uint16_t len) {
  if (precedente_) {
    const int64_t ecart = date - datePrecedente_;
    const uint64_t ns = ecart > 0 ? static_cast<uint64_t>(ecart) * facteur_ : 0;
    if (ns <= 2 * intervalleNs_) {
      ChargeEcart(classePrecedente_, ns);
    } else {
      // A silence: the previous frame holds the bus only for its own duration.
      const uint64_t duree = static_cast<uint64_t>((fip_ ? 21 : 24) + 8 * int64_t{lgPrecedente_}) * 10 * facteur_;
      ChargeEcart(classePrecedente_, duree);
      FermeIntervalle();
      tempsGraphe_ = date > 0 ? static_cast<uint64_t>(date) * facteur_ : 0;
    }
  }
  precedente_ = true;
  classePrecedente_ = classe;
  datePrecedente_ = date;
  lgPrecedente_ = len;
}

namespace {
void AjouteClasse(BlocTemps& b, ClasseCharge k, uint64_t t) {
  if (k == CLASSE_ERREUR) b.erreur += t;
  if (k == CLASSE_MESSAGE) b.message += t;
  if (k == CLASSE_BOURRAGE) b.bourrage += t;
}
}  // namespace

void CStatistiques::ChargeEcart(ClasseCharge k, uint64_t t) {
  totaux_.total += t;
  AjouteClasse(totaux_, k, t);
  if (intervalleNs_ != 0 && intervalle_.total + t >= intervalleNs_) {
    const uint64_t remplit = intervalleNs_ - intervalle_.total;
    intervalle_.total += remplit;
    AjouteClasse(intervalle_, k, remplit);
    FermeIntervalle();
    intervalle_.total = t - remplit;
    AjouteClasse(intervalle_, k, t - remplit);
  } else {
    intervalle_.total += t;
    AjouteClasse(intervalle_, k, t);
  }
}

void CStatistiques::FermeIntervalle() {
  const uint64_t T = intervalle_.total;
  if (T == 0) return;
  PointDebit p;
  p.fChargeDonnees = Pourcent(T - intervalle_.bourrage, T);
  p.fChargeMessages = Pourcent(intervalle_.message, T);
  p.fTauxErreur = Pourcent(intervalle_.erreur, T);
  tempsGraphe_ += T;
  p.ullTempsGraphe = tempsGraphe_;
  auto& points = points_[courant_];
  if (stocke_) {
    if (points.size() >= maxPoints_) {
      stocke_ = false;
      message_ = "Data rates display into the chart interrupted because of insufficient memory.";
    } else {
      points.push_back(p);
    }
  }
  if (!stocke_) {
    if (points.empty()) {
      points.push_back(p);
    } else {
      points.back() = p;
    }
  }
  intervalle_ = BlocTemps{};
}

void CStatistiques::BasculePoints() {
  courant_ ^= 1;
  points_[courant_].clear();
}

void CStatistiques::CalculeMoyennes(BlocStatistiques& s) const {
  if (totaux_.total == 0) return;
  s.ullTempsTraficNs = totaux_.total;
  s.fChargeDonnees = Pourcent(totaux_.total - totaux_.bourrage, totaux_.total);
  s.fChargeMessages = Pourcent(totaux_.message, totaux_.total);
  s.fTauxErreur = Pourcent(totaux_.erreur, totaux_.total);
}

void CompteTrame(ErreurTrame resultat, const uint8_t* octets, uint16_t len, uint8_t statut, bool bourrage,
                 AcqResults& r) {
  auto& e = r.compteursErreur;
  switch (resultat) {
    case TRAME_OK: {
      const int rang = len > 0 ? RangTypeTrame(octets[0]) : -1;
      if (bourrage) {
        ++r.comptesParType[0];
      } else if (rang >= 0) {
        ++r.comptesParType[static_cast<size_t>(rang) + 1];
      }
      break;
    }
    case TRAME_INTERRUPTION_PC: ++e[ERR_INTERRUPTION_PC]; break;
    case TRAME_CONTROLE_INCONNU: ++e[ERR_CONTROLE_INCONNU]; ++e[ERR_TRAMES_ERRONEES]; break;
    case TRAME_TROP_COURTE: ++e[ERR_TROP_COURTE]; ++e[ERR_TRAMES_ERRONEES]; break;
    case TRAME_TROP_LONGUE: ++e[ERR_TROP_LONGUE]; ++e[ERR_TRAMES_ERRONEES]; break;
    case TRAME_LONGUEUR_INVALIDE: ++e[ERR_LONGUEUR_INVALIDE]; ++e[ERR_TRAMES_ERRONEES]; break;
    case TRAME_CRC: ++e[ERR_CRC]; ++e[ERR_TRAMES_ERRONEES]; break;
    default: break;
  }
  if (statut & 0x08) ++e[ERR_INTERRUPTION_TRAFIC];
  const auto physique = [&](size_t compteur) {
    ++e[compteur];
    ++e[ERR_PHYSIQUES];
  };
  if (statut & 0x01) physique(ERR_TX_VOIE1);
  if (statut & 0x02) physique(ERR_TX_VOIE2);
  if (statut & 0x20) physique(ERR_GLITCH);
  if (statut & 0xC0) physique(ERR_DELIMITEUR);
}

namespace {

std::string TextePourcent(float v) {
  char t[32];
  std::snprintf(t, sizeof t, "%0.2f %%", static_cast<double>(v));
  return t;
}

std::string TexteBourrageCompte(uint64_t nbBourrage, const BourrageEnVigueur& b) {
  if (b.filtreAcquisition) return "Filtered at acquisition level";
  if (!b.identifiantDefini) return "Not defined";
  return std::to_string(nbBourrage);
}

}  // namespace

std::string TexteBourrage(const AcqResults& r, const BourrageEnVigueur& b) {
  return TexteBourrageCompte(r.comptesParType[0], b);
}

std::vector<std::pair<std::string, std::string>> ValeursStatistiques(const InstantaneVues& s) {
  std::vector<std::pair<std::string, std::string>> v{
      {"acquired:", std::to_string(s.ullNbTramesAcquises)},
      {"displayable:", std::to_string(s.ulNbTramesAffichables)},
      {"erroneous:", std::to_string(s.compteursErreur[ERR_TRAMES_ERRONEES])},
      {"Detected events:", std::to_string(s.ullNbEvenements)},
  };
  if (s.bourrage.filtreAcquisition) {
    // The bus time and loads are hidden: the engine dropped the padding frames they are measured
    // against, as the export does.
    v.emplace_back(kTexteDebitsFiltres, "");
  } else {
    std::string duree;
    CDecodageTrame::FormateDuree(static_cast<int64_t>(s.stats.ullTempsTraficNs), duree);
    v.emplace_back("Total time occupied by traffic:", duree);
    v.emplace_back("Data load:", TextePourcent(s.stats.fChargeDonnees));
    v.emplace_back("Message load:", TextePourcent(s.stats.fChargeMessages));
    v.emplace_back("Error rate:", TextePourcent(s.stats.fTauxErreur));
  }
  v.emplace_back("Padding:", TexteBourrageCompte(s.comptesParType[0], s.bourrage));
  for (size_t i = 0; i < kTypesTrame.size(); ++i) {
    v.emplace_back(std::string(kTypesTrame[i].nom), std::to_string(s.comptesParType[i + 1]));
  }
  return v;
}

std::string SectionExportStatistiques(const AcqResults& r, const BourrageEnVigueur& b, const std::string& separateur) {
  const auto ligne = [&separateur](const std::string& label, size_t colonne, const std::string& valeur) {
    if (!separateur.empty()) return label + separateur + valeur + "\n";
    std::string l = label;
    if (l.size() < colonne) l.resize(colonne, ' ');
    return l + valeur + "\n";
  };
  std::string out = "STATISTICS\n";
  out += ligne("Acquired frames", 24, std::to_string(r.ullNbTramesAcquises));
  out += ligne("Displayable frames", 24, std::to_string(r.ulNbTramesAffichables));
  out += ligne("Erroneous frames", 24, std::to_string(r.compteursErreur[ERR_TRAMES_ERRONEES]));
  out += ligne("Detected events", 24, std::to_string(r.ullNbEvenements));
  if (b.filtreAcquisition) {
    out += std::string(kTexteDebitsFiltres) + "\n";
  } else {
    std::string duree;
    CDecodageTrame::FormateDuree(static_cast<int64_t>(r.stats.ullTempsTraficNs), duree);
    out += ligne("Total time occupied by traffic", 36, duree);
    out += ligne("Average data load", 36, TextePourcent(r.stats.fChargeDonnees));
    out += ligne("Average message load", 36, TextePourcent(r.stats.fChargeMessages));
    out += ligne("Average error rate", 36, TextePourcent(r.stats.fTauxErreur));
  }
  out += ligne("Padding frames", 24, TexteBourrage(r, b));
  for (size_t i = 0; i < kTypesTrame.size(); ++i) {
    out += ligne(std::string(kTypesTrame[i].nom) + " frames", 24, std::to_string(r.comptesParType[i + 1]));
  }
  return out;
}

}  // namespace brv
