// --simulate registers a simulated probe card before the command runs, in either position.

#include <gtest/gtest.h>

#include <fstream>

#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace brv::test {
namespace {

TEST(CliSimulate, CardsListsTheSimulatedCardInEitherPosition) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"cards", "--simulate"}, {"--simulate", "cards"}, {"--simulate=stress", "cards"}}) {
    const auto r = run_cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("serial SIM00001"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("free"), std::string::npos);
  }
  const auto none = run_cli({"cards"});
  EXPECT_EQ(none.out.find("SIM00001"), std::string::npos);
}

TEST(CliSimulate, ScenarioFileChoosesTheSerialAndBadOnesAreRefused) {
  TempDir dir;
  const std::string path = dir.file("plant.scn");
  {
    std::ofstream f(path);
    f << "# two stations\nspeed 2.5M\nframing fip\nstations 2\nserial SIMFILE7\nvariable 0200 producer=1 period=2 length=4\n";
  }
  const auto r = run_cli({"cards", "--json", "--simulate=" + path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"serial\": \"SIMFILE7\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"description\": \"Brenvale USB\""), std::string::npos);

  const std::string bad = dir.file("bad.scn");
  {
    std::ofstream f(bad);
    f << "speed 3M\n";
  }
  const auto refused = run_cli({"--simulate=" + bad, "cards"});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.err.find("line 1"), std::string::npos) << refused.err;
  EXPECT_NE(run_cli({"--simulate=nosuchpreset", "cards"}).status, 0);
}

}  // namespace
}  // namespace brv::test
