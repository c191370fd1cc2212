// timing: on a capture of the simulated card, the schedule found is the network model's.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace brv::test {
namespace {

// The value of "key": in text, from pos on.
std::string field(const std::string& text, const std::string& key, size_t pos = 0) {
  const std::string tag = "\"" + key + "\": ";
  const size_t at = text.find(tag, pos);
  if (at == std::string::npos) return {};
  const size_t begin = at + tag.size();
  if (text[begin] == '"') return text.substr(begin + 1, text.find('"', begin + 1) - begin - 1);
  return text.substr(begin, text.find_first_of(",}", begin) - begin);
}

TEST(CliTiming, SimulatedScheduleGivesTheModelsPeriodsAndCycle) {
  TempDir dir;
  const std::string scn = dir.file("plant.scn");
  const std::string dat = dir.file("plant.dat");
  constexpr int64_t kCycleUs = 5000;
  // Without padding the arbitrator waits out each cycle, so that every cycle lasts cycle_us.
  const std::map<std::string, int> periods = {{"0200", 2}, {"0201", 5}, {"0202", 1}, {"0203", 10}};
  {
    std::ofstream f(scn);
    f << "speed 1M\nframing fip\nstations 4\ncycle " << kCycleUs
      << "\npadding none\nmessages 0\naperiodic 0\npacing fast 100000\n";
    int producer = 1;
    for (const auto& [id, period] : periods) f << "variable " << id << " producer=" << producer++ << " period=" << period << " length=4\n";
  }
  const auto capture = run_cli({"capture", "--simulate=" + scn, "--size", "300K", "-o", dat});
  ASSERT_EQ(capture.status, 0) << capture.err;

  const auto r = run_cli({"timing", "--json", dat});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(field(r.out, "elementary_cycle_ns"), std::to_string(kCycleUs * 1000)) << r.out;
  EXPECT_EQ(field(r.out, "from_sync_variable"), "true");
  // The presence list (every 10 cycles) and the segment variable (every 50) join the multiple.
  EXPECT_EQ(field(r.out, "period_cycles"), "50");
  for (const auto& [id, period] : periods) {
    const size_t at = r.out.find("{\"identifier\": \"" + id + "\"");
    ASSERT_NE(at, std::string::npos) << id;
    EXPECT_EQ(field(r.out, "nominal_cycles", at), std::to_string(period)) << id;
    // A call moves within its cycle with the calls before it (one slot, about 230 µs, at most): the
    // median period lies within the tolerance and the mean period on the model's.
    const double model = static_cast<double>(period * kCycleUs * 1000);
    EXPECT_NEAR(std::stod(field(r.out, "nominal_ns", at)), model, model / 10) << id;
    const size_t periode = r.out.find("\"period\": ", at);
    EXPECT_NEAR(std::stod(field(r.out, "mean_ns", periode)), model, model / 1000) << id;
    EXPECT_EQ(field(r.out, "unanswered", at), "0") << id;
    EXPECT_EQ(field(r.out, "early", at), "0") << id;
  }

  // The text and CSV forms carry the same rows; the thresholds follow the options.
  const auto text = run_cli({"timing", dat, "--late", "20", "--tolerance", "1"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Elementary cycle            5000.0 µs (period of 9003)"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("late 20.0 µs"), std::string::npos);
  const auto csv = run_cli({"timing", "--csv", dat});
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out.rfind("identifier,scans,", 0), 0u);
  EXPECT_NE(csv.out.find("\r\n0200,"), std::string::npos);
}

// A slow producer on the simulated bus: its answers are late by what was injected, the others not.
TEST(CliTiming, ALateProducerIsReportedWithItsDelay) {
  TempDir dir;
  const std::string scn = dir.file("late.scn");
  const std::string dat = dir.file("late.dat");
  std::ofstream(scn) << "speed 1M\nstations 4\ncycle 5000\npadding none\nmessages 0\naperiodic 0\npacing fast 100000\n"
                        "variable 0301 producer=1 period=1 length=4\nvariable 0303 producer=3 period=1 length=4\n"
                        "late 3 100\n";
  const auto capture = run_cli({"capture", "--simulate=" + scn, "--size", "200K", "-o", dat});
  ASSERT_EQ(capture.status, 0) << capture.err;
  const auto r = run_cli({"timing", "--json", dat});
  ASSERT_EQ(r.status, 0) << r.err;
  const size_t lent = r.out.find("{\"identifier\": \"0303\"");
  const size_t normal = r.out.find("{\"identifier\": \"0301\"");
  ASSERT_NE(lent, std::string::npos);
  ASSERT_NE(normal, std::string::npos);
  const auto moyenne = [&](size_t at) { return std::stod(field(r.out, "mean_ns", r.out.find("\"turnaround\": ", at))); };
  // 100 µs beyond the usual turnaround (40 bits and up to 8 more at 1 Mbit/s): late, not yet silence.
  EXPECT_NEAR(moyenne(lent) - moyenne(normal), 100000.0, 8000.0) << r.out;
  EXPECT_EQ(field(r.out, "late", lent), field(r.out, "scans", lent));
  EXPECT_EQ(field(r.out, "late", normal), "0");
}

TEST(CliTiming, RefusesWhatItCannotRead) {
  TempDir dir;
  const std::string missing = dir.file("none.dat");
  EXPECT_NE(run_cli({"timing", missing}).status, 0);
  const std::string dat = dir.file("s.dat");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "1000"}).status, 0);
  EXPECT_NE(run_cli({"timing", dat, "--json", "--csv"}).status, 0);
  EXPECT_NE(run_cli({"timing", dat, "--late", "-3"}).status, 0);
  EXPECT_NE(run_cli({"timing", dat, "--tolerance", "abc"}).status, 0);
  const auto sample = run_cli({"timing", dat, "--tolerance", "2.5", "--silence", "200"});
  EXPECT_EQ(sample.status, 0) << sample.err;
  // The sample traffic asks for message windows.
  EXPECT_NE(sample.out.find("APERIODIC REQUESTS"), std::string::npos) << sample.out;
  EXPECT_NE(sample.out.find("silence 200.0 µs, tolerance 2.5 %"), std::string::npos);
}

}  // namespace
}  // namespace brv::test
