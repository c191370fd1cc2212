// compare on captures of the simulated card: the same network compares equal, a variable taken
// away is reported alone, and the exit status tells a script which it was.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "cli_run.h"

namespace brv::test {
namespace {

class CliCompare : public ::testing::Test {
 protected:
  // A capture of a small network of four stations and the given periodic variables.
  std::string Capture(const std::string& nom, const std::string& variables, uint64_t graine) {
    const std::string scenario = dir_.file(nom + ".scn");
    std::ofstream(scenario) << "preset clean\npacing fast 100000\nmessages 0\naperiodic 0\nstations 4\nseed " << graine
                            << "\n" << variables;
    const std::string dat = dir_.file(nom + ".dat");
    const auto r = run_cli({"capture", "--simulate=" + scenario, "--size", "400000", "-o", dat});
    EXPECT_EQ(r.status, 0) << r.err;
    return dat;
  }
  TempDir dir_;
};

constexpr const char* kQuatre =
    "variable 0101 producer=1 period=2 length=8\nvariable 0102 producer=2 period=2 length=8\n"
    "variable 0103 producer=3 period=2 length=8\nvariable 0104 producer=4 period=2 length=8\n";

TEST_F(CliCompare, TheSameNetworkComparesEqualAndARemovedVariableIsReported) {
  const std::string a = Capture("a", kQuatre, 1);
  const std::string b = Capture("b", kQuatre, 2);
  const auto pareil = run_cli({"compare", a, b});
  EXPECT_EQ(pareil.status, 0) << pareil.out << pareil.err;
  EXPECT_EQ(pareil.out, "No difference beyond the tolerances.\n");

  // The bus arbitrator no longer scans station 4's variable.
  std::string trois = kQuatre;
  trois.resize(trois.rfind("variable 0104"));
  const std::string c = Capture("c", trois, 1);
  const auto change = run_cli({"compare", a, c});
  EXPECT_EQ(change.status, 2) << change.err;
  EXPECT_EQ(change.out, "identifier 0104: disappeared (was present)\n");
  const auto j = run_cli({"compare", "--json", a, c});
  EXPECT_EQ(j.status, 2);
  EXPECT_EQ(j.out, "{\"different\": true, \"differences\": [{\"what\": \"identifier 0104\", \"before\": \"present\", "
                   "\"after\": null}]}\n");

  // Station 3's variable scanned half as often.
  std::string lent = kQuatre;
  lent.replace(lent.find("0103 producer=3 period=2"), 24, "0103 producer=3 period=4");
  const auto periode = run_cli({"compare", a, Capture("d", lent, 1)});
  EXPECT_EQ(periode.status, 2) << periode.err;
  // The simulated cycle is not the scenario's to the microsecond: the line, not its figures.
  EXPECT_EQ(periode.out.rfind("identifier 0103 period: ", 0), 0u) << periode.out;
  EXPECT_EQ(std::count(periode.out.begin(), periode.out.end(), '\n'), 1) << periode.out;

  const auto absent = run_cli({"compare", a, dir_.file("none.dat")});
  EXPECT_EQ(absent.status, 1);
}

}  // namespace
}  // namespace brv::test
