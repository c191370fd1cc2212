#include "timing_output.h"

#include <algorithm>
#include <cstdio>

namespace brv::cli {

namespace {

std::string decimal(double v) {
  char t[40];
  std::snprintf(t, sizeof t, "%.1f", v);
  return t;
}

std::string hex(uint16_t id) {
  char t[8];
  std::snprintf(t, sizeof t, "%04X", id);
  return t;
}

constexpr const char* kNomsDemandes[kNbTypesDemande] = {"rq1", "rq2", "msg"};

std::string durees_json(const ResumeDurees& d, bool ecartType) {
  std::string out = "{\"count\": " + std::to_string(d.n) + ", \"min_ns\": " + std::to_string(d.minNs) +
                    ", \"mean_ns\": " + decimal(d.moyenneNs) + ", \"max_ns\": " + std::to_string(d.maxNs);
  if (ecartType) out += ", \"stddev_ns\": " + decimal(d.ecartTypeNs);
  return out + "}";
}

std::string histogramme_json(const Histogramme& h) {
  std::string out = "[";
  for (size_t k = 0; k < h.size(); ++k) {
    if (k) out += ", ";
    out += std::to_string(h[k]);
  }
  return out + "]";
}

const char* booleen(bool b) { return b ? "true" : "false"; }

}  // namespace

std::string timing_json(const ResultatTiming& r) {
  const Macrocycle& m = r.macrocycle;
  const ParametresTiming& p = r.parametres;
  std::string out = "{\"frames\": " + std::to_string(r.trames) + ", \"calls\": " + std::to_string(r.appels) +
                    ", \"interruptions\": " + std::to_string(r.interruptions) +
                    ", \"longest_silence_ns\": " + std::to_string(r.plusLongSilenceNs) +
                    ", \"longest_silence_at_ns\": " + std::to_string(r.dateSilenceNs) +
                    ", \"thresholds\": {\"min_turnaround_ns\": " + std::to_string(p.retournementMinNs) +
                    ", \"late_ns\": " + std::to_string(p.tardifNs) + ", \"silence_ns\": " + std::to_string(p.silenceNs) +
                    ", \"tolerance_pct\": " + decimal(p.tolerancePct) + "}" +
                    ", \"macrocycle\": {\"elementary_cycle_ns\": " + std::to_string(m.cycleElementaireNs) +
                    ", \"from_sync_variable\": " + booleen(m.cycleParSynchro) +
                    ", \"period_ns\": " + std::to_string(m.periodeNs) +
                    ", \"period_cycles\": " + std::to_string(m.periodeCycles) + ", \"bounded\": " + booleen(m.borne) +
                    ", \"measured_identifier\": \"" + hex(m.identifiantMesure) +
                    "\", \"measured\": " + durees_json(m.mesure, true) + "}, \"identifiers\": [";
  for (size_t i = 0; i < r.identifiants.size(); ++i) {
    const TimingIdentifiant& t = r.identifiants[i];
    if (i) out += ", ";
    out += "{\"identifier\": \"" + hex(t.identifiant) + "\", \"scans\": " + std::to_string(t.appels) +
           ", \"period\": " + durees_json(t.periodes.periode, true) +
           ", \"nominal_ns\": " + std::to_string(t.periodes.nominalNs) +
           ", \"nominal_cycles\": " + std::to_string(t.nominalCycles) +
           ", \"out_of_tolerance\": " + std::to_string(t.periodes.horsTolerance) +
           ", \"worst_jitter_ns\": " + std::to_string(t.periodes.pireEcartNs) +
           ", \"worst_scan_at_ns\": " + std::to_string(t.periodes.pire.dateNs) +
           ", \"histogram\": " + histogramme_json(t.periodes.histogramme) +
           ", \"turnaround\": " + durees_json(t.retournement, false) +
           ", \"turnaround_histogram\": " + histogramme_json(t.histoRetournement) + ", \"early\": " + std::to_string(t.precoces) +
           ", \"late\": " + std::to_string(t.tardives) + ", \"unanswered\": " + std::to_string(t.sansReponse) +
           ", \"requests\": {";
    for (size_t k = 0; k < t.services.size(); ++k) {
      const ServiceDemande& d = t.services[k];
      if (k) out += ", ";
      out += std::string("\"") + kNomsDemandes[k] + "\": {\"asked\": " + std::to_string(d.demandes) +
             ", \"served\": " + std::to_string(d.servies) + ", \"unasked\": " + std::to_string(d.sansDemande) +
             ", \"waiting\": " + std::to_string(d.enAttente) + ", \"wait\": " + durees_json(d.attente, false) + "}";
    }
    out += "}}";
  }
  return out + "]}";
}

std::string timing_csv(const ResultatTiming& r) {
  std::string out =
      "identifier,scans,period_min_ns,period_mean_ns,period_max_ns,period_stddev_ns,nominal_ns,nominal_cycles,"
      "out_of_tolerance,worst_jitter_ns,turnaround_count,turnaround_min_ns,turnaround_mean_ns,turnaround_max_ns,"
      "early,late,unanswered,worst_scan_at_ns\r\n";
  for (const auto& t : r.identifiants) {
    if (t.appels == 0) continue;
    const ResumeDurees& per = t.periodes.periode;
    const ResumeDurees& ret = t.retournement;
    out += hex(t.identifiant) + "," + std::to_string(t.appels) + "," + std::to_string(per.minNs) + "," +
           decimal(per.moyenneNs) + "," + std::to_string(per.maxNs) + "," + decimal(per.ecartTypeNs) + "," +
           std::to_string(t.periodes.nominalNs) + "," + std::to_string(t.nominalCycles) + "," +
           std::to_string(t.periodes.horsTolerance) + "," + std::to_string(t.periodes.pireEcartNs) + "," +
           std::to_string(ret.n) + "," + std::to_string(ret.minNs) + "," + decimal(ret.moyenneNs) + "," +
           std::to_string(ret.maxNs) + "," + std::to_string(t.precoces) + "," + std::to_string(t.tardives) + "," +
           std::to_string(t.sansReponse) + "," + std::to_string(t.periodes.pire.dateNs) + "\r\n";
  }
  return out;
}

}  // namespace brv::cli
