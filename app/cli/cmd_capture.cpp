// capture: a free-run acquisition from a probe card (or the simulated one) into a .dat file.

#include <CLI/CLI.hpp>

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include <brv_core/errors/error_text.h>
#include <ftd2xx/virtual_device.h>
#include <kestrin/usb_ftd2xx_com.h>
#include <simcard/simcard.h>
#include <vandrel/vandrel.h>

#include "capture_run.h"
#include "commands.h"
#include "output.h"

namespace brv::cli {

namespace {

constexpr const char* kCardDescription = "Brenvale USB";
constexpr uint64_t kDefaultSize = 10'000'000;
// A duration with no size: the zone may take the whole disk; this when its free space is unknown.
constexpr uint64_t kUnknownDiskSize = uint64_t{1} << 40;

struct CaptureArgs {
  std::string path;
  std::optional<int> card;
  std::optional<uint64_t> size;
  std::optional<double> duration;
  bool circular = false;
  std::optional<unsigned> speed;
  bool worldfip = false;
  bool fip = false;
  std::string ground_truth;
  bool json = false;
};

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

std::string state_name(uint32_t state) {
  const char* name = vandrel::nom_etat_acq(state);
  return name ? name : "state " + std::to_string(state);
}

std::string code_text(unsigned long code) {
  std::string text = error_text(code);
  // Catalogue texts end with a line break of their own.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  if (text.empty()) {
    char hex[32];
    std::snprintf(hex, sizeof hex, "error 0x%08lX", code);
    text = hex;
  }
  return text;
}

// On a terminal, one line rewritten in place (at most ten times a second); elsewhere, one line
// per state change so that logs stay short.
class Progress {
 public:
  Progress() : tty_(::isatty(STDERR_FILENO) == 1) {}
  void show(uint32_t state, uint64_t bytes) {
    const auto now = std::chrono::steady_clock::now();
    const bool changed = state != state_;
    state_ = state;
    if (tty_) {
      if (!changed && now - last_ < std::chrono::milliseconds(100)) return;
      last_ = now;
      std::fprintf(stderr, "\r%-18s %llu bytes\033[K", state_name(state).c_str(), static_cast<unsigned long long>(bytes));
      drawn_ = true;
    } else if (changed) {
      std::fprintf(stderr, "%s %llu bytes\n", state_name(state).c_str(), static_cast<unsigned long long>(bytes));
    }
    std::fflush(stderr);
  }
  void finish() {
    if (tty_ && drawn_) std::fputc('\n', stderr);
    drawn_ = false;
  }

 private:
  bool tty_;
  bool drawn_ = false;
  uint32_t state_ = 0;
  std::chrono::steady_clock::time_point last_{};
};

uint64_t free_space_for(const std::string& path) {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::absolute(path, ec).parent_path();
  const auto space = std::filesystem::space(dir, ec);
  return ec ? kUnknownDiskSize : space.available;
}

// The simulated card when there is one, else the first free probe card; nullopt when none.
std::optional<int> choose_card(const simcard::SimCard* simulated) {
  if (simulated) {
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(simulated->serial());
    if (found.empty()) return std::nullopt;
    return static_cast<int>(found[0]->m_index);
  }
  for (const auto& d : CUsbFtd2xxCom::get_com_info_by_name(kCardDescription)) {
    if (!d->m_in_use) return static_cast<int>(d->m_index);
  }
  return std::nullopt;
}

int run_capture(const CaptureArgs& args, const Simulation& simulation) {
  const bool simulating = simulation.scenario.has_value();
  if (!simulating) {
    if (!args.ground_truth.empty()) return fail("--ground-truth needs --simulate: only a simulated card knows what it sent.");
    if (args.speed || args.worldfip || args.fip)
      return fail("--speed, --worldfip and --fip set the simulated bus: use them with --simulate.");
  }
  if (args.size && args.duration && !args.circular)
    return fail("--size and --duration are exclusive (with --circular, --size is the ring size).");

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

  std::optional<int> index = args.card;
  if (!index) index = choose_card(card.get());
  if (!index) return fail("No free probe card present.");
  if (card && !args.ground_truth.empty() && args.card) {
    const auto found = CUsbFtd2xxCom::get_com_info_by_sn(card->serial());
    if (found.empty() || static_cast<int>(found[0]->m_index) != *index)
      return fail("--ground-truth: card " + std::to_string(*index) + " is not the simulated card.");
  }

  FreeRunSettings settings;
  settings.path = args.path;
  settings.circular = args.circular;
  settings.seconds = args.duration;
  if (args.size) settings.size = *args.size;
  else settings.size = args.duration && !args.circular ? free_space_for(args.path) : kDefaultSize;

  CVandrel engine(0);
  if (const unsigned long rc = engine.connect(static_cast<unsigned char>(*index)))
    return fail("Card " + std::to_string(*index) + ": " + code_text(rc));

  FreeRunOutcome outcome;
  {
    StopSignals signals;
    Progress progress;
    outcome = run_free_capture(engine, settings, g_stop,
                               [&progress](uint32_t state, uint64_t bytes) { progress.show(state, bytes); });
    progress.finish();
  }
  engine.disconnect();

  if (outcome.start_error) return fail(code_text(outcome.start_error));

  std::optional<uint64_t> truth_lines;
  if (card && !args.ground_truth.empty()) {
    truth_lines = write_ground_truth(args.ground_truth, card->ground_truth(), card->frames_sent());
    if (!truth_lines) return fail("Cannot write " + args.ground_truth);
  }

  std::string out;
  const std::string state = state_name(outcome.end_state);
  if (args.json) {
    out = "{\"end_state\": ";
    append_json_string(out, state);
    out += ", \"file\": ";
    append_json_string(out, args.path);
    out += ", \"bytes\": " + std::to_string(outcome.bytes);
    if (truth_lines) {
      out += ", \"ground_truth\": ";
      append_json_string(out, args.ground_truth);
      out += ", \"ground_truth_frames\": " + std::to_string(*truth_lines);
    }
    out += "}\n";
  } else {
    out = "End state: " + state + "\nFile: " + args.path + "\nBytes: " + std::to_string(outcome.bytes) + "\n";
    if (truth_lines)
      out += "Ground truth: " + args.ground_truth + " (" + std::to_string(*truth_lines) + " frames delivered)\n";
  }
  emit(out);
  if (outcome.stop_error) return fail("Stop: " + code_text(outcome.stop_error));
  return exit_status_for(outcome.end_state);
}

}  // namespace

Runner add_capture_command(CLI::App& app, std::shared_ptr<const Simulation> simulation) {
  auto args = std::make_shared<CaptureArgs>();
  auto* cmd = app.add_subcommand("capture", "Capture the bus traffic (free run) from a probe card into a file");
  cmd->add_option("-o,--output", args->path, "Acquisition file to write (.dat)")->required();
  cmd->add_option("--card", args->card, "Device-list index of the card (default: the simulated card, else the first free one)")
      ->check(CLI::Range(0, 255));
  cmd->add_option("--size", args->size, "Zone size in bytes (default 10000000); the ring size with --circular")
      ->check(CLI::Range(uint64_t{1}, uint64_t{1} << 62));
  cmd->add_option("--duration", args->duration, "Stop after this many seconds")->check(CLI::PositiveNumber);
  cmd->add_flag("--circular", args->circular, "Circular zone: keep the latest traffic until stopped");
  cmd->add_option("--speed", args->speed, "Simulated bus speed: 0 31.25k, 1 1M, 2 2.5M, 3 5M")->check(CLI::Range(0u, 3u));
  auto* worldfip = cmd->add_flag("--worldfip", args->worldfip, "Simulated bus in WorldFIP framing");
  cmd->add_flag("--fip", args->fip, "Simulated bus in FIP framing")->excludes(worldfip);
  cmd->add_option("--ground-truth", args->ground_truth,
                  "With --simulate: write the frames the card delivered as JSON Lines, after the stop");
  cmd->add_flag("--json", args->json, "Write the outcome as one JSON object");

  return [args, simulation]() -> int { return run_capture(*args, *simulation); };
}

}  // namespace brv::cli
