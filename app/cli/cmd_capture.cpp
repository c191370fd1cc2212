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
#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>
#include <simcard/simcard.h>
#include <vandrel/vandrel.h>

#include "capture_run.h"
#include "commands.h"
#include "output.h"
#include "stats_output.h"

namespace brv::cli {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A size on the command line: a count of the configuration's unit.
struct Size {
  uint64_t count = 0;
  uint8_t unit = UNITE_KO;
};

struct CaptureArgs {
  std::string path;
  std::optional<int> card;
  std::string config;
  bool triggered = false;
  std::optional<Size> size;
  std::optional<DureeJHMS> duration;
  bool circular = false;
  std::optional<uint64_t> pretrig;
  std::optional<DureeJHMS> deferred;
  std::string policy;
  std::optional<unsigned> speed;
  bool worldfip = false;
  bool fip = false;
  std::string ground_truth;
  bool json = false;
};

// "10M", "512K", "2G" in the configuration's units (a kilobyte is 1024 bytes, a megabyte 1000
// kilobytes); a plain number is bytes, rounded up to kilobytes since the zone is set in them.
std::optional<Size> parse_size(const std::string& text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
  size_t used = 0;
  uint64_t n = 0;
  try {
    n = std::stoull(text, &used);
  } catch (const std::exception&) {
    return std::nullopt;
  }
  const std::string suffix = text.substr(used);
  if (n == 0) return std::nullopt;
  if (suffix.empty()) return Size{n / 1024 + (n % 1024 != 0), UNITE_KO};
  if (suffix.size() != 1) return std::nullopt;
  switch (std::toupper(static_cast<unsigned char>(suffix[0]))) {
    case 'K': return Size{n, UNITE_KO};
    case 'M': return Size{n, UNITE_MO};
    case 'G': return Size{n, UNITE_GO};
    default: return std::nullopt;
  }
}

uint64_t size_bytes(const Size& s) {
  ZonePostTrig z;
  z.ullTaille = s.count;
  z.ucUnite = s.unit;
  return z.taille_octets();
}

// "1d2h3m4s", "1m30s", "90s", "2h"; a plain number is seconds. Carried into the larger units as
// the pages would show it; nothing when zero or beyond 255 days.
std::optional<DureeJHMS> parse_duration(const std::string& text) {
  if (text.empty()) return std::nullopt;
  uint64_t total = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    uint64_t n = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
      n = n * 10 + static_cast<uint64_t>(text[i] - '0');
      if (n > 255ULL * 86400) return std::nullopt;
    }
    uint64_t unit = 1;
    if (i < text.size()) {
      switch (text[i]) {
        case 'd': unit = 86400; break;
        case 'h': unit = 3600; break;
        case 'm': unit = 60; break;
        case 's': unit = 1; break;
        default: return std::nullopt;
      }
      ++i;
    } else if (total != 0) {
      return std::nullopt;  // "1m30": a number without its unit after another
    }
    total += n * unit;
  }
  if (total == 0 || total / 86400 > 255) return std::nullopt;
  DureeJHMS d;
  d.jours = static_cast<uint8_t>(total / 86400);
  d.heures = static_cast<uint8_t>(total / 3600 % 24);
  d.minutes = static_cast<uint8_t>(total / 60 % 60);
  d.secondes = static_cast<uint8_t>(total % 60);
  return d;
}

std::string elapsed_text(uint64_t ms) {
  const uint64_t s = ms / 1000;
  const unsigned d = static_cast<unsigned>(s / 86400), h = static_cast<unsigned>(s / 3600 % 24),
                 m = static_cast<unsigned>(s / 60 % 60), sec = static_cast<unsigned>(s % 60);
  char t[64];
  if (d) std::snprintf(t, sizeof t, "%uj %uh %umn %us", d, h, m, sec);
  else if (h) std::snprintf(t, sizeof t, "%uh %umn %us", h, m, sec);
  else if (m) std::snprintf(t, sizeof t, "%umn %us", m, sec);
  else std::snprintf(t, sizeof t, "%us", sec);
  return t;
}

const char* state_text(int state) {
  static const char* const texts[] = {
      "Waiting for deferred acquisition to start...", "Waiting for traffic...", "Waiting for traffic to restart...",
      "Waiting for trigger...", "Acquiring data...", "Formatting data...",
  };
  return state >= 0 && state <= PROG_FORMATAGE ? texts[state] : "";
}

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_stop_signal(int) { g_stop.store(true); }

// Ctrl-C and SIGTERM become a user stop for as long as it lives.
class StopSignals {
 public:
  StopSignals() {
    g_stop.store(false);
    struct sigaction sa {};
    sa.sa_handler = on_stop_signal;
    // The engine's threads are not written for interrupted system calls.
    sa.sa_flags = SA_RESTART;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &old_int_);
    sigaction(SIGTERM, &sa, &old_term_);
  }
  ~StopSignals() {
    sigaction(SIGINT, &old_int_, nullptr);
    sigaction(SIGTERM, &old_term_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction old_int_ {};
  struct sigaction old_term_ {};
};

// What the start procedure and the monitor task tell the user, from the main thread and the task's
// thread. Messages and questions go to stderr at once; information lines are kept for the summary;
// the live line is drawn by the supervisor through Draw().
class Terminal : public IRapportDocument, public IObservateurTache {
 public:
  Terminal() : tty_(::isatty(STDERR_FILENO) == 1), stdin_tty_(::isatty(STDIN_FILENO) == 1) {}
  void Attach(const CBrenvaleDoc& doc) { doc_ = &doc; }

  // IRapportDocument
  void BoiteMessage(std::string_view text, IconeMessage icon) override {
    std::lock_guard lock(m_);
    if (icon == IconeMessage::Erreur) ++error_messages_;
    Print(text);
  }
  bool QuestionOuiNon(std::string_view text) override {
    std::lock_guard lock(m_);
    ClearLine();
    std::fprintf(stderr, "%.*s", static_cast<int>(text.size()), text.data());
    if (!stdin_tty_) {
      std::fputs("\nNo (standard input is not a terminal).\n", stderr);
      return false;
    }
    std::fputs(" [y/N] ", stderr);
    std::fflush(stderr);
    const bool yes = ReadAnswer();
    if (g_stop.load()) std::fputc('\n', stderr);
    return yes;
  }
  // Both interfaces: the start checks' lines and the task's.
  void LigneInformation(std::string_view text) override {
    std::lock_guard lock(m_);
    lines_.emplace_back(text);
  }

  // IObservateurTache
  void Etat(int state) override {
    std::lock_guard lock(m_);
    live_.state = state;
    live_.percent = -1;
    // Short states would be missed between two draws.
    if (!tty_) states_.push_back(state);
  }
  void Pourcentage(int percent) override {
    std::lock_guard lock(m_);
    live_.percent = percent;
  }
  void Ecoule(uint64_t ms) override {
    std::lock_guard lock(m_);
    live_.elapsed_ms = ms;
  }
  // The document's counters are written by the task: copied here, on its thread.
  void NbLignes(uint32_t) override { TakeCounts(); }
  void Rafraichit() override { TakeCounts(); }
  void BoiteErreur(std::string_view text) override {
    std::lock_guard lock(m_);
    ++error_boxes_;
    Print(text);
  }

  // On a terminal, the line rewritten in place; elsewhere, one line per state so that logs stay short.
  void Draw(bool last) {
    std::lock_guard lock(m_);
    if (live_.state < 0) return;
    if (!tty_) {
      for (const int state : states_) std::fprintf(stderr, "%s\n", LineText(state).c_str());
      if (last && states_.empty()) std::fprintf(stderr, "%s\n", LineText(live_.state).c_str());
      states_.clear();
      std::fflush(stderr);
      return;
    }
    std::string text = LineText(live_.state);
    if (text == drawn_text_ && !last) return;
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    if (last) std::fputc('\n', stderr);
    std::fflush(stderr);
    line_shown_ = !last;
    drawn_text_ = std::move(text);
  }

  // Read once the task has ended.
  std::vector<std::string> lines() {
    std::lock_guard lock(m_);
    return lines_;
  }
  bool ErrorShown() {
    std::lock_guard lock(m_);
    return error_boxes_ + error_messages_ != 0;
  }
  void ForgetErrors() {
    std::lock_guard lock(m_);
    error_boxes_ = error_messages_ = 0;
  }

 private:
  struct Live {
    int state = -1;
    int percent = -1;
    uint64_t elapsed_ms = 0;
    uint64_t acquired = 0;
    uint32_t displayable = 0;
    uint64_t erroneous = 0;
  };

  std::string LineText(int state) const {
    std::string text = state_text(state);
    if (live_.percent >= 0) text += "  " + std::to_string(live_.percent) + " %";
    if (state != PROG_ATTENTE_DIFFERE) text += "  " + elapsed_text(live_.elapsed_ms);
    return text + "  frames: " + std::to_string(live_.acquired) + " acquired, " + std::to_string(live_.displayable) +
           " displayable, " + std::to_string(live_.erroneous) + " erroneous";
  }
  void TakeCounts() {
    if (!doc_) return;
    std::lock_guard lock(m_);
    live_.acquired = doc_->Resultats.ullNbTramesAcquises;
    live_.displayable = doc_->Resultats.ulNbTramesAffichables;
    live_.erroneous = doc_->Resultats.ullNbLignesErreur;
  }
  void ClearLine() {
    if (line_shown_) std::fputs("\r\033[K", stderr);
    line_shown_ = false;
    drawn_text_.clear();
  }
  void Print(std::string_view text) {
    ClearLine();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stderr);
  }
  // A line from the terminal, given up on Ctrl-C (the answer is then No).
  static bool ReadAnswer() {
    std::string answer;
    for (;;) {
      if (g_stop.load()) return false;
      pollfd p{STDIN_FILENO, POLLIN, 0};
      const int n = ::poll(&p, 1, 100);
      if (n <= 0) continue;
      char c = 0;
      if (::read(STDIN_FILENO, &c, 1) != 1) return false;
      if (c == '\n') break;
      answer.push_back(c);
    }
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
  }

  std::mutex m_;
  const bool tty_;
  const bool stdin_tty_;
  const CBrenvaleDoc* doc_ = nullptr;
  Live live_;
  std::vector<int> states_;
  std::string drawn_text_;
  bool line_shown_ = false;
  std::vector<std::string> lines_;
  int error_boxes_ = 0;
  int error_messages_ = 0;
};

// Watches the stop signals and draws the live line while the main thread waits for the deferred
// start or for the task.
class Supervisor {
 public:
  Supervisor(CControleurAcquisition& ctl, Terminal& term) : ctl_(ctl), term_(term) {
    if (ctl.DiffereEnAttente()) {
      deferred_ = true;
      deadline_ = Clock::now() + std::chrono::milliseconds(ctl.DelaiDiffereMs());
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~Supervisor() { Stop(); }
  Supervisor(const Supervisor&) = delete;
  Supervisor& operator=(const Supervisor&) = delete;

  // Once the deferred wait is over, whatever its outcome.
  void DeferredOver() { deferred_.store(false); }
  void Stop() {
    done_.store(true);
    if (thread_.joinable()) thread_.join();
  }
  bool Cancelled() const { return cancelled_.load(); }

 private:
  // Close to its end, a deferred wait is no longer cancelled: the controller would be switching
  // to the start on the other thread. The stop request then waits in the task's queue.
  static constexpr auto kCancelMargin = 300ms;

  void Run() {
    bool asked = false;
    while (!done_.load()) {
      if (g_stop.load() && !asked) {
        asked = true;
        if (deferred_.load() && Clock::now() + kCancelMargin < deadline_) {
          cancelled_.store(true);
          ctl_.AnnuleDiffere();
        } else {
          ctl_.Demande(RequeteTache::ArretUtilisateur);
        }
      }
      term_.Draw(false);
      std::this_thread::sleep_for(100ms);
    }
  }

  CControleurAcquisition& ctl_;
  Terminal& term_;
  std::atomic<bool> deferred_{false};
  Clock::time_point deadline_{};
  std::atomic<bool> done_{false};
  std::atomic<bool> cancelled_{false};
  std::thread thread_;
};

// The simulated card's device index; nothing when it is not in the device list.
std::optional<uint16_t> simulated_index(const simcard::SimCard& card) {
  const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card.serial());
  if (found.empty()) return std::nullopt;
  return static_cast<uint16_t>(found[0]->m_index);
}

// The options over the configuration's fields; an error text when one cannot apply.
std::string apply_options(const CaptureArgs& args, Configuration& c) {
  if (!args.path.empty()) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::absolute(args.path, ec);
    if (ec) return "-o: " + ec.message();
    c.cheminFichierAcq = p.lexically_normal().string();
  }
  if (args.size) {
    c.postTrig.bTailleChoisie = 1;
    c.postTrig.ullTaille = args.size->count;
    c.postTrig.ucUnite = args.size->unit;
  }
  if (args.duration) {
    c.postTrig.bDureeChoisie = 1;
    c.postTrig.duree = *args.duration;
    if (!args.size) c.postTrig.bTailleChoisie = 0;
  }
  if (args.circular) c.postTrig.bContinue = 1;
  if (args.pretrig) {
    c.preTrig.bPreTrig = 1;
    c.preTrig.ullTailleEquivalente = *args.pretrig;
  }
  if (args.deferred) {
    c.differe.bActif = 1;
    c.differe.delai = *args.deferred;
  }
  if (args.policy == "ask") c.ulActionDebut = ACTION_DEMANDER;
  else if (args.policy == "overwrite") c.ulActionDebut = ACTION_ECRASER;
  else if (args.policy == "increment") c.ulActionDebut = ACTION_INCREMENTER;
  return {};
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
    truth_lines = write_ground_truth(args.ground_truth, card->ground_truth(), card->frames_sent());
    if (!truth_lines) return fail("Cannot write " + args.ground_truth);
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
      if (!target) throw CLI::ValidationError("SIZE", "expected a number with K, M or G, or a number of bytes: " + text);
    };
  };
  const auto duration_option = [](std::optional<DureeJHMS>& target) {
    return [&target](const std::string& text) {
      target = parse_duration(text);
      if (!target) throw CLI::ValidationError("DURATION", "expected e.g. 90s, 1m30s, 2h or 1d2h3m4s: " + text);
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
  cmd->add_option_function<std::string>("--duration", duration_option(args->duration),
                                        "Acquisition duration: 90s, 1m30s, 2h, 1d2h3m4s (plain number: seconds); "
                                        "no size limit unless --size is also given")
      ->type_name("DURATION");
  cmd->add_flag("--circular", args->circular, "Circular zone: keep the latest traffic until stopped");
  cmd->add_option_function<std::string>(
         "--pretrig",
         [args](const std::string& text) {
           const auto s = parse_size(text);
           if (!s) throw CLI::ValidationError("SIZE", "expected a number of bytes, or with K, M or G: " + text);
           // A plain number is taken as given, not rounded to kilobytes.
           const bool plain = std::isdigit(static_cast<unsigned char>(text.back())) != 0;
           args->pretrig = plain ? std::stoull(text) : size_bytes(*s);
         },
         "With --triggered: keep this much traffic from before the trigger (bytes, or with K, M or G)")
      ->type_name("SIZE");
  cmd->add_option_function<std::string>("--deferred", duration_option(args->deferred),
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
