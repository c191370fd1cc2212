// What happens on site, injected into whole captures of the simulated card by the program itself:
// the card pulled out, gone mute, garbage on the link, its FIFO overflowing, a full disk, the
// program killed, the user's stop in each phase. Each case checks the end state and its message,
// that the file reads cleanly, and that its frames are the card's own, in order, with only the
// frames the fault destroyed missing.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/capture_truth.h"
#include "cli/cli_run.h"
#include "support/fault_table.h"
#include "support/temp_dir.h"

namespace brv::test {
namespace {

enum class Mode { Linear, Circular, Triggered, Pretrig, Deferred };
enum class Injected {
  Unplug,
  Mute,
  Garbage,
  Overflow,
  DiskFull,
  Kill,
  StopWaitingTraffic,
  StopWaitingTrigger,
  StopAcquiring,
  StopDeferred,
};

struct Case {
  Mode mode;
  unsigned speed;  // the engine's code: 1 is 1 Mbit/s, 3 is 5 Mbit/s
  Injected fault;
  uint64_t seed;
};

const char* mode_name(Mode m) {
  switch (m) {
    case Mode::Linear: return "FreeRunLinear";
    case Mode::Circular: return "FreeRunCircular";
    case Mode::Triggered: return "Triggered";
    case Mode::Pretrig: return "PreTrigger";
    case Mode::Deferred: return "DeferredStart";
  }
  return "";
}

const char* fault_name(Injected f) {
  switch (f) {
    case Injected::Unplug: return "CardUnplugged";
    case Injected::Mute: return "CardMute";
    case Injected::Garbage: return "GarbageOnLink";
    case Injected::Overflow: return "CardFifoOverflow";
    case Injected::DiskFull: return "DiskFull";
    case Injected::Kill: return "KilledThenRepair";
    case Injected::StopWaitingTraffic: return "StopWaitingForTraffic";
    case Injected::StopWaitingTrigger: return "StopWaitingForTrigger";
    case Injected::StopAcquiring: return "StopAcquiring";
    case Injected::StopDeferred: return "StopDuringDeferredWait";
  }
  return "";
}

// Bus frames in one event frame of the card, which its scenario states.
constexpr size_t kFramesPerEvent = 16;

bool triggered(Mode m) { return m == Mode::Triggered || m == Mode::Pretrig; }

// What the program is to say and how it is to end.
struct Expected {
  std::string state;    // the summary's end state; empty when none is printed
  std::string message;  // the information line
  int status = 0;
};

Expected expected(const Case& c) {
  switch (c.fault) {
    case Injected::Unplug: return {"ERR_BUFFERS", "Acquisition aborted because of driver error.", 1};
    case Injected::DiskFull:
      return {"ERR_FICHIER", "Acquisition aborted because of driver error (error accessing the acquisition file).", 1};
    case Injected::Kill: return {"", "", 137};
    case Injected::StopWaitingTraffic:
    case Injected::StopWaitingTrigger:
    case Injected::StopAcquiring: return {"ARRET_UTILISATEUR", "Acquisition terminated by user.", 0};
    case Injected::StopDeferred: return {"", "Deferred start cancelled.", 1};
    default: return {"FIN_NORMALE", "The acquisition ended normally.", 0};
  }
}

// The card keeps pace with the host (no frame lost, the same traffic every run) where the capture
// cannot write its own ground truth; real time where the engine is to wait for its first buffer.
const char* pacing(Injected f) {
  switch (f) {
    case Injected::DiskFull:
    case Injected::Kill: return "pacing fast\n";
    case Injected::StopWaitingTraffic: return "";
    default: return "pacing fast 100000\n";
  }
}

bool open_ended(Injected f) {
  return f == Injected::Kill || f == Injected::StopAcquiring || f == Injected::StopWaitingTraffic ||
         f == Injected::StopWaitingTrigger || f == Injected::StopDeferred;
}

std::string mode_args(Mode m, Injected f) {
  const bool endless = open_ended(f);
  switch (m) {
    case Mode::Linear: return endless ? " --size 200M" : " --size 2M";
    case Mode::Circular: return endless ? " --circular --size 1K" : " --circular --size 1K --duration 2s";
    case Mode::Triggered: return endless ? " --triggered --size 200M" : " --triggered --size 1M";
    case Mode::Pretrig: return endless ? " --triggered --pretrig 100K --size 200M" : " --triggered --pretrig 100K --size 1M";
    case Mode::Deferred: return f == Injected::StopDeferred ? " --deferred 1h" : endless ? " --deferred 1s --size 200M"
                                                                                         : " --deferred 1s --size 2M";
  }
  return "";
}

const char* fault_line(Injected f) {
  switch (f) {
    case Injected::Unplug: return "unplug";
    case Injected::Mute: return "mute";
    case Injected::Garbage: return "garbage";
    case Injected::Overflow: return "overflow";
    default: return nullptr;
  }
}

std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  return std::string(mode_name(info.param.mode)) + (info.param.speed == 3 ? "_5M_" : "_1M_") +
         fault_name(info.param.fault);
}

class FaultMatrix : public ::testing::TestWithParam<Case> {
 protected:
  std::vector<Frame> records(const std::string& path) {
    const auto r = run_cli({"records", "--json", path});
    EXPECT_EQ(r.status, 0) << r.err;
    return frames_of(r.lines());
  }

  // The traffic of a card that keeps pace with the host, as a long linear capture records it: at
  // least twice as long as the capture it stands for, which on a quiet machine can pass 30 MB
  // before it is killed.
  std::vector<Frame> reference(unsigned speed, const std::string& scn, const std::string& base, uint64_t covered) {
    const std::string whole = dir_.file(base + ".dat"), truth = dir_.file(base + ".jsonl");
    const uint64_t mib = std::max<uint64_t>(30, 2 * covered / (1 << 20) + 1);
    const auto r = run_cli({"capture", "--simulate=" + scn, "--speed", std::to_string(speed), "--size",
                            std::to_string(mib) + "M", "-o", whole, "--ground-truth", truth});
    EXPECT_EQ(r.status, 0) << r.err;
    return frames_of(read_lines(truth));
  }

  TempDir dir_;
};

TEST_P(FaultMatrix, TheCaptureSurvivesWithTheFramesThatReachedTheHost) {
  const Case& c = GetParam();
  const uint64_t seed = fault_seed(c.seed);
  SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun with BRV_FAULT_SEED=" + std::to_string(seed) + ")");
  std::mt19937_64 random(seed);
  const auto pick = [&](uint64_t lo, uint64_t hi) { return std::uniform_int_distribution<uint64_t>(lo, hi)(random); };
  FaultRow row{mode_name(c.mode), c.speed == 3 ? "5 Mbit/s" : "1 Mbit/s", fault_name(c.fault), "", "", "", seed};

  // The trigger: a line glitch early in the traffic, unless the case waits for one that never comes.
  const uint64_t trigger = pick(2000, 10000);
  std::string scenario = std::string("preset clean\nframes-per-event ") + std::to_string(kFramesPerEvent) + "\n" +
                         pacing(c.fault);
  if (triggered(c.mode) && c.fault != Injected::StopWaitingTrigger) {
    scenario += "fault glitch at=" + std::to_string(trigger) + "\n";
  }
  // Card faults strike after the trigger, within what the zone holds.
  const uint64_t at = (triggered(c.mode) ? trigger : 0) + pick(5000, 30000);
  if (const char* kind = fault_line(c.fault)) {
    scenario += std::string("fault ") + kind + " at=" + std::to_string(at) + "\n";
    row.moment = "bus frame " + std::to_string(at);
  }
  const std::string scn = dir_.file("case.scn"), cfg = dir_.file("trigger.cfg"), dat = dir_.file("x.dat");
  const std::string truth_path = dir_.file("t.jsonl"), out = dir_.file("out.txt"), err = dir_.file("err.txt");
  std::ofstream(scn) << scenario;
  ASSERT_TRUE(write_glitch_trigger(cfg, dat));

  std::string args = "--simulate=" + quote(scn) + " --speed " + std::to_string(c.speed) + mode_args(c.mode, c.fault) +
                     " -o " + quote(dat) + (triggered(c.mode) ? " --config " + quote(cfg) : "");
  const bool own_truth = c.fault != Injected::DiskFull && c.fault != Injected::Kill;
  if (own_truth) args += " --ground-truth " + quote(truth_path);

  std::string shell;
  const auto signal_in = [&](const char* phase, const char* sig, uint64_t lo, uint64_t hi) {
    const uint64_t ms = pick(lo, hi);
    row.moment = std::to_string(ms) + " ms after \"" + phase + "\"";
    shell = background_capture(args, out, err, "p") + until_said(err, phase) + "sleep " + std::to_string(ms / 1000.0) +
            "; kill -" + sig + " $p; { wait $p; } 2>/dev/null; echo $?";
  };
  switch (c.fault) {
    case Injected::DiskFull: {
      // The file may grow to this many bytes; beyond, writes fail with EFBIG instead of a signal
      // (the limit of ulimit -f, set in bytes whatever the shell's block unit).
      const uint64_t limit = pick(300, 1500) * 1024;
      row.moment = "file size limit " + std::to_string(limit / 1024) + " KiB";
      shell = "( trap '' XFSZ; exec prlimit --fsize=" + std::to_string(limit) + " " + quote(BRV_CLI_PATH) +
              " capture " + args + " >" + quote(out) + " 2>" + quote(err) + " ); echo $?";
      break;
    }
    case Injected::Kill: signal_in("Acquiring data...", "KILL", 50, 400); break;
    case Injected::StopAcquiring: signal_in("Acquiring data...", "INT", 50, 500); break;
    case Injected::StopWaitingTraffic: signal_in("Waiting for traffic...", "INT", 0, 300); break;
    case Injected::StopWaitingTrigger: signal_in("Waiting for trigger...", "INT", 100, 800); break;
    case Injected::StopDeferred: signal_in("Waiting for deferred acquisition to start...", "INT", 0, 500); break;
    default:
      shell = quote(BRV_CLI_PATH) + " capture " + args + " >" + quote(out) + " 2>" + quote(err) + "; echo $?";
  }
  const CliResult run = run_shell(shell);
  const std::string said = read_text(out), progress = read_text(err);
  const Expected want = expected(c);
  row.end = want.state.empty() ? (want.message.empty() ? "killed (137)" : want.message)
                               : want.state + ": " + want.message;
  EXPECT_EQ(run.out, std::to_string(want.status) + "\n") << said << progress;
  if (!want.state.empty()) {
    EXPECT_NE(said.find("End state: " + want.state + "\n"), std::string::npos) << said << progress;
    EXPECT_NE(said.find(want.message + "\n"), std::string::npos) << said;
  }

  if (c.fault == Injected::StopDeferred) {
    EXPECT_NE(progress.find(want.message), std::string::npos) << progress;
    EXPECT_FALSE(std::filesystem::exists(dat));
    row.kept = "no file made";
    report_fault_row(row);
    return;
  }

  if (c.fault == Injected::Kill) {
    const auto repair = run_cli({"repair", dat});
    if (c.mode == Mode::Pretrig) {
      // Its start header does not tell where the post-trigger zone begins: refused, file untouched.
      EXPECT_EQ(repair.status, 1);
      EXPECT_NE(repair.err.find("A pre-trigger capture cannot be recovered"), std::string::npos) << repair.err;
      EXPECT_FALSE(std::filesystem::exists(dat + ".orig"));
      row.end = "killed (137); repair refused: \"A pre-trigger capture cannot be recovered\"";
      row.kept = "none (refused)";
      report_fault_row(row);
      return;
    }
    ASSERT_EQ(repair.status, 0) << repair.err;
    EXPECT_NE(repair.out.find("The capture was repaired in place"), std::string::npos) << repair.out;
    row.end = "killed (137); repair: \"" + repair.out.substr(0, repair.out.find('\n')) + "\"";
  }

  // The file reads cleanly through the program's readers.
  const auto stats = run_cli({"stats", dat, "--json"});
  EXPECT_EQ(stats.status, 0) << stats.err;
  const std::vector<Frame> recs = records(dat);
  std::vector<Frame> truth = own_truth ? frames_of(read_lines(truth_path)) : reference(c.speed, scn, "reference", std::filesystem::file_size(dat));
  ASSERT_FALSE(truth.empty());
  // The trigger frame is recorded with status 0, and the post-trigger dates restart from it.
  size_t trigger_rank = truth.size();
  if (triggered(c.mode)) {
    for (size_t i = 0; i < truth.size() && trigger_rank == truth.size(); ++i) {
      if (truth[i].hex == "FDFD") trigger_rank = i;
    }
    if (trigger_rank < truth.size()) truth[trigger_rank].status = 0;
  }
  size_t markers = 0;
  for (const auto& f : recs) markers += f.hex == "FCFC";
  const size_t kept = recs.size() - markers;

  if (recs.empty()) {
    // Only a stop before the first buffer reached the file, or a disk too small for it, may leave
    // it without records.
    EXPECT_TRUE(c.fault == Injected::StopWaitingTraffic || c.fault == Injected::StopWaitingTrigger ||
                c.fault == Injected::DiskFull);
    row.kept = c.fault == Injected::DiskFull ? "0 (the first write did not fit)" : "0 (stopped before any write)";
    report_fault_row(row);
    return;
  }
  // A consecutive run of what the card delivered: from the first frame for a linear zone, from
  // where the trigger or the ring's oldest record falls otherwise.
  // A pre-trigger capture holds two runs: the history up to the trigger, then from the trigger on.
  std::vector<Frame> post = recs, pre;
  // A stop before the trigger leaves the history alone.
  const bool fired = c.fault != Injected::StopWaitingTraffic && c.fault != Injected::StopWaitingTrigger;
  if (c.mode == Mode::Pretrig) {
    size_t at = 0;
    while (at < recs.size() && recs[at].hex != "FDFD") ++at;
    ASSERT_EQ(at < recs.size(), fired) << "the trigger frame is not where it belongs";
    pre.assign(recs.begin(), recs.begin() + static_cast<std::ptrdiff_t>(at));
    post.assign(recs.begin() + static_cast<std::ptrdiff_t>(at), recs.end());
    if (!pre.empty()) {
      // A history that fired is placed by its end, the frame before the trigger: searched for by its
      // first frames, it may match an earlier run of padding frames at the same intervals.
      size_t from = start_in_truth(pre, truth);
      if (fired) {
        const auto frames = static_cast<size_t>(
            std::count_if(pre.begin(), pre.end(), [](const Frame& f) { return f.hex != "FCFC"; }));
        ASSERT_LE(frames, trigger_rank) << "the history holds more frames than came before the trigger";
        from = trigger_rank - frames;
      }
      ASSERT_LT(from, trigger_rank) << "the history is not frames the card delivered before the trigger";
      SCOPED_TRACE("the history, ending on the frame before the trigger");
      expect_run_of_truth(pre, truth, from);
    }
    if (!fired) {
      row.kept = std::to_string(pre.size()) + " frames of history (no trigger)";
      report_fault_row(row);
      return;
    }
  }
  const size_t first = c.mode == Mode::Pretrig ? trigger_rank : start_in_truth(post, truth);
  ASSERT_LT(first, truth.size()) << "the first record is not a frame the card delivered";
  if (c.mode == Mode::Linear || c.mode == Mode::Deferred) {
    EXPECT_EQ(first, 0u);
  }
  if (c.mode == Mode::Triggered) {
    EXPECT_EQ(first, trigger_rank);
  }
  // Garbage that lands inside one of the host's reads costs the event frame before it, which the
  // capture marks: at most one event frame's bus frames go missing there.
  const size_t max_lost = c.fault == Injected::Garbage ? kFramesPerEvent : 0;
  expect_run_of_truth(post, truth, first, max_lost);

  // Only the frames the fault destroyed are missing.
  switch (c.fault) {
    case Injected::Overflow: EXPECT_GE(markers, 1u) << "the overflow left no FC FC marker"; break;
    case Injected::Garbage:
    case Injected::Mute:
    case Injected::StopAcquiring:
    case Injected::StopWaitingTraffic:
    case Injected::StopWaitingTrigger:
      // The user's stop and the faults that leave the traffic whole keep every frame up to the end.
      if (c.mode == Mode::Linear || c.mode == Mode::Deferred) {
        if (open_ended(c.fault)) {
          EXPECT_EQ(kept, truth.size());
        }
        // Garbage inside one of the host's reads costs the event frame before it, marked once.
        EXPECT_LE(markers, c.fault == Injected::Garbage ? 1u : 0u);
      }
      break;
    default: break;
  }
  row.kept = std::to_string(kept) + " frames (" + (first == 0 ? "from the first" : "from rank " + std::to_string(first)) +
             " of " + std::to_string(truth.size()) + " delivered" + (markers ? ", " + std::to_string(markers) + " FC FC" : "") +
             ")";
  report_fault_row(row);
}

std::vector<Case> cases() {
  std::vector<Case> v;
  uint64_t seed = 1;
  const Mode modes[] = {Mode::Linear, Mode::Circular, Mode::Triggered, Mode::Pretrig, Mode::Deferred};
  // Every fault in every mode at 1 Mbit/s.
  for (Mode m : modes) {
    for (Injected f : {Injected::Unplug, Injected::Mute, Injected::Garbage, Injected::Overflow, Injected::DiskFull,
                       Injected::Kill, Injected::StopWaitingTraffic, Injected::StopAcquiring}) {
      v.push_back({m, 1, f, seed++});
    }
    if (triggered(m)) v.push_back({m, 1, Injected::StopWaitingTrigger, seed++});
    if (m == Mode::Deferred) v.push_back({m, 1, Injected::StopDeferred, seed++});
  }
  // Every mode at 5 Mbit/s, with the faults that cut the traffic short.
  for (Mode m : modes) {
    for (Injected f : {Injected::Unplug, Injected::Overflow, Injected::DiskFull}) v.push_back({m, 3, f, seed++});
  }
  return v;
}

INSTANTIATE_TEST_SUITE_P(Cases, FaultMatrix, ::testing::ValuesIn(cases()), case_name);

}  // namespace
}  // namespace brv::test
