#include "stats_output.h"

#include <algorithm>
#include <cstdio>

#include "brv_core/analysis/network_config.h"
#include "brv_core/decode/frame_types.h"
#include "brv_core/document/results_fields.h"
#include "output.h"

namespace brv::cli {

namespace {

std::string number(double v) {
  char t[32];
  std::snprintf(t, sizeof t, "%.2f", v);
  return t;
}

}  // namespace

std::string stats_text(const CBrenvaleDoc& doc, const BourrageEnVigueur& bourrage) {
  const AcqResults& res = doc.Resultats;
  std::string out = SectionExportStatistiques(res, bourrage) + "\nERROR COUNTERS\n";
  for (size_t i = 0; i < kNbCompteursErreur; ++i) {
    std::string label = kNomsCompteursErreur[i];
    label.resize(std::max<size_t>(label.size() + 1, 28), ' ');
    out += label + std::to_string(res.compteursErreur[i]) + "\n";
  }
  return out + "\n" + SectionExportReseau(doc.Reseau.Table(), doc.ReferenceReseauNs, doc.Config.vues.configReseau.ullNs);
}

std::string stats_json(const CBrenvaleDoc& doc, const BourrageEnVigueur& b) {
  const AcqResults& res = doc.Resultats;
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
  const uint64_t timeout = doc.Config.vues.configReseau.ullNs;
  const auto& table = doc.Reseau.Table();
  static const char* const states[] = {"present", "missing", "not called"};
  for (size_t i = 0; i < table.size(); ++i) {
    const auto& id = table[i];
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04X", id.usIdentifiant);
    if (i) out += ", ";
    out += std::string("{\"identifier\": \"") + hex + "\", \"state\": \"" +
           states[static_cast<int>(EtatIdentifiant(id, doc.ReferenceReseauNs, timeout))] +
           "\", \"break\": " + (id.bRupture ? "true" : "false") + ", \"calls\": " + std::to_string(id.ullAppels) +
           ", \"answers\": " + std::to_string(id.ullReponses) + "}";
  }
  return out + "]}";
}

}  // namespace brv::cli
