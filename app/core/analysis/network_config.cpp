#include "brv_core/analysis/network_config.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "brv_core/decode/decodage_trame.h"

namespace brv {

namespace {
constexpr uint64_t kAvantDeclenchement = uint64_t{1} << 63;
}

uint64_t DateSignee(int64_t ns) {
  return ns < 0 ? kAvantDeclenchement | (0 - static_cast<uint64_t>(ns)) : static_cast<uint64_t>(ns);
}

int64_t DateDepuisSignee(uint64_t date) {
  const auto magnitude = static_cast<int64_t>(date & ~kAvantDeclenchement);
  return (date & kAvantDeclenchement) ? -magnitude : magnitude;
}

bool CConfigReseau::EnregistreAppel(uint16_t identifiant, int64_t dateNs, bool repondu) {
  auto it = std::lower_bound(table_.begin(), table_.end(), identifiant,
                             [](const IDENTIFIANT_RESEAU& r, uint16_t id) { return r.usIdentifiant < id; });
  if (it == table_.end() || it->usIdentifiant != identifiant) {
    if (table_.size() >= kCapaciteMax) return false;
    try {
      const auto rang = it - table_.begin();
      // Grown in steps of 32 records; reserving moves the records, so the place is kept by rank.
      if (table_.size() == table_.capacity()) table_.reserve((table_.size() + 1) / 32 * 32 + 32);
      it = table_.insert(table_.begin() + rang, IDENTIFIANT_RESEAU{identifiant, 0, 0, 0, 0, 0});
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  it->ullDerniereDate = DateSignee(dateNs);
  it->bDernierRepondu = repondu;
  if (repondu) {
    ++it->ullReponses;
  } else {
    it->bRupture = 1;
  }
  ++it->ullAppels;
  return true;
}

EtatReseau EtatIdentifiant(const IDENTIFIANT_RESEAU& r, int64_t referenceNs, uint64_t delaiPresenceNs) {
  const int64_t age = referenceNs - DateDepuisSignee(r.ullDerniereDate);
  if (age > 0 && static_cast<uint64_t>(age) > delaiPresenceNs) return EtatReseau::NonAppele;
  return r.bDernierRepondu ? EtatReseau::Present : EtatReseau::Manquant;
}

int ImageEtat(const IDENTIFIANT_RESEAU& r, int64_t referenceNs, uint64_t delaiPresenceNs) {
  return 1 + 2 * static_cast<int>(EtatIdentifiant(r, referenceNs, delaiPresenceNs)) + (r.bRupture ? 1 : 0);
}

namespace {
std::string DureeReference(int64_t referenceNs) {
  std::string duree;
  CDecodageTrame::FormateDuree(referenceNs < 0 ? -referenceNs : referenceNs, duree);
  return duree;
}
}  // namespace

std::string TexteRacineReseau(int64_t referenceNs) { return "Network configuration (" + DureeReference(referenceNs) + ")"; }

std::string TexteIdentifiant(const IDENTIFIANT_RESEAU& r) {
  char t[96];
  if (r.bRupture) {
    std::snprintf(t, sizeof t, "%04X  -  Lost answers %llu / %llu", r.usIdentifiant,
                  static_cast<unsigned long long>(r.ullAppels - r.ullReponses),
                  static_cast<unsigned long long>(r.ullAppels));
  } else {
    std::snprintf(t, sizeof t, "%04X", r.usIdentifiant);
  }
  return t;
}

const char* NomEtat(EtatReseau e) {
  switch (e) {
    case EtatReseau::Present: return "Present";
    case EtatReseau::Manquant: return "Missing";
    case EtatReseau::NonAppele: return "Not called";
  }
  return "";
}

std::string SectionExportReseau(const std::vector<IDENTIFIANT_RESEAU>& table, int64_t referenceNs,
                                uint64_t delaiPresenceNs, const std::string& separateur) {
  std::string out = "NETWORK CONFIGURATION (" + DureeReference(referenceNs) + ")\n";
  for (const auto& r : table) {
    std::string ligne = TexteIdentifiant(r);
    std::string etat = NomEtat(EtatIdentifiant(r, referenceNs, delaiPresenceNs));
    if (separateur.empty()) {
      if (ligne.size() < 6) ligne.resize(6, ' ');
      if (etat.size() < 12) etat.resize(12, ' ');
      out += ligne + etat;
    } else {
      out += ligne + separateur + etat + separateur;
    }
    if (r.bRupture) out += "A least one break";
    out += "\n";
  }
  return out + "\n";
}

}  // namespace brv
