#include "brv_core/document/results_fields.h"

#include <cstdio>

#include "brv_core/decode/frame_types.h"

namespace brv {

const char* const kNomsCompteursErreur[kNbCompteursErreur] = {
    "erroneous_frames", "physical_layer_errors", "unknown_control", "too_short", "too_long",
    "invalid_length",   "crc_errors",            "start_delimiter", "acquisition_interruptions",
    "traffic_interruptions", "tx_errors_channel1", "tx_errors_channel2", "line_glitches",
};

std::vector<ChampConfiguration> ChampsResultats(const AcqResults& r) {
  std::vector<ChampConfiguration> out;
  const auto num = [&](std::string nom, uint64_t v) { out.push_back({std::move(nom), std::to_string(v), true}); };
  const auto flt = [&](std::string nom, float v) {
    char t[32];
    std::snprintf(t, sizeof t, "%.2f", static_cast<double>(v));
    out.push_back({std::move(nom), t, true});
  };
  num("end_reason", r.EndReason);
  num("recalc_end_reason", r.RecalcEndReason);
  num("first_frame_offset", r.ullPosPremiereTrame);
  num("last_pretrigger_row", r.ulDerniereLignePreTrig);
  num("last_pretrigger_length", r.usLgDernierEnregPreTrig);
  num("last_pretrigger_date", r.ullDateDernierEnregPreTrig);
  num("index_block_size", r.ulTailleBlocIndex);
  num("pretrigger_index_records", r.indexPreTrig.Nombre());
  num("posttrigger_index_records", r.indexPostTrig.Nombre());
  num("erroneous_rows", r.ullNbLignesErreur);
  num("event_rows", r.ullNbLignesEvenement);
  num("acquired_frames", r.ullNbTramesAcquises);
  num("displayable_frames", r.ulNbTramesAffichables);
  num("detected_events", r.ullNbEvenements);
  num("traffic_time_ns", r.stats.ullTempsTraficNs);
  flt("average_data_load", r.stats.fChargeDonnees);
  flt("average_message_load", r.stats.fChargeMessages);
  flt("average_error_rate", r.stats.fTauxErreur);
  num("frames.padding", r.comptesParType[0]);
  for (size_t i = 0; i < kTypesTrame.size(); ++i) {
    num("frames." + std::string(kTypesTrame[i].nom), r.comptesParType[i + 1]);
  }
  for (size_t i = 0; i < kNbCompteursErreur; ++i) num(std::string("errors.") + kNomsCompteursErreur[i], r.compteursErreur[i]);
  return out;
}

}  // namespace brv
