// capture: an acquisition from a probe card (or the simulated one) into a .dat file, through the
// program's own start procedure and monitor task.

#include <CLI/CLI.hpp>

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include <brv_core/acquisition/acquisition_controller.h>
#include <brv_core/acquisition/card_selection.h>
#include <brv_platform/files.h>
#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>
#include <simcard/simcard.h>
#include <vandrel/vandrel.h>

#include "capture_options.h"
#include "capture_run.h"
#include "capture_terminal.h"
#include "commands.h"
#include "output.h"
#include "stats_output.h"

namespace brv::cli {

namespace {

// The simulated card's device index; nothing when it is not in the device list.
std::optional<uint16_t> simulated_index(const simcard::SimCard& card) {
  const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card.serial());
  if (found.empty()) return std::nullopt;
  return static_cast<uint16_t>(found[0]->m_index);
}

bool engine_error(uint32_t state) { return state >= vandrel::ERR_BUFFERS && state <= vandrel::ERR_FICHIER; }

std::string state_name(uint32_t state) {
  const char* name = vandrel::nom_etat_acq(state);
  return name ? name : "state " + std::to_string(state);
}

int run_capture(const CaptureArgs& args, const Simulation& simulation) {
  const bool simulating = simulation.scenario.has_value();
  if (!simulating) {
    if (!args.ground_truth.empty()) return fail("--ground-truth needs --simulate: only a simulated card knows what it sent.");
    if (args.speed || args.worldfip || args.fip)
      return fail("--speed, --worldfip and --fip set the simulated bus: use them with --simulate.");
  }

  std::shared_ptr<simcard::SimCard> card;
  if (simulating) {
    simcard::Scenario scenario = *simulation.scenario;
    if (args.speed) scenario.speed = static_cast<simcard::Speed>(*args.speed);
    if (args.worldfip) scenario.worldfip = true;
    if (args.fip) scenario.worldfip = false;
    card = simcard::register_simulated_card(scenario);
    card->record_ground_truth(!args.ground_truth.empty());
  }
  struct Unregister {
    std::shared_ptr<simcard::SimCard>& card;
    ~Unregister() {
      if (card) ftd2xx::unregister_virtual_device(card);
    }
  } unregister{card};

  Terminal term;
  CBrenvaleDoc doc(term);
  term.Attach(doc);
  ConfigurationParDefaut(doc.Config, doc.RepertoireDefaut() + kNomFichierAcqDefaut);
  if (!args.config.empty() && !doc.OuvrirConfiguration(args.config)) return kExitFailure;
  if (const std::string error = apply_options(args, doc.Config); !error.empty()) return fail(error);
  // The capture and the ground truth never land on what this command reads.
  for (const std::string& output : {doc.Config.cheminFichierAcq, args.ground_truth}) {
    if (!output.empty() && platform::names_an_input(output, {args.config, simulation.source})) {
      return fail(platform::overwrite_input_message(output));
    }
  }

  std::optional<uint16_t> index;
  if (args.card) index = static_cast<uint16_t>(*args.card);
  else if (card) index = simulated_index(*card);
  if (!index) index = ChoisitCarteAuto(CartesPresentes(), term);
  if (!index) return kExitFailure;
  if (card && !args.ground_truth.empty() && simulated_index(*card) != index)
    return fail("--ground-truth: card " + std::to_string(*index) + " is not the simulated card.");

  StopSignals signals;
  CControleurAcquisition ctl(doc, term, term);
  ctl.carte = *index;
  if (!ctl.Demarre(args.triggered)) return kExitFailure;
  // Only what goes wrong from the start on counts against the capture.
  term.ForgetErrors();
  {
    Supervisor supervisor(ctl, term);
    if (ctl.DiffereEnAttente()) {
      const bool started = ctl.AttendDiffere();
      supervisor.DeferredOver();
      if (!started) {
        supervisor.Stop();
        term.Draw(true);
        return fail(supervisor.Cancelled() ? "Deferred start cancelled." : "The deferred acquisition did not start.");
      }
    }
    ctl.Attend();
    supervisor.Stop();
  }
  term.Draw(true);

  const std::string& path = doc.AcqFilePath;
  // Its failure was reported and counts as an error.
  doc.SaveAcquisitionTail();

  std::optional<uint64_t> truth_lines;
  if (card && !args.ground_truth.empty()) {
    if (platform::names_an_input(args.ground_truth, {path})) {
      return fail("The ground truth file " + args.ground_truth + " is the acquisition file: it was not written.");
    }
    std::string error;
    truth_lines = write_ground_truth(args.ground_truth, card->ground_truth(), card->frames_sent(), error);
    if (!truth_lines) return fail("Cannot write " + args.ground_truth, error);
  }

  const std::vector<std::string> lines = term.lines();
  const uint32_t end_state = doc.Entete.enEtatAcq;
  const std::string state = state_name(end_state);
  const uint64_t bytes = doc.Entete.ullLgZonePostTrig;
  const BourrageEnVigueur& padding = ctl.Resultat().bourrage;
  std::string out;
  if (args.json) {
    out = "{\"end_state\": ";
    append_json_string(out, state);
    out += ", \"information\": [";
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) out += ", ";
      append_json_string(out, lines[i]);
    }
    out += "], \"file\": ";
    append_json_string(out, path);
    out += ", \"bytes\": " + std::to_string(bytes);
    if (truth_lines) {
      out += ", \"ground_truth\": ";
      append_json_string(out, args.ground_truth);
      out += ", \"ground_truth_frames\": " + std::to_string(*truth_lines);
    }
    out += ", \"stats\": " + stats_json(doc, padding) + "}\n";
  } else {
    for (const auto& l : lines) out += l + "\n";
    out += "\nEnd state: " + state + "\nFile: " + path + "\nBytes: " + std::to_string(bytes) + "\n";
    if (truth_lines)
      out += "Ground truth: " + args.ground_truth + " (" + std::to_string(*truth_lines) + " frames delivered)\n";
    out += "\n" + stats_text(doc, padding);
  }
  emit(out);
  const bool failed = term.ErrorShown() || engine_error(end_state) || doc.Resultats.EndReason != FIN_AUCUNE;
  return failed ? kExitFailure : 0;
}

}  // namespace

Runner add_capture_command(CLI::App& app, std::shared_ptr<const Simulation> simulation) {
  auto args = std::make_shared<CaptureArgs>();
  auto* cmd = app.add_subcommand(
      "capture", "Capture the bus traffic from a probe card into a file, as the program's Free run and Triggered do");
  const auto size_option = [](std::optional<Size>& target) {
    return [&target](const std::string& text) {
      target = parse_size(text);
      if (!target) {
        throw CLI::ValidationError("--size", "expected 1 byte to " + std::to_string(kTailleZoneMaxOctets) +
                                                 " bytes, as a number with K, M or G, or a number of bytes: " + text);
      }
    };
  };
  const auto duration_option = [](std::optional<DureeJHMS>& target, const char* name) {
    return [&target, name](const std::string& text) {
      target = parse_duration(text);
      if (!target) {
        throw CLI::ValidationError(name, "expected 1 second to 255 days, e.g. 90s, 1m30s, 2h or 1d2h3m4s: " + text);
      }
    };
  };
  cmd->add_option("-o,--output", args->path,
                  "Acquisition file to write (.dat); default: the configuration's, else brenvale.dat in the data folder");
  cmd->add_option("--card", args->card,
                  "Device-list index of the card (default: the simulated card, else the only or first free one)")
      ->check(CLI::Range(0, 255));
  cmd->add_option("--config", args->config, "Start from this configuration file (.cfg) instead of the defaults");
  cmd->add_flag("--triggered", args->triggered,
                "Triggered acquisition on the configuration's trigger frames (waits for ever without any)");
  cmd->add_option_function<std::string>("--size", size_option(args->size),
                                        "Zone size: 10M, 512K, 2G (K 1024 bytes, M 1000 K, G 1000 M); a plain number "
                                        "of bytes is rounded up to kilobytes. The ring size with --circular")
      ->type_name("SIZE");
  cmd->add_option_function<std::string>("--duration", duration_option(args->duration, "--duration"),
                                        "Acquisition duration: 90s, 1m30s, 2h, 1d2h3m4s (plain number: seconds); "
                                        "no size limit unless --size is also given")
      ->type_name("DURATION");
  cmd->add_flag("--circular", args->circular, "Circular zone: keep the latest traffic until stopped");
  cmd->add_option_function<std::string>(
         "--pretrig",
         [args](const std::string& text) {
           const auto s = parse_size(text);
           if (!s) {
             throw CLI::ValidationError("--pretrig", "expected 1 byte to " + std::to_string(kTailleZoneMaxOctets) +
                                                         " bytes, as a number of bytes, or with K, M or G: " + text);
           }
           // A plain number is taken as given, not rounded to kilobytes.
           const bool plain = std::isdigit(static_cast<unsigned char>(text.back())) != 0;
           args->pretrig = plain ? std::stoull(text) : size_bytes(*s);
         },
         "With --triggered: keep this much traffic from before the trigger (bytes, or with K, M or G)")
      ->type_name("SIZE");
  cmd->add_option_function<std::string>("--deferred", duration_option(args->deferred, "--deferred"),
                                        "Start after this delay (as --duration); Ctrl-C cancels the start")
      ->type_name("DURATION");
  cmd->add_option("--policy", args->policy,
                  "When the file exists: ask (a terminal question; No without one), overwrite or increment "
                  "(x1.dat, x2.dat...); default: the configuration's")
      ->check(CLI::IsMember({"ask", "overwrite", "increment"}));
  cmd->add_option("--speed", args->speed, "Simulated bus speed: 0 31.25k, 1 1M, 2 2.5M, 3 5M")->check(CLI::Range(0u, 3u));
  auto* worldfip = cmd->add_flag("--worldfip", args->worldfip, "Simulated bus in WorldFIP framing");
  cmd->add_flag("--fip", args->fip, "Simulated bus in FIP framing")->excludes(worldfip);
  cmd->add_option("--ground-truth", args->ground_truth,
                  "With --simulate: write the frames the card delivered as JSON Lines, after the stop");
  cmd->add_flag("--json", args->json, "Write the outcome and the statistics as one JSON object");
  cmd->footer(
      "Ctrl-C or SIGTERM stops the capture as the user's stop; during a deferred wait, it cancels the start.\n"
      "Exit status: 0 after a normal end or a user stop, 1 when the start failed or the end was an error.");

  return [args, simulation]() -> int { return run_capture(*args, *simulation); };
}

}  // namespace brv::cli
