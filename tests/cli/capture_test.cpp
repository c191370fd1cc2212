// capture: free-run acquisitions of the simulated card through the engine, read back by the other
// commands and compared with what the card delivered.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include <brv_core/errors/error_text.h>
#include <vandrel/vandrel.h>

#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace brv::test {
namespace {

// What records --json and the ground truth have in common.
struct Frame {
  std::string hex;
  uint64_t status = 0;
  uint64_t date = 0;
};

std::string field(const std::string& line, const std::string& key) {
  const std::string tag = "\"" + key + "\": ";
  const size_t at = line.find(tag);
  if (at == std::string::npos) return {};
  size_t begin = at + tag.size();
  if (line[begin] == '"') return line.substr(begin + 1, line.find('"', begin + 1) - begin - 1);
  size_t end = line.find_first_of(",}", begin);
  return line.substr(begin, end - begin);
}

std::vector<Frame> frames_of(const std::vector<std::string>& lines) {
  std::vector<Frame> v;
  for (const auto& l : lines) {
    v.push_back(Frame{field(l, "hex"), std::stoull(field(l, "status")), std::stoull(field(l, "date"))});
  }
  return v;
}

std::vector<std::string> read_lines(const std::string& path) {
  std::vector<std::string> v;
  std::ifstream in(path);
  for (std::string l; std::getline(in, l);) v.push_back(l);
  return v;
}

// The records equal the truth from rank `first` on, dates shifted by the same amount.
void expect_run_of_truth(const std::vector<Frame>& records, const std::vector<Frame>& truth, size_t first) {
  ASSERT_FALSE(records.empty());
  ASSERT_LE(first + records.size(), truth.size());
  const uint64_t shift = records[0].date - truth[first].date;
  for (size_t i = 0; i < records.size(); ++i) {
    const Frame& t = truth[first + i];
    ASSERT_EQ(records[i].hex, t.hex) << "record " << i;
    ASSERT_EQ(records[i].status, t.status) << "record " << i;
    ASSERT_EQ(records[i].date - shift, t.date) << "record " << i;
  }
}

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
  EXPECT_NE(r.out.find("End state: FIN_NORMALE\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("File: " + dat_ + "\n"), std::string::npos);
  // Not a terminal: one progress line per state, ending with the final one.
  EXPECT_NE(r.err.find("FIN_NORMALE"), std::string::npos) << r.err;

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
                            " capture --simulate=" + quote(fast_) + " --size 1000000000 -o " + quote(dat_) +
                            " --ground-truth " + quote(truth_) + " 2>/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int raw = ::pclose(p);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    EXPECT_NE(out.find("End state: ARRET_UTILISATEUR\n"), std::string::npos) << out;
    const auto recs = records(dat_);
    const auto truth = frames_of(read_lines(truth_));
    EXPECT_EQ(recs.size(), truth.size());
    expect_run_of_truth(recs, truth, 0);
  }
}

TEST_F(CliCaptureCommand, CircularCaptureKeepsTheLatestRunOfFrames) {
  // Two sub-blocks of 1 Mbit/s, wrapped several times within the second.
  const auto r = run_cli({"capture", "--simulate=" + fast_, "--circular", "--size", "737280", "--duration", "1", "-o",
                          dat_, "--ground-truth", truth_});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("End state: FIN_NORMALE\n"), std::string::npos) << r.out;
  const auto info = run_cli({"info", dat_});
  EXPECT_NE(info.out.find("layout: circular"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("ullLgZonePostTrig: 737280"), std::string::npos) << info.out;

  const auto recs = records(dat_);
  const auto truth = frames_of(read_lines(truth_));
  ASSERT_GT(recs.size(), 1u);
  ASSERT_LT(recs.size(), truth.size());
  // The ring starts somewhere in the truth and runs on from there without a gap; frames the card
  // sent after the duration ended are not in it.
  size_t first = truth.size();
  for (size_t i = 0; i + recs.size() <= truth.size() && first == truth.size(); ++i) {
    if (truth[i].hex == recs[0].hex && truth[i + 1].hex == recs[1].hex &&
        truth[i + 1].date - truth[i].date == recs[1].date - recs[0].date)
      first = i;
  }
  ASSERT_LT(first, truth.size()) << "the first record is not a frame the card delivered";
  EXPECT_GT(first, 0u);
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
  // A ring below one sub-block: the engine's own text.
  std::string text = error_text(VANDREL_ERROR_INVALID_PARAMETER);
  while (!text.empty() && text.back() == '\n') text.pop_back();
  ASSERT_FALSE(text.empty());
  const auto small = run_cli({"capture", "--simulate=" + fast_, "--circular", "--size", "368639", "-o", dat_});
  EXPECT_EQ(small.status, 1);
  EXPECT_NE(small.err.find(text), std::string::npos) << small.err;
  EXPECT_EQ(small.out.find("End state"), std::string::npos);

  const auto both = run_cli({"capture", "--simulate=" + fast_, "--size", "1000", "--duration", "1", "-o", dat_});
  EXPECT_EQ(both.status, 1);
  EXPECT_NE(both.err.find("exclusive"), std::string::npos) << both.err;

  const auto truth = run_cli({"capture", "--size", "1000", "-o", dat_, "--ground-truth", truth_});
  EXPECT_EQ(truth.status, 1);
  EXPECT_NE(truth.err.find("--ground-truth needs --simulate"), std::string::npos) << truth.err;

  const auto no_card = run_cli({"capture", "--size", "1000", "-o", dat_});
  EXPECT_EQ(no_card.status, 1);
  EXPECT_NE(no_card.err.find("No free probe card present."), std::string::npos) << no_card.err;

  EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--speed", "4", "-o", dat_}).status, 0);
  EXPECT_NE(run_cli({"capture", "--simulate=" + fast_, "--card", "9", "-o", dat_}).status, 0);
}

}  // namespace
}  // namespace brv::test
