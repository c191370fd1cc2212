// capture: acquisitions of the simulated card through the program's start procedure, read back by
// the other commands and compared with what the card delivered.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <brv_core/errors/error_text.h>
#include <vandrel/vandrel.h>

#include "cli/capture_truth.h"
#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace brv::test {
namespace {

class CliCaptureCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    // The clean network, as fast as the card can go: a few hundred thousand bytes a second.
    std::ofstream(fast_) << "preset clean\npacing fast 100000\n";
  }
  std::vector<Frame> records(const std::string& path) {
    const auto r = run_cli({"records", "--json", path});
    EXPECT_EQ(r.status, 0) << r.err;
    return frames_of(r.lines());
  }

  TempDir dir_;
  const std::string fast_ = dir_.file("fast.scn");
  const std::string dat_ = dir_.file("x.dat");
  const std::string truth_ = dir_.file("t.jsonl");
};

TEST_F(CliCaptureCommand, LinearCaptureEndsWhenFullWithTheFirstFramesTheCardDelivered) {
  const auto r = run_cli({"capture", "--simulate=" + fast_, "--size", "2000000", "-o", dat_, "--ground-truth", truth_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("The acquisition ended normally.\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("End state: FIN_NORMALE\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("File: " + dat_ + "\n"), std::string::npos);
  // Not a terminal: one progress line per state.
  EXPECT_NE(r.err.find("Waiting for traffic...  "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Acquiring data...  "), std::string::npos) << r.err;

  const auto recs = records(dat_);
  const auto truth = frames_of(read_lines(truth_));
  EXPECT_GT(recs.size(), 50000u);
  // The card kept sending until the stop: the capture is a strict prefix.
  EXPECT_LT(recs.size(), truth.size());
  EXPECT_EQ(recs[0].date, 0u);
  expect_run_of_truth(recs, truth, 0);

  // The other readers agree on the engine-written file.
  const auto stats = run_cli({"stats", dat_, "--json"});
  ASSERT_EQ(stats.status, 0) << stats.err;
  EXPECT_EQ(field(stats.out, "acquired"), std::to_string(recs.size()));
  EXPECT_EQ(field(stats.out, "erroneous"), "0");
  const auto frames = run_cli({"frames", dat_, "--json"});
  ASSERT_EQ(frames.status, 0) << frames.err;
  EXPECT_EQ(std::to_string(frames.lines().size()), field(stats.out, "displayable"));
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("enEtatAcq: 5 (FIN_NORMALE)"), std::string::npos) << info.out;
}

TEST_F(CliCaptureCommand, ADiskThatFillsKeepsEveryWholeRecordThatReachedIt) {
  // Files limited to 300 KiB, with SIGXFSZ ignored: the first write (several hundred KB) fails
  // part way with EFBIG. A linear zone and a ring that has not wrapped yet keep the same.
  for (const char* zone : {" --size 5M", " --circular --size 20M"}) {
    SCOPED_TRACE(zone);
    constexpr uint64_t kLimite = 300 * 1024;
    const auto r = run_shell("( trap '' XFSZ; exec prlimit --fsize=" + std::to_string(kLimite) + " " +
                             quote(BRV_CLI_PATH) + " capture --simulate=" + quote(fast_) + zone + " -o " + quote(dat_) +
                             " --policy overwrite 2>/dev/null ); echo $?");
    EXPECT_NE(r.out.find("\nEnd state: ERR_FICHIER\n"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(r.out.size() - 3), "\n1\n");
    // The records that fit are all there, whole; less than one record of room is left out, and the
    // piece of the next one is cut away (else it would read as a damaged tail).
    const auto recs = records(dat_);
    uint64_t octets = 0;
    for (const auto& f : recs) octets += 13 + f.hex.size() / 2;
    EXPECT_LE(88 + octets, kLimite);
    EXPECT_GT(88 + octets + 300, kLimite) << recs.size() << " records";
    EXPECT_EQ(std::filesystem::file_size(dat_), 88 + octets);
    const auto stats = run_cli({"stats", dat_});
    EXPECT_EQ(stats.status, 0);
    EXPECT_EQ(stats.err, "");
  }
}

TEST_F(CliCaptureCommand, DurationCaptureSummaryMatchesWhatTheReadersFindInTheFile) {
  const auto r = run_cli({"capture", "--simulate=" + fast_, "--duration", "2s", "-o", dat_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("The acquisition ended normally.\n"), std::string::npos) << r.out;
  // The summary is what stats prints, from the capture's own results.
  const size_t at = r.out.find("STATISTICS\n");
  ASSERT_NE(at, std::string::npos) << r.out;
  const auto stats = run_cli({"stats", dat_});
  ASSERT_EQ(stats.status, 0) << stats.err;
  EXPECT_EQ(r.out.substr(at), stats.out);
  EXPECT_NE(stats.out.find("Acquired frames"), std::string::npos);

  const auto json = run_cli({"capture", "--simulate=" + fast_, "--duration", "1", "-o", dat_, "--policy", "overwrite",
                             "--json"});
  ASSERT_EQ(json.status, 0) << json.err;
  const auto stats_json = run_cli({"stats", dat_, "--json"});
  ASSERT_EQ(stats_json.status, 0) << stats_json.err;
  const std::string acquired = field(stats_json.out, "acquired");
  EXPECT_GT(std::stoull(acquired), 1000u);
  EXPECT_EQ(field(json.out, "acquired"), acquired);
  EXPECT_EQ(field(json.out, "displayable"), field(stats_json.out, "displayable"));
  EXPECT_EQ(field(json.out, "erroneous"), field(stats_json.out, "erroneous"));
  const auto frames = run_cli({"frames", dat_, "--json"});
  ASSERT_EQ(frames.status, 0) << frames.err;
  EXPECT_EQ(std::to_string(frames.lines().size()), field(json.out, "displayable"));
  // The tail carries the configuration used.
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find(dat_), std::string::npos) << info.out;
}

TEST_F(CliCaptureCommand, ExistingFilePolicies) {
  ASSERT_EQ(run_cli({"capture", "--simulate=" + fast_, "--size", "100K", "-o", dat_}).status, 0);
  const auto before = std::filesystem::last_write_time(dat_);
  // Incremented names, the next free one each time.
  for (const char* name : {"x1.dat", "x2.dat"}) {
    const auto r = run_cli({"capture", "--simulate=" + fast_, "--size", "100K", "-o", dat_, "--policy", "increment"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("File: " + dir_.file(name) + "\n"), std::string::npos) << r.out;
    EXPECT_EQ(run_cli({"stats", dir_.file(name)}).status, 0);
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.file("x3.dat")));

  // No terminal to answer the question: No, and nothing is written.
  const auto ask = run_cli({"capture", "--simulate=" + fast_, "--size", "100K", "-o", dat_, "--policy", "ask"});
  EXPECT_EQ(ask.status, 1);
  EXPECT_NE(ask.err.find("Do you want to overwrite the acquisition file:\n" + dat_ + "?"), std::string::npos) << ask.err;
  EXPECT_EQ(ask.out, "");
  EXPECT_EQ(std::filesystem::last_write_time(dat_), before);

  const auto overwrite = run_cli({"capture", "--simulate=" + fast_, "--size", "100K", "-o", dat_, "--policy", "overwrite"});
  EXPECT_EQ(overwrite.status, 0) << overwrite.err;
  EXPECT_NE(std::filesystem::last_write_time(dat_), before);

  // A missing directory is a question too.
  const std::string missing = dir_.file("new/dir");
  const auto mkdir = run_cli({"capture", "--simulate=" + fast_, "--size", "100K", "-o", missing + "/y.dat", "--policy",
                              "overwrite"});
  EXPECT_EQ(mkdir.status, 1);
  EXPECT_NE(mkdir.err.find("does not exist.\nDo you want to create it?"), std::string::npos) << mkdir.err;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("new")));
}

std::string file_of(const std::string& summary) {
  const size_t at = summary.find("\nFile: ");
  if (at == std::string::npos) return {};
  const size_t begin = at + 7;
  return summary.substr(begin, summary.find('\n', begin) - begin);
}

TEST_F(CliCaptureCommand, TwoDeferredCapturesThatChoseTheSameNameEndInTwoFiles) {
  // Two processes, each with its own simulated card and traffic, both choosing inc1.dat at their
  // checks and taking a file only when the delay is over.
  const std::string inc = dir_.file("inc.dat");
  write_bytes(inc, {1});
  std::vector<std::string> truths, outs, errs;
  std::string cmd;
  for (int i = 1; i <= 2; ++i) {
    const std::string n = std::to_string(i);
    const std::string scn = dir_.file("seed" + n + ".scn");
    std::ofstream(scn) << "preset clean\nseed " << i << "\npacing fast 100000\n";
    truths.push_back(dir_.file("truth" + n + ".jsonl"));
    outs.push_back(dir_.file("out" + n));
    errs.push_back(dir_.file("err" + n));
    cmd += background_capture("--simulate=" + quote(scn) + " --policy increment --deferred 2s --size 100K -o " +
                                  quote(inc) + " --ground-truth " + quote(truths.back()),
                              outs.back(), errs.back(), "p" + n);
    if (i == 1) cmd += until_said(errs[0], "Waiting for deferred acquisition to start...");
  }
  cmd += "wait $p1; s1=$?; wait $p2; echo $s1 $?";
  const CliResult r = run_shell(cmd);
  EXPECT_EQ(r.out, "0 0\n") << read_text(errs[0]) << read_text(errs[1]);

  const std::string first = file_of(read_text(outs[0])), second = file_of(read_text(outs[1]));
  EXPECT_NE(first, second);
  EXPECT_EQ(std::set<std::string>({first, second}), std::set<std::string>({dir_.file("inc1.dat"), dir_.file("inc2.dat")}));
  EXPECT_EQ(read_text(inc), std::string(1, '\1'));
  // Each file is whole, and holds what its own card delivered.
  const auto truth1 = frames_of(read_lines(truths[0])), truth2 = frames_of(read_lines(truths[1]));
  // The two cards' traffic parts after a few frames.
  const auto head = [](const std::vector<Frame>& t) {
    std::string h;
    for (size_t i = 0; i < t.size() && i < 20; ++i) h += t[i].hex + " ";
    return h;
  };
  ASSERT_NE(head(truth1), head(truth2));
  expect_run_of_truth(records(first), truth1, 0);
  expect_run_of_truth(records(second), truth2, 0);
}

TEST_F(CliCaptureCommand, AFileAnotherCaptureIsWritingIsNeverOverwritten) {
  const std::string out = dir_.file("a.out"), err = dir_.file("a.err");
  const std::string overwrite = quote(BRV_CLI_PATH) + " capture --simulate=" + quote(fast_) +
                                " --size 100K --policy overwrite -o " + quote(dat_) + " 2>&1; echo status $?";
  // The second capture tries while the first acquires; the first runs until it is stopped, however
  // slowly a loaded machine starts the second.
  const CliResult r = run_shell(background_capture("--simulate=" + quote(fast_) + " --duration 10m -o " + quote(dat_) +
                                                       " --ground-truth " + quote(truth_),
                                                   out, err, "p") +
                                until_said(err, "Acquiring data...") + overwrite + "; kill -INT $p; wait $p; echo first $?");
  EXPECT_NE(r.out.find("Another acquisition is writing the acquisition file:\n" + dat_ + "\nPlease, enter another one.\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("status 1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("first 0\n"), std::string::npos) << r.out << read_text(err);
  EXPECT_NE(read_text(out).find("End state: ARRET_UTILISATEUR\n"), std::string::npos);
  expect_run_of_truth(records(dat_), frames_of(read_lines(truth_)), 0);

  // Once it has ended, the file is free to overwrite.
  EXPECT_NE(run_shell(overwrite).out.find("status 0\n"), std::string::npos);
}

TEST_F(CliCaptureCommand, ACaptureKilledMidwayIsRepairedIntoTheFramesTheCardDeliveredFirst) {
  const std::string out = dir_.file("a.out"), err = dir_.file("a.err");
  const CliResult killed = run_shell(
      background_capture("--simulate=" + quote(fast_) + " --size 50M -o " + quote(dat_), out, err, "p") +
      "for i in $(seq 600); do [ \"$(stat -c %s " + quote(dat_) +
      " 2>/dev/null || echo 0)\" -gt 100000 ] && break; sleep 0.05; done; " + quote(BRV_CLI_PATH) + " repair " + quote(dat_) +
      " 2>&1; echo live $?; kill -KILL $p; { wait $p; } 2>/dev/null; echo $?");
  // While the capture runs its file is not interrupted, only unfinished.
  EXPECT_NE(killed.out.find("A capture is writing this file now: it was not interrupted. (" + dat_ + ")\n"), std::string::npos)
      << killed.out;
  ASSERT_NE(killed.out.find("live 1\n137\n"), std::string::npos) << killed.out << read_text(err);
  EXPECT_FALSE(std::filesystem::exists(dat_ + ".orig"));
  const std::string before = read_text(dat_);
  EXPECT_EQ(run_cli({"records", dat_}).status, 1);

  const auto r = run_cli({"repair", dat_});
  ASSERT_EQ(r.status, 0) << r.err;
  // "N records, M bytes recovered; K bytes after the last whole record left out."
  const uint64_t count = std::stoull(r.out);
  EXPECT_NE(r.out.find(" bytes after the last whole record left out.\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("The capture was repaired in place: " + dat_), std::string::npos) << r.out;
  EXPECT_EQ(read_text(dat_ + ".orig"), before);
  EXPECT_EQ(read_text(dat_).substr(88), before.substr(88, read_text(dat_).size() - 88));

  // The simulated network replays the same traffic: a whole capture of it is the reference.
  const std::string whole = dir_.file("whole.dat");
  ASSERT_EQ(run_cli({"capture", "--simulate=" + fast_, "--size", "1M", "-o", whole, "--ground-truth", truth_}).status, 0);
  const auto recs = records(dat_);
  ASSERT_EQ(recs.size(), count);
  EXPECT_GT(count, 1000u);
  const auto truth = frames_of(read_lines(truth_));
  EXPECT_LT(recs.size(), truth.size());
  expect_run_of_truth(recs, truth, 0);
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("enEtatAcq: 5 (FIN_NORMALE)"), std::string::npos) << info.out;
  // The frame standard, which the start header does not hold, was found again: no check byte errors.
  const auto stats = run_cli({"stats", dat_, "--json"});
  ASSERT_EQ(stats.status, 0) << stats.err;
  EXPECT_EQ(field(stats.out, "erroneous"), "0");

  const auto again = run_cli({"repair", dat_});
  EXPECT_EQ(again.status, 0);
  EXPECT_NE(again.out.find("nothing to repair"), std::string::npos) << again.out;
}

TEST_F(CliCaptureCommand, ACircularCaptureKilledAfterItWrappedIsRepairedIntoTheNewestRunOfFrames) {
  // The smallest ring (10000 K: 27 sub-blocks of 368640 bytes), wrapped in well under a second by a
  // card that waits for the host: it loses no frame, so every run delivers the same traffic.
  const std::string fastest = dir_.file("fastest.scn");
  std::ofstream(fastest) << "preset clean\npacing fast\n";
  const uint64_t ring = 27 * 368640;
  std::vector<std::vector<Frame>> rings;
  uint64_t written = 0;  // the most any capture wrote, as estimated from its ring

  for (const unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string dat = dir_.file("ring" + std::to_string(seed) + ".dat");
    std::mt19937 random(seed);
    const auto delay_ms = std::uniform_int_distribution<int>(0, 300)(random);
    const std::string out = dir_.file("r.out"), err = dir_.file("r.err");
    // Killed at the chosen moment after the ring reached its full size, that is after it wrapped.
    const CliResult killed = run_shell(
        background_capture("--simulate=" + quote(fastest) + " --circular --size 1K -o " + quote(dat), out, err, "p") +
        "for i in $(seq 600); do [ \"$(stat -c %s " + quote(dat) + " 2>/dev/null || echo 0)\" -ge " +
        std::to_string(88 + ring) + " ] && break; sleep 0.02; done; sleep " + std::to_string(delay_ms / 1000.0) +
        "; kill -KILL $p; { wait $p; } 2>/dev/null; echo $?");
    ASSERT_EQ(killed.out, "137\n") << read_text(err);
    const std::string before = read_text(dat);
    ASSERT_EQ(before.size(), 88 + ring);

    // In place for one, to another file for the others: both keep the ring as it was.
    const std::string fixed = seed == 1 ? dat : dir_.file("fixed" + std::to_string(seed) + ".dat");
    const auto r = seed == 1 ? run_cli({"repair", dat}) : run_cli({"repair", dat, "-o", fixed});
    ASSERT_EQ(r.status, 0) << r.err;
    // "N records, M bytes recovered; K bytes of the ring before the oldest whole record left out."
    const uint64_t count = std::stoull(r.out);
    const uint64_t recovered = std::stoull(r.out.substr(r.out.find(", ") + 2));
    const uint64_t left_out = std::stoull(r.out.substr(r.out.find("; ") + 2));
    EXPECT_NE(r.out.find(" bytes of the ring before the oldest whole record left out.\n"), std::string::npos) << r.out;
    EXPECT_EQ(recovered + left_out, ring);
    EXPECT_LT(left_out, 65535u);  // only the partly overwritten record
    EXPECT_EQ(read_text(fixed).substr(88), before.substr(88));
    // The original stays whole: kept aside, or left alone.
    EXPECT_EQ(read_text(seed == 1 ? dat + ".orig" : dat), before);

    rings.push_back(records(fixed));
    const auto& recs = rings.back();
    ASSERT_EQ(recs.size(), count);
    ASSERT_GT(recs.back().date, recs.front().date);
    // The traffic is even: the ring's span of dates tells how much came before it.
    written = std::max<uint64_t>(written, ring * (recs.back().date / static_cast<double>(recs.back().date - recs.front().date)));
    const auto stats = run_cli({"stats", fixed, "--json"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    EXPECT_EQ(field(stats.out, "erroneous"), "0");
  }

  // A linear capture of the same traffic, a little longer than the longest of them, is the reference.
  const std::string whole = dir_.file("whole.dat");
  const std::string size = std::to_string(written * 11 / 10 / 1024 + 1) + "K";
  ASSERT_EQ(run_cli({"capture", "--simulate=" + fastest, "--size", size, "-o", whole, "--ground-truth", truth_}).status, 0);
  const auto truth = frames_of(read_lines(truth_));
  for (size_t k = 0; k < rings.size(); ++k) {
    SCOPED_TRACE("ring " + std::to_string(k + 1));
    const size_t first = start_in_truth(rings[k], truth);
    ASSERT_LT(first, truth.size()) << "the oldest record is not a frame the card delivered";
    EXPECT_GT(first, 0u);
    expect_run_of_truth(rings[k], truth, first);
  }
}

TEST_F(CliCaptureCommand, AFileMadeDuringTheDeferredWaitIsAskedAboutAgain) {
  const std::string out = dir_.file("a.out"), err = dir_.file("a.err");
  const CliResult r = run_shell(
      background_capture("--simulate=" + quote(fast_) + " --deferred 1s --size 100K --policy ask -o " + quote(dat_), out,
                         err, "p") +
      until_said(err, "Waiting for deferred acquisition to start...") + "printf mine >" + quote(dat_) +
      "; wait $p; echo $?");
  EXPECT_EQ(r.out, "1\n");
  const std::string said = read_text(err);
  // No terminal to answer: No, and the file made meanwhile is left alone.
  EXPECT_NE(said.find("Do you want to overwrite the acquisition file:\n" + dat_ + "?\nNo (standard input is not a terminal)."),
            std::string::npos)
      << said;
  EXPECT_NE(said.find("The deferred acquisition did not start."), std::string::npos) << said;
  EXPECT_EQ(read_text(dat_), "mine");
}

TEST_F(CliCaptureCommand, DeferredStartWaitsThenCapturesAndCtrlCCancelsIt) {
  const auto r = run_cli({"capture", "--simulate=" + fast_, "--deferred", "1s", "--duration", "1s", "-o", dat_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Waiting for deferred acquisition to start..."), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("The acquisition ended normally.\n"), std::string::npos) << r.out;
  EXPECT_EQ(run_cli({"stats", dat_}).status, 0);

  const std::string other = dir_.file("deferred.dat");
  const std::string cmd = "timeout --preserve-status -s INT 1 " + quote(BRV_CLI_PATH) + " capture --simulate=" +
                          quote(fast_) + " --deferred 1h -o " + quote(other) + " 2>&1";
  const CliResult r2 = run_shell(cmd);
  const std::string& out = r2.out;
  EXPECT_EQ(r2.status, 1);
  EXPECT_NE(out.find("Deferred start cancelled."), std::string::npos) << out;
  EXPECT_FALSE(std::filesystem::exists(other));
}

TEST_F(CliCaptureCommand, TriggeredCaptureKeepsThePreTriggerZone) {
  // A glitch on the line, and a configuration that triggers on it.
  const std::string scn = dir_.file("glitch.scn");
  std::ofstream(scn) << "preset clean\npacing fast 100000\nfault glitch at=3000\n";
  const std::string cfg = dir_.file("trigger.cfg");
  ASSERT_TRUE(write_glitch_trigger(cfg, dir_.file("unused.dat")));

  const auto r = run_cli({"capture", "--simulate=" + scn, "--config", cfg, "--triggered", "--pretrig", "1000",
                          "--size", "200K", "-o", dat_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Waiting for trigger..."), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("The acquisition ended normally.\n"), std::string::npos) << r.out;
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("layout: pretrig"), std::string::npos) << info.out;
  EXPECT_GE(records(dat_).size(), 100u);
}

TEST_F(CliCaptureCommand, DurationEndsNormallyWithEveryFrameUpToIt) {
  const auto r = run_cli({"capture", "--simulate=clean", "--duration", "1", "-o", dat_, "--ground-truth", truth_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("End state: FIN_NORMALE\n"), std::string::npos) << r.out;
  const auto recs = records(dat_);
  // One second of a 1 Mbit/s bus.
  EXPECT_GT(recs.size(), 3000u);
  expect_run_of_truth(recs, frames_of(read_lines(truth_)), 0);
}

TEST_F(CliCaptureCommand, SignalsStopAsTheUserWithEveryFrameTheCardSent) {
  for (const char* sig : {"INT", "TERM"}) {
    SCOPED_TRACE(sig);
    const std::string cmd = std::string("timeout --preserve-status -s ") + sig + " 1 " + quote(BRV_CLI_PATH) +
                            " capture --simulate=" + quote(fast_) + " --size 1G -o " + quote(dat_) +
                            " --policy overwrite --ground-truth " + quote(truth_) + " 2>/dev/null";
    const CliResult r = run_shell(cmd);
    const std::string& out = r.out;
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(out.find("Acquisition terminated by user.\n"), std::string::npos) << out;
    EXPECT_NE(out.find("End state: ARRET_UTILISATEUR\n"), std::string::npos) << out;
    const auto recs = records(dat_);
    const auto truth = frames_of(read_lines(truth_));
    EXPECT_EQ(recs.size(), truth.size());
    expect_run_of_truth(recs, truth, 0);
  }
}

TEST_F(CliCaptureCommand, CircularCaptureKeepsTheLatestRunOfFrames) {
  // The smallest ring the program allows (10000 K), which a fast card may wrap within the duration.
  const std::string faster = dir_.file("faster.scn");
  std::ofstream(faster) << "preset clean\npacing fast 150000\n";
  const auto r = run_cli({"capture", "--simulate=" + faster, "--circular", "--size", "1K", "--duration", "3s", "-o",
                          dat_, "--ground-truth", truth_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("End state: FIN_NORMALE\n"), std::string::npos) << r.out;
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("layout: circular"), std::string::npos) << info.out;
  // 10240000 bytes in whole sub-blocks of 368640; a slow build (sanitizers) may not fill it in time.
  const bool wrapped = info.out.find("ullLgZonePostTrig: 9953280") != std::string::npos;

  const auto recs = records(dat_);
  const auto truth = frames_of(read_lines(truth_));
  std::vector<Frame> frames;  // without the loss markers of a host that fell behind
  std::copy_if(recs.begin(), recs.end(), std::back_inserter(frames), [](const Frame& f) { return f.hex != "FCFC"; });
  ASSERT_GT(frames.size(), 1u);
  ASSERT_LT(frames.size(), truth.size());
  // The ring starts somewhere in the truth and runs on from there without a gap; frames the card
  // sent after the duration ended are not in it.
  const size_t first = start_in_truth(recs, truth);
  ASSERT_LT(first, truth.size()) << "the first record is not a frame the card delivered";
  // A wrapped ring has lost its oldest frames; one that did not wrap holds them all.
  if (wrapped) {
    EXPECT_GT(first, 0u);
  } else {
    EXPECT_EQ(first, 0u);
  }
  expect_run_of_truth(recs, truth, first);
}

TEST_F(CliCaptureCommand, BusOptionsReachTheSimulatedCardAndTheHeader) {
  const auto r = run_cli({"capture", "--simulate=" + fast_, "--speed", "3", "--fip", "--size", "200000", "-o", dat_});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("enVitesse: 3 (5 Mbit/s)"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("bTramesTypeFip: 1"), std::string::npos) << info.out;
  // The other commands still register the card of --simulate themselves.
  EXPECT_NE(run_cli({"cards", "--simulate=" + fast_}).out.find("serial SIM00001"), std::string::npos);
}

TEST_F(CliCaptureCommand, RefusalsSayWhy) {
  // No drive holds a petabyte: the start checks' own text, and no engine started.
  const auto big = run_cli({"capture", "--simulate=" + fast_, "--size", "1000000G", "-o", dat_});
  EXPECT_EQ(big.status, 1);
  EXPECT_NE(big.err.find("Not enough free space on drive"), std::string::npos) << big.err;
  EXPECT_EQ(big.out, "");
  EXPECT_FALSE(std::filesystem::exists(dat_));

  const auto truth = run_cli({"capture", "--size", "1000", "-o", dat_, "--ground-truth", truth_});
  EXPECT_EQ(truth.status, 1);
  EXPECT_NE(truth.err.find("--ground-truth needs --simulate"), std::string::npos) << truth.err;

  const auto no_card = run_cli({"capture", "--size", "1000", "-o", dat_});
  EXPECT_EQ(no_card.status, 1);
  EXPECT_NE(no_card.err.find("None active card"), std::string::npos) << no_card.err;

  EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--speed", "4", "-o", dat_}).status, 0);
  EXPECT_EQ(run_cli({"capture", "--simulate=" + fast_, "--card", "9", "-o", dat_}).status, 1);
  // Sizes and durations the options cannot take.
  for (const char* bad : {"10X", "0", "M", "1.5M"}) {
    EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--size", bad, "-o", dat_}).status, 0) << bad;
  }
  for (const char* bad : {"1m30", "0s", "90x", "256d", "-1"}) {
    EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--duration", bad, "-o", dat_}).status, 0) << bad;
  }
  EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--policy", "keep", "-o", dat_}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dat_));
}

}  // namespace
}  // namespace brv::test
