// Where brenvale-cli's output goes wrong: a full disk is a failure with a message, a reader that
// leaves ends the command quietly, and an export never lands on one of its inputs nor leaves half
// a file behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_run.h"

namespace brv {
namespace {

using test::quote;
using test::run_cli;
using test::run_shell;

// The program and its arguments as a shell command line.
std::string command_line(const std::vector<std::string>& args) {
  std::string cmd = quote(BRV_CLI_PATH);
  for (const auto& a : args) {
    cmd += ' ';
    cmd += quote(a);
  }
  return cmd;
}

std::string contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class CliOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(run_cli({"synth", "-o", dat_, "--frames", "20000", "--seed", "3"}).status, 0);
    ASSERT_EQ(run_cli({"config", "new", "-o", cfg_}).status, 0);
    std::ofstream(csv_) << "// plant\nVariable 0100;ID;3!2;0x0100;;;\n";
    std::ofstream(scenario_) << "preset clean\npacing fast 100000\n";
  }

  // The program run by the shell: `prefix` before it (limits, a folder), `tail` after its
  // arguments (redirections, a pipe); its stderr is kept.
  test::CliResult shell(const std::vector<std::string>& args, const std::string& tail,
                        const std::string& prefix = "") {
    auto r = run_shell(prefix + command_line(args) + " 2>" + quote(err_) + " " + tail);
    r.err = contents(err_);
    return r;
  }

  test::TempDir dir_;
  const std::string dat_ = dir_.file("a.dat");
  const std::string cfg_ = dir_.file("a.cfg");
  const std::string csv_ = dir_.file("plant.csv");
  const std::string scenario_ = dir_.file("fast.scn");
  const std::string err_ = dir_.file("stderr.txt");
};

TEST_F(CliOutput, AFullDiskIsAFailureWithAMessage) {
  const std::vector<std::vector<std::string>> commands = {
      {"decode", "03", "90", "02", "9E", "06"},
      {"info", dat_},
      {"info", dat_, "--json"},
      {"records", dat_},
      {"records", dat_, "--reverse", "--json"},
      {"frames", dat_},
      {"frames", dat_, "--csv"},
      {"frames", dat_, "--json", "--config", cfg_},
      {"stats", dat_},
      {"stats", dat_, "--json"},
      {"cards"},
      {"config", "show", cfg_},
      {"userdata", "check", csv_, "--json"},
      {"export", dat_, "-o", dir_.file("out.txt")},
      {"synth", "-o", dir_.file("s.dat"), "--frames", "10"},
      {"capture", "--simulate=" + scenario_, "--size", "100K", "-o", dir_.file("c.dat")},
      {"--help"},
  };
  for (const auto& args : commands) {
    const auto r = shell(args, ">/dev/full");
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_NE(r.err.find("Unable to write the standard output. (No space left on device)"), std::string::npos)
        << args[0] << ": " << r.err;
  }
  // The capture's file was finished all the same.
  const auto info = run_cli({"info", dir_.file("c.dat")});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("The acquisition ended normally."), std::string::npos);
}

TEST_F(CliOutput, AReaderThatLeavesEndsTheCommandQuietly) {
  const std::vector<std::vector<std::string>> commands = {
      {"frames", dat_},
      {"frames", dat_, "--json"},
      {"records", dat_},
      {"capture", "--simulate=" + scenario_, "--size", "100K", "-o", dir_.file("c.dat")},
  };
  const std::string status = dir_.file("status");
  for (const auto& args : commands) {
    run_shell("{ " + command_line(args) + " 2>" + quote(err_) + "; echo $? >" + quote(status) + "; } | true");
    // As the usual tools: ended by SIGPIPE, nothing said (a capture shows its progress as ever).
    EXPECT_EQ(contents(status), "141\n") << args[0];
    if (args[0] != "capture") {
      EXPECT_EQ(contents(err_), "") << args[0];
    }
    EXPECT_EQ(contents(err_).find("Unable to write"), std::string::npos) << args[0];
  }
  const auto info = run_cli({"info", dir_.file("c.dat")});
  EXPECT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("The acquisition ended normally."), std::string::npos);
}

TEST_F(CliOutput, ExportRefusesItsInputsAndFailsWhole) {
  std::filesystem::create_symlink(dat_, dir_.file("link.dat"));
  std::filesystem::create_hard_link(dat_, dir_.file("hard.dat"));
  std::filesystem::create_directory(dir_.file("folder"));
  const std::string capture = contents(dat_);
  const std::string config = contents(cfg_);
  const std::string plant = contents(csv_);
  const auto refused = [](const std::string& output) {
    return "The output file " + output + " is also an input of this command: it was not overwritten.";
  };
  struct Case {
    std::string output;
    std::vector<std::string> more;
    std::string message;
    std::string prefix = "";
  };
  const std::vector<Case> cases = {
      {dat_, {}, refused(dat_)},
      {dir_.file("link.dat"), {}, refused(dir_.file("link.dat"))},
      {dir_.file("hard.dat"), {}, refused(dir_.file("hard.dat"))},
      {dir_.file("folder/../a.dat"), {}, refused(dir_.file("folder/../a.dat"))},
      {"a.dat", {}, refused("a.dat"), "cd " + quote(dir_.file("")) + " && "},
      {cfg_, {"--config", cfg_}, refused(cfg_)},
      {csv_, {"--userdata", csv_}, refused(csv_)},
      {dir_.file("folder"), {}, "Unable to create the text file. (" + dir_.file("folder") + ": Is a directory)"},
      {"/dev/full", {}, "Unable to write the text file. (/dev/full: No space left on device)"},
      {dir_.file("out.txt"), {"--frames", "20000-20010"}, "There is nothing to transfer. (" + dir_.file("out.txt") + ")"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"export", dat_, "-o", c.output};
    args.insert(args.end(), c.more.begin(), c.more.end());
    const auto r = shell(args, "", c.prefix);
    EXPECT_EQ(r.status, 1) << c.output;
    EXPECT_EQ(r.out, "") << c.output;
    EXPECT_EQ(r.err, c.message + "\n") << c.output;
  }
  // A capture whose end is damaged gives the rows that could be read, and fails saying so.
  std::ofstream(dir_.file("cut.dat"), std::ios::binary) << capture.substr(0, 3000);
  const auto cut = run_cli({"export", dir_.file("cut.dat"), "-o", dir_.file("cut.txt")});
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("Re-calculation aborted because of invalid end of file error."), std::string::npos);

  EXPECT_EQ(contents(dat_), capture);
  EXPECT_EQ(contents(cfg_), config);
  EXPECT_EQ(contents(csv_), plant);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("out.txt")));
}

TEST_F(CliOutput, AFailedExportLeavesThePreviousFile) {
  const std::string txt = dir_.file("brv.txt");
  std::ofstream(txt) << "previous export\n";
  // Files limited to a few hundred bytes: the export's write fails (EFBIG, SIGXFSZ ignored).
  const auto r = shell({"export", dat_, "-o", txt}, "", "trap '' XFSZ; ulimit -f 1; ");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "Unable to write the text file. (" + txt + ": File too large)\n");
  EXPECT_EQ(contents(txt), "previous export\n");
  // Nor its temporary beside it.
  for (const auto& e : std::filesystem::directory_iterator(dir_.file(""))) {
    EXPECT_NE(e.path().filename().string().rfind(".brv.txt", 0), 0u) << e.path();
  }

  const auto ok = run_cli({"export", dat_, "-o", txt});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(contents(txt).rfind("INFORMATION ABOUT THE ACQUISITION PROGRESS\n", 0), 0u);
}

TEST_F(CliOutput, JsonTextsAreEscaped) {
  std::ofstream(csv_) << "// plant\nA \"quoted\" name, a \\ and a\ttab, then \x01 at last;ID;3;0x0105;;;\n";
  const auto r = run_cli({"userdata", "check", csv_, "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"identifier_name\": \"A \\\"quoted\\\" name, a \\\\ and a\\ttab, then \\u0001 at last\""),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace brv
