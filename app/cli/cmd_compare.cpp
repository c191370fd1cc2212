// compare: what changed between two captures of a plant. Exit 0 when nothing differs beyond the
// tolerances, 2 when something does (a script can watch a plant with it), 1 on error.

#include <CLI/CLI.hpp>

#include <memory>

#include "brv_core/compare/capture_compare.h"
#include "commands.h"
#include "output.h"
#include "recalc.h"

namespace brv::cli {

namespace {

constexpr int kDifferent = 2;

struct CompareArgs {
  std::string avant;
  std::string apres;
  std::string config;
  bool json = false;
  double tolerance = 10;
  double points = 1;
};

std::string texte(const std::vector<Ecart>& ecarts) {
  if (ecarts.empty()) return "No difference beyond the tolerances.\n";
  std::string out;
  for (const Ecart& e : ecarts) {
    if (e.avant.empty()) {
      out += e.sujet + ": appeared (" + e.apres + ")\n";
    } else if (e.apres.empty()) {
      out += e.sujet + ": disappeared (was " + e.avant + ")\n";
    } else {
      out += e.sujet + ": " + e.avant + " -> " + e.apres + "\n";
    }
  }
  return out;
}

std::string json(const std::vector<Ecart>& ecarts) {
  std::string out = "{\"different\": ";
  out += ecarts.empty() ? "false" : "true";
  out += ", \"differences\": [";
  for (size_t i = 0; i < ecarts.size(); ++i) {
    if (i) out += ", ";
    out += "{\"what\": ";
    append_json_string(out, ecarts[i].sujet);
    out += ", \"before\": ";
    if (ecarts[i].avant.empty()) out += "null"; else append_json_string(out, ecarts[i].avant);
    out += ", \"after\": ";
    if (ecarts[i].apres.empty()) out += "null"; else append_json_string(out, ecarts[i].apres);
    out += "}";
  }
  return out + "]}\n";
}

}  // namespace

Runner add_compare_command(CLI::App& app) {
  auto args = std::make_shared<CompareArgs>();
  auto* cmd = app.add_subcommand("compare", "What changed between two captures (exit 2 when something did)");
  cmd->add_option("before", args->avant, "The reference capture (.dat)")->required();
  cmd->add_option("after", args->apres, "The capture to compare with it (.dat)")->required();
  cmd->add_option("--config", args->config, "Read both with the display settings of this configuration file");
  cmd->add_option("--tolerance", args->tolerance, "Relative tolerance in percent (periods, counters)")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 1000.0));
  cmd->add_option("--load-points", args->points, "Tolerance on loads and error rate, in percentage points")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 100.0));
  cmd->add_flag("--json", args->json, "Write one JSON object");

  return [args]() -> int {
    Recalcul avant, apres;
    if (const int status = recalcule(args->avant, args->config, avant)) return status;
    if (const int status = recalcule(args->apres, args->config, apres)) return status;
    ResumeCapture a = ResumeDe(*avant.doc), b = ResumeDe(*apres.doc);
    std::string erreur;
    if (!AjouteTiming(*avant.doc, a, erreur)) return fail(erreur, args->avant);
    if (!AjouteTiming(*apres.doc, b, erreur)) return fail(erreur, args->apres);
    const std::vector<Ecart> ecarts = CompareCaptures(a, b, {args->tolerance / 100, args->points});
    emit(args->json ? json(ecarts) : texte(ecarts));
    return ecarts.empty() ? 0 : kDifferent;
  };
}

}  // namespace brv::cli
