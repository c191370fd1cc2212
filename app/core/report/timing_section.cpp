#include "brv_core/report/timing_section.h"

#include <algorithm>
#include <cstdio>

namespace brv {

namespace {

std::string micro(double ns) {
  char t[40];
  std::snprintf(t, sizeof t, "%.1f", ns / 1000.0);
  return t;
}
std::string micro(int64_t ns) { return micro(static_cast<double>(ns)); }

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

// Figures left blank where there is nothing to measure.
std::string si(uint64_t n, const std::string& text) { return n ? text : "-"; }

// Lines of labels and of right-aligned columns, or of separated fields for a spreadsheet.
class Texte {
 public:
  Texte(bool tableur, std::string_view sep) : tableur_(tableur), sep_(sep) {}
  void titre(std::string_view t) { out_.append(t).push_back('\n'); }
  void libelle(std::string text, const std::string& valeur) {
    if (tableur_) {
      out_.append(text).append(sep_).append(valeur).push_back('\n');
      return;
    }
    text.resize(std::max<size_t>(text.size() + 1, 28), ' ');
    out_.append(text).append(valeur).push_back('\n');
  }
  void cellule(const std::string& text, size_t largeur) {
    if (tableur_) {
      if (premiere_) premiere_ = false; else out_.append(sep_);
      out_.append(text);
      return;
    }
    if (text.size() < largeur) out_.append(largeur - text.size(), ' ');
    out_.append(text);
  }
  void finLigne() {
    out_.push_back('\n');
    premiere_ = true;
  }
  std::string& texte() { return out_; }

 private:
  bool tableur_;
  std::string_view sep_;
  bool premiere_ = true;
  std::string out_;
};

}  // namespace

std::string SectionTiming(const ResultatTiming& r, bool tableur, std::string_view sep) {
  const Macrocycle& m = r.macrocycle;
  const ParametresTiming& p = r.parametres;
  Texte t(tableur, sep);
  t.titre("MACROCYCLE");
  if (m.cycleElementaireNs == 0) {
    t.libelle("Elementary cycle", "unknown (no identifier scanned twice)");
  } else {
    t.libelle("Elementary cycle", micro(m.cycleElementaireNs) + " µs" +
                                      (m.cycleParSynchro ? " (period of " + hex(kIdSynchroArbitre) + ")"
                                                         : " (shortest period)"));
    t.libelle("Macrocycle", micro(m.periodeNs) + " µs (" + std::to_string(m.periodeCycles) + " elementary cycles" +
                                (m.borne ? ", longest period: the periods have no common multiple within bounds" : "") +
                                ")");
    t.libelle("Measured on " + hex(m.identifiantMesure),
              m.mesure.n ? "min " + micro(m.mesure.minNs) + " µs, mean " + micro(m.mesure.moyenneNs) + " µs, max " +
                               micro(m.mesure.maxNs) + " µs (" + std::to_string(m.mesure.n) + " periods)"
                         : "-");
  }
  t.libelle("Longest silence", micro(r.plusLongSilenceNs) + " µs, before the call at " + micro(r.dateSilenceNs) + " µs");
  t.libelle("Frames", std::to_string(r.trames));
  t.libelle("Calls", std::to_string(r.appels));
  t.libelle("Traffic interruptions", std::to_string(r.interruptions));
  t.libelle("Thresholds", "turnaround " + micro(p.retournementMinNs) + " µs, late " + micro(p.tardifNs) +
                              " µs, silence " + micro(p.silenceNs) + " µs, tolerance " + decimal(p.tolerancePct) + " %");

  t.titre("");
  t.titre("IDENTIFIERS (times in µs)");
  static const std::pair<const char*, size_t> kColonnes[] = {
      {"Ident", 5},    {"Scans", 10},  {"Per.min", 11}, {"Per.mean", 11}, {"Per.max", 11},  {"Stddev", 10},
      {"Nominal", 11}, {"Out", 8},     {"Jitter", 10},  {"Turn.min", 9},  {"Turn.mean", 10}, {"Turn.max", 9},
      {"Early", 8},    {"Late", 8},    {"Unansw.", 9}};
  for (const auto& [nom, largeur] : kColonnes) t.cellule(nom, largeur);
  t.finLigne();
  for (const auto& id : r.identifiants) {
    // Identifiers only called for a service show under the requests.
    if (id.appels == 0) continue;
    const ResumeDurees& per = id.periodes.periode;
    const ResumeDurees& ret = id.retournement;
    t.cellule(hex(id.identifiant), 5);
    t.cellule(std::to_string(id.appels), 10);
    t.cellule(si(per.n, micro(per.minNs)), 11);
    t.cellule(si(per.n, micro(per.moyenneNs)), 11);
    t.cellule(si(per.n, micro(per.maxNs)), 11);
    t.cellule(si(per.n, micro(per.ecartTypeNs)), 10);
    t.cellule(si(per.n, micro(id.periodes.nominalNs)), 11);
    t.cellule(std::to_string(id.periodes.horsTolerance), 8);
    t.cellule(si(per.n, micro(id.periodes.pireEcartNs)), 10);
    t.cellule(si(ret.n, micro(ret.minNs)), 9);
    t.cellule(si(ret.n, micro(ret.moyenneNs)), 10);
    t.cellule(si(ret.n, micro(ret.maxNs)), 9);
    t.cellule(std::to_string(id.precoces), 8);
    t.cellule(std::to_string(id.tardives), 8);
    t.cellule(std::to_string(id.sansReponse), 9);
    t.finLigne();
  }

  bool titre = false;
  for (const auto& id : r.identifiants) {
    for (size_t k = 0; k < id.services.size(); ++k) {
      const ServiceDemande& d = id.services[k];
      if (d.demandes == 0 && d.sansDemande == 0) continue;
      if (!titre) {
        titre = true;
        t.titre("");
        t.titre("APERIODIC REQUESTS (waits in µs)");
        static const std::pair<const char*, size_t> kDemandes[] = {
            {"Ident", 5}, {"Kind", 6},       {"Asked", 10},    {"Served", 10},
            {"Unasked", 9}, {"Waiting", 9}, {"Wait.min", 11}, {"Wait.mean", 11}, {"Wait.max", 11}};
        for (const auto& [nom, largeur] : kDemandes) t.cellule(nom, largeur);
        t.finLigne();
      }
      t.cellule(hex(id.identifiant), 5);
      t.cellule(kNomsDemandes[k], 6);
      t.cellule(std::to_string(d.demandes), 10);
      t.cellule(std::to_string(d.servies), 10);
      t.cellule(std::to_string(d.sansDemande), 9);
      t.cellule(std::to_string(d.enAttente), 9);
      t.cellule(si(d.servies, micro(d.attente.minNs)), 11);
      t.cellule(si(d.servies, micro(d.attente.moyenneNs)), 11);
      t.cellule(si(d.servies, micro(d.attente.maxNs)), 11);
      t.finLigne();
    }
  }
  return std::move(t.texte());
}

namespace {

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

std::string JsonTiming(const ResultatTiming& r) {
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

std::string CsvTiming(const ResultatTiming& r) {
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

}  // namespace brv
