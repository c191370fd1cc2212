// stats: statistics, error counters and network configuration of a capture.

#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>

#include "brv_core/analysis/network_config.h"
#include "brv_core/analysis/statistics.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/document/acq_description.h"
#include "brv_core/document/results_fields.h"
#include "commands.h"
#include "output.h"
#include "recalc.h"

namespace brv::cli {

namespace {

struct StatsArgs {
  std::string path;
  std::string config;
  bool json = false;
};

std::string number(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%.2f", v);
  return t;
}

std::string stats_json(const Recalcul& r) {
  const AcqResults& res = r.doc->Resultats;
  const BourrageEnVigueur& b = r.resultat.bourrage;
  std::string out = "{\"acquired\": " + std::to_string(res.ullNbTramesAcquises) +
                    ", \"displayable\": " + std::to_string(res.ulNbTramesAffichables) +
                    ", \"erroneous\": " + std::to_string(res.compteursErreur[ERR_TRAMES_ERRONEES]) +
                    ", \"detected_events\": " + std::to_string(res.ullNbEvenements) +
                    ", \"traffic_time_ns\": " + std::to_string(res.stats.ullTempsTraficNs) +
                    ", \"data_load\": " + number(res.stats.fChargeDonnees) +
                    ", \"message_load\": " + number(res.stats.fChargeMessages) +
                    ", \"error_rate\": " + number(res.stats.fTauxErreur) + ", \"padding\": ";
  const std::string padding = TexteBourrage(res, b);
  if (b.identifiantDefini && !b.filtreAcquisition) {
    out += padding;
  } else {
    append_json_string(out, padding);
  }
  out += ", \"types\": {";
  for (size_t i = 0; i < kTypesTrame.size(); ++i) {
    if (i) out += ", ";
    append_json_string(out, kTypesTrame[i].nom);
    out += ": " + std::to_string(res.comptesParType[i + 1]);
  }
  out += "}, \"error_counters\": {";
  for (size_t i = 0; i < kNbCompteursErreur; ++i) {
    if (i) out += ", ";
    append_json_string(out, kNomsCompteursErreur[i]);
    out += ": " + std::to_string(res.compteursErreur[i]);
  }
  out += "}, \"network\": [";
  const uint64_t timeout = r.doc->Config.vues.configReseau.ullNs;
  const auto& table = r.doc->Reseau.Table();
  static const char* const states[] = {"present", "missing", "not called"};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto& id = table[i];
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", id.usIdentifiant);
    if (i) out += ", ";
    out += std::string("{\"identifier\": \"") + hex + "\", \"state\": \"" +
           states[static_cast<int>(EtatIdentifiant(id, r.doc->ReferenceReseauNs, timeout))] +
           "\", \"break\": " + (id.bRupture ? "true" : "false") + ", \"calls\": " + std::to_string(id.ullAppels) +
           ", \"answers\": " + std::to_string(id.ullReponses) + "}";
  }
  return out + "]}\n";
}

}  // namespace

Runner add_stats_command(CLI::App& app) {
  auto args = std::make_shared<StatsArgs>();
  auto* cmd = app.add_subcommand("stats", "Statistics, error counters and network configuration of a capture");
  cmd->add_option("file", args->path, "Acquisition file (.dat)")->required();
  cmd->add_option("--config", args->config, "Take the display settings from this configuration file");
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    Recalcul r;
    if (const int status = recalcule(args->path, args->config, r)) return status;
    const AcqResults& res = r.doc->Resultats;
    if (args->json) {
      emit(stats_json(r));
    } else {
      std::string out = SectionExportStatistiques(res, r.resultat.bourrage) + "\nERROR COUNTERS\n";
      for (size_t i = 0; i < kNbCompteursErreur; ++i) {
        std::string label = kNomsCompteursErreur[i];
        label.resize(std::max<size_t>(label.size() + 1, 28), ' ');
        out += label + std::to_string(res.compteursErreur[i]) + "\n";
      }
      out += "\n" + SectionExportReseau(r.doc->Reseau.Table(), r.doc->ReferenceReseauNs,
                                        r.doc->Config.vues.configReseau.ullNs);
      emit(out);
    }
    const std::string end = TexteFinRecalcul(res.RecalcEndReason);
    if (!end.empty()) return fail(end);
    return 0;
  };
}

}  // namespace brv::cli
