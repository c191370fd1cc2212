// Every command meets bad inputs and bad outputs with its own message and exit status 1, never
// writes over one of its inputs, leaves a previous output whole when it fails, and refuses numbers
// that would wrap.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/capture_truth.h"
#include "cli/cli_run.h"

namespace brv {
namespace {

using test::run_cli;

class FileSafety : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_cli({"synth", "-o", f("ok.dat"), "--frames", "500"}).status, 0);
    ASSERT_EQ(run_cli({"config", "new", "-o", f("ok.cfg")}).status, 0);
    std::ofstream(f("empty.dat"));
    const std::string whole = test::read_text(f("ok.dat"));
    std::ofstream(f("trunc.dat"), std::ios::binary) << whole.substr(0, 3000);
    std::ofstream(f("trunc.cfg"), std::ios::binary) << test::read_text(f("ok.cfg")).substr(0, 30);
    std::filesystem::create_directory(f("dir.dat"));
  }
  std::string f(const std::string& name) const { return dir_.file(name); }
  // Replaces every '@NAME' argument by the path of NAME in the test folder.
  std::vector<std::string> args(std::vector<std::string> a) const {
    for (auto& s : a) {
      if (!s.empty() && s[0] == '@') s = f(s.substr(1));
    }
    return a;
  }

  test::TempDir dir_;
};

TEST_F(FileSafety, BadInputsAreRefusedWithTheReadersMessage) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } const cases[] = {
      {{"info", "@missing.dat"}, "Error opening the acquisition file. (" + f("missing.dat") + ": No such file"},
      {{"records", "@dir.dat"}, "Error opening the acquisition file. (" + f("dir.dat") + ": Is a directory)"},
      {{"frames", "@dir.dat"}, "Error opening the acquisition file. (" + f("dir.dat") + ": Is a directory)"},
      {{"stats", "@empty.dat"}, "Acquisition file invalid. (" + f("empty.dat") + ": header shorter than 88 bytes)"},
      {{"detail", "@empty.dat", "0"}, "Acquisition file invalid."},
      {{"repair", "@dir.dat"}, "Error opening the acquisition file. (" + f("dir.dat") + ": Is a directory)"},
      {{"records", "@trunc.dat"}, "The file is shorter than its header says"},
      {{"frames", "@trunc.dat"}, "Re-calculation aborted because of invalid end of file error."},
      {{"stats", "/dev/zero"}, "Error opening the acquisition file. (/dev/zero: not a regular file)"},
      {{"config", "show", "@dir.dat"}, "Error opening the configuration file."},
      {{"config", "show", "@trunc.cfg"}, "Configuration file invalid."},
      {{"frames", "@ok.dat", "--config", "@missing.cfg"}, "Error opening the configuration file."},
      {{"userdata", "check", "@dir.dat"}, "Error opening the user data file (" + f("dir.dat") + ": Is a directory)"},
      {{"detail", "@ok.dat", "0", "--userdata", "/dev/null"}, "Error opening the user data file"},
      {{"--simulate=" + f("dir.dat"), "cards"}, "cannot read " + f("dir.dat") + " (Is a directory)"},
  };
  for (const Case& c : cases) {
    const auto r = run_cli(args(c.args));
    EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.args[1];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args[0] << " " << c.args[1] << ": " << r.err;
  }
}

TEST_F(FileSafety, BadOutputsFailAndLeaveThePreviousFileWhole) {
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } const cases[] = {
      {{"synth", "-o", "/dev/full", "--frames", "10"}, "No space left on device"},
      {{"synth", "-o", "@dir.dat", "--frames", "10"}, "Is a directory"},
      {{"config", "new", "-o", "/dev/full"}, "Error creating the configuration file."},
      {{"config", "new", "-o", "@nowhere/x.cfg"}, "Error creating the configuration file."},
      {{"detail", "@ok.dat", "0", "-o", "/dev/full"}, "Impossible to create a temporary file."},
  };
  for (const Case& c : cases) {
    const auto r = run_cli(args(c.args));
    EXPECT_EQ(r.status, 1) << c.args[0];
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.args[0] << ": " << r.err;
  }
  // A write that fails half-way (a file-size limit) leaves the previous capture as it was.
  const std::string before = test::read_text(f("ok.dat"));
  const auto r = test::run_shell("ulimit -f 8; trap '' XFSZ; " + test::quote(BRV_CLI_PATH) + " synth -o " +
                                 test::quote(f("ok.dat")) + " --frames 100000 2>/dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::read_text(f("ok.dat")), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.file("")), {}), 6) << "a temporary was left";
}

TEST_F(FileSafety, AnOutputNeverLandsOnAnInput) {
  std::filesystem::create_symlink(f("ok.dat"), f("link.dat"));
  std::filesystem::create_hard_link(f("ok.dat"), f("hard.dat"));
  const std::string before = test::read_text(f("ok.dat"));
  const std::string relative = std::filesystem::relative(f("ok.dat")).string();
  for (const std::string& out : {f("ok.dat"), f("link.dat"), f("hard.dat"), relative}) {
    const auto r = run_cli({"detail", f("ok.dat"), "0", "-o", out});
    EXPECT_EQ(r.status, 1) << out;
    EXPECT_NE(r.err.find("is also an input of this command"), std::string::npos) << r.err;
  }
  const std::string config = test::read_text(f("ok.cfg"));
  for (const auto& a : std::vector<std::vector<std::string>>{
           {"detail", "@ok.dat", "0", "--config", "@ok.cfg", "-o", "@ok.cfg"},
           {"repair", "@ok.dat", "-o", "@hard.dat"},
           {"capture", "--simulate=clean", "--duration", "1s", "--config", "@ok.cfg", "-o", "@ok.cfg"},
           {"capture", "--simulate=clean", "--duration", "1s", "-o", "@new.dat", "--ground-truth", "@ok.cfg",
            "--config", "@ok.cfg"},
           {"capture", "--simulate=clean", "--duration", "1s", "-o", "@gt.dat", "--ground-truth", "@gt.dat"}}) {
    const auto r = run_cli(args(a));
    EXPECT_EQ(r.status, 1) << a[0] << " " << a.back();
  }
  EXPECT_EQ(test::read_text(f("ok.dat")), before);
  EXPECT_EQ(test::read_text(f("ok.cfg")), config);
  // The capture itself was kept: only its ground truth was refused.
  EXPECT_EQ(run_cli({"records", f("gt.dat"), "--count", "1"}).status, 0);
}

TEST(CliNumbers, SignsAndOverflowsAreRefusedNamingTheOption) {
  test::TempDir dir;
  const std::string cap = dir.file("c.dat");
  ASSERT_EQ(run_cli({"synth", "-o", cap, "--frames", "100"}).status, 0);
  struct Case {
    std::vector<std::string> args;
    std::string message;
  } const cases[] = {
      {{"records", cap, "--count", "-1"}, "--count: '-1' is not a whole number from 0 to 18446744073709551615"},
      {{"records", cap, "--from", "18446744073709551616"}, "--from: '18446744073709551616' is not a whole number"},
      {{"frames", cap, "--count", "1e3"}, "--count: '1e3' is not a whole number"},
      {{"detail", cap, "-1"}, "row: '-1' is not a whole number"},
      {{"synth", "-o", dir.file("x.dat"), "--frames", "0"}, "--frames: '0' is not a whole number from 1 to"},
      {{"capture", "--simulate", "-o", dir.file("x.dat"), "--size", "18014398509481985K"},
       "--size: expected 1 byte to 4611686018427387904 bytes"},
      {{"capture", "--simulate", "-o", dir.file("x.dat"), "--size", "-5M"}, "--size: expected 1 byte"},
      {{"capture", "--simulate", "-o", dir.file("x.dat"), "--duration", "300d"}, "--duration: expected 1 second to 255 days"},
  };
  for (const Case& c : cases) {
    const auto r = run_cli(c.args);
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.dat")));
}

}  // namespace
}  // namespace brv
