#include "brv_core/timing/bus_timing.h"

#include <algorithm>
#include <new>

#include "brv_core/decode/frame_types.h"
#include "brv_core/file/capture_info.h"

namespace brv {

namespace {

constexpr uint8_t kCtrlIdRq1 = 0x29;
constexpr uint8_t kCtrlIdRq2 = 0x09;

bool EstAppel(uint8_t c) { return c == kCtrlIdDat || c == kCtrlIdMsg || c == kCtrlIdRq1 || c == kCtrlIdRq2; }

// The requests an answer's control byte carries: bit 5 set with bit 3 is RQ1 (urgent), bit 3 alone
// RQ2, bit 2 a message.
constexpr uint8_t kCtrlRpDatRq1 = 0x2A;
constexpr uint8_t kCtrlRpDatRq2 = 0x0A;
constexpr uint8_t kCtrlRpDatRq1Msg = 0x2E;
constexpr uint8_t kCtrlRpDatRq2Msg = 0x0E;

}  // namespace

CAnalyseTiming::CAnalyseTiming(const DescriptionCapture& capture, const ParametresTiming& parametres)
    : capture_(capture),
      decodeur_(capture_),
      p_(parametres),
      facteur_(static_cast<int64_t>(decodeur_.FacteurNs())),
      dateMax_(date_max(decodeur_.FacteurNs())),
      index_(static_cast<int32_t*>(std::calloc(size_t{1} << 16, sizeof(int32_t)))) {
  if (!index_) throw std::bad_alloc();
  r_.parametres = parametres;
}

CAnalyseTiming::Suivi& CAnalyseTiming::SuiviDe(uint16_t id) {
  int32_t& i = index_[id];
  if (i == 0) {
    suivis_.emplace_back().periodes = CPeriodes(p_.tolerancePct);
    ids_.push_back(id);
    i = static_cast<int32_t>(suivis_.size());
  }
  return suivis_[static_cast<size_t>(i - 1)];
}

void CAnalyseTiming::Demande(int32_t i, uint8_t c, int64_t ns) {
  auto demande = [&](TypeDemande t) {
    Suivi::Demande& d = suivis_[static_cast<size_t>(i)].demandes[t];
    if (d.debut >= 0 && d.epoque == epoque_) return;
    d.debut = ns;
    d.epoque = epoque_;
    ++d.demandes;
    attentes_[t].emplace(ns, i);
  };
  if (c == kCtrlRpDatRq1 || c == kCtrlRpDatRq1Msg) demande(DEMANDE_RQ1);
  if (c == kCtrlRpDatRq2 || c == kCtrlRpDatRq2Msg) demande(DEMANDE_RQ2);
  if (c == kCtrlRpDatMsg || c == kCtrlRpDatRq1Msg || c == kCtrlRpDatRq2Msg) demande(DEMANDE_MSG);
}

void CAnalyseTiming::Service(TypeDemande type, uint16_t id, int64_t ns) {
  SuiviDe(id);
  const int32_t appele = index_[id] - 1;
  // A request asked before a break cannot be timed after it: the waiting sets were emptied then.
  auto attend = [&](int32_t i) {
    const Suivi::Demande& d = suivis_[static_cast<size_t>(i)].demandes[type];
    return d.debut >= 0 && d.epoque == epoque_;
  };
  int32_t servi = appele;
  if (!attend(appele)) {
    if (attentes_[type].empty()) {
      ++suivis_[static_cast<size_t>(appele)].demandes[type].sansDemande;
      return;
    }
    servi = attentes_[type].begin()->second;
  }
  Suivi::Demande& d = suivis_[static_cast<size_t>(servi)].demandes[type];
  attentes_[type].erase({d.debut, servi});
  d.attente.Ajoute(ns - d.debut);
  d.debut = -1;
}

void CAnalyseTiming::Rupture() {
  for (auto& a : attentes_) a.clear();
  ++r_.interruptions;
  ++epoque_;
  precedente_ = false;
  appelEnAttente_ = -1;
}

void CAnalyseTiming::Trame(int64_t date, const uint8_t* octets, uint16_t len, uint8_t statut, uint64_t repere) {
  date = borne_date(date, dateMax_);
  // Line-event markers are no bus frames: they neither answer nor end a silence. Frames were lost
  // at FC FC, and dates after it are taken afresh.
  if (len < 3) {
    if (len == 2 && octets[0] == kMarqueurInterruptionPc && octets[1] == kMarqueurInterruptionPc) Rupture();
    return;
  }
  ++r_.trames;
  if ((statut & vandrel::STATUT_INTERRUPTION_TRAFIC) != 0 || (precedente_ && date < datePrecedente_)) Rupture();

  const uint8_t c = octets[0];
  int64_t ecartNs = 0;  // from the end of the previous frame
  if (precedente_) ecartNs = decodeur_.InterTrameNs(static_cast<uint64_t>(date - datePrecedente_), lgPrecedente_);

  if (appelEnAttente_ >= 0) {
    Suivi& s = suivis_[static_cast<size_t>(appelEnAttente_)];
    if (EstReponseDonnee(c) && ecartNs <= p_.silenceNs) {
      s.retournement.Ajoute(ecartNs);
      ++s.histoRetournement[static_cast<size_t>(ClasseHistogramme(ecartNs))];
      if (ecartNs < p_.retournementMinNs) ++s.precoces;
      if (ecartNs > p_.tardifNs) ++s.tardives;
      if (c != kCtrlRpDat) Demande(appelEnAttente_, c, date * facteur_);
    } else {
      ++s.sansReponse;
    }
    appelEnAttente_ = -1;
  }

  if (EstAppel(c)) {
    ++r_.appels;
    if (precedente_ && ecartNs > r_.plusLongSilenceNs) {
      r_.plusLongSilenceNs = ecartNs;
      r_.dateSilenceNs = date * facteur_;
    }
    if (c == kCtrlIdDat && len == 5) {
      const uint16_t id = static_cast<uint16_t>((octets[1] << 8) | octets[2]);
      Suivi& s = SuiviDe(id);
      const int64_t ns = date * facteur_;
      if (s.epoque == epoque_) s.periodes.Ajoute(ns - s.dernierAppel, Scan{ns, repere});
      s.dernierAppel = ns;
      s.epoque = epoque_;
      ++s.appels;
      appelEnAttente_ = index_[id] - 1;
    } else if (c != kCtrlIdDat && len == 5) {
      const uint16_t id = static_cast<uint16_t>((octets[1] << 8) | octets[2]);
      Service(c == kCtrlIdMsg ? DEMANDE_MSG : c == kCtrlIdRq1 ? DEMANDE_RQ1 : DEMANDE_RQ2, id, date * facteur_);
    }
  }
  precedente_ = true;
  datePrecedente_ = date;
  lgPrecedente_ = len;
}

ResultatTiming CAnalyseTiming::Termine(int32_t identifiantExclu) {
  ResultatTiming r = r_;
  r.identifiants.reserve(suivis_.size());
  for (size_t i = 0; i < suivis_.size(); ++i) {
    Suivi& s = suivis_[i];
    TimingIdentifiant t;
    t.identifiant = ids_[i];
    t.appels = s.appels;
    t.periodes = s.periodes.Resume();
    t.retournement = s.retournement.Resume();
    t.histoRetournement = s.histoRetournement;
    t.precoces = s.precoces;
    t.tardives = s.tardives;
    t.sansReponse = s.sansReponse;
    for (size_t k = 0; k < t.services.size(); ++k) {
      const Suivi::Demande& d = s.demandes[k];
      ServiceDemande& sd = t.services[k];
      sd.demandes = d.demandes;
      sd.attente = d.attente.Resume();
      sd.servies = sd.attente.n;
      sd.sansDemande = d.sansDemande;
      sd.enAttente = d.debut >= 0 && d.epoque == epoque_ ? 1 : 0;
    }
    r.identifiants.push_back(t);
  }
  std::sort(r.identifiants.begin(), r.identifiants.end(),
            [](const TimingIdentifiant& a, const TimingIdentifiant& b) { return a.identifiant < b.identifiant; });
  r.macrocycle = CalculeMacrocycle(r.identifiants, identifiantExclu);
  return r;
}

}  // namespace brv
