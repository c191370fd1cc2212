// brenvale-cli end to end: its texts, its exit statuses, and its listings of sample captures.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_run.h"
#include "support/capture_builder.h"

namespace brv {
namespace {

using test::run_cli;

TEST(CliDecode, RendersTheFrameAndItsAnnotation) {
  const auto r = run_cli({"decode", "03", "90", "02", "9E", "06"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "ID_DAT(9002)  CRC : 9E06\nCheck_Stations_Presence variable (Request)\n");

  const auto one_arg = run_cli({"decode", "0390029E06"});
  EXPECT_EQ(one_arg.out, r.out);

  const auto padding = run_cli({"decode", "--padding", "9002", "03 90 02 9E 06"});
  EXPECT_EQ(padding.out, "Padding\nCheck_Stations_Presence variable (Request)\n");
}

TEST(CliDecode, JsonCarriesResultNameTextAndAnnotation) {
  const auto r = run_cli({"decode", "--json", "FD", "FD"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out,
            "{\"result\": 3, \"name\": \"TRAME_GLITCH\", \"text\": \"Error: Line glitch\", \"annotation\": \"\"}\n");
}

TEST(CliDecode, BadInputFailsWithAMessage) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"decode", "03", "9"}, {"decode", "0G"}, {"decode", "--padding", "12345", "03"}, {"decode"}}) {
    const auto r = run_cli(args);
    EXPECT_EQ(r.status, 1) << args.back();
    EXPECT_TRUE(r.out.empty());
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_NE(run_cli({"decode", "0G"}).err.find("Invalid hexadecimal frame."), std::string::npos);
}

TEST(CliInfo, RefusesAFileThatIsNotACapture) {
  test::TempDir dir;
  test::write_bytes(dir.file("notes.dat"), std::vector<uint8_t>(100, 'x'));
  const auto r = run_cli({"info", dir.file("notes.dat")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Acquisition file invalid."), std::string::npos);
  const auto missing = run_cli({"records", dir.file("absent.dat")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Error opening the acquisition file."), std::string::npos);
}

TEST(CliInfo, ReportsAnInterruptedCapture) {
  test::TempDir dir;
  test::FileImage image;
  image.header.enEtatAcq = vandrel::ATTENTE_TRAFIC;
  image.save(dir.file("cut.dat"));
  const auto info = run_cli({"info", dir.file("cut.dat")});
  EXPECT_EQ(info.status, 0);
  EXPECT_NE(info.err.find("Interrupted acquisition"), std::string::npos);
  // The commands that read its records have none to read, and say why rather than count zeros.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"records"}, {"stats"}, {"frames"}, {"export", "-o", dir.file("cut.txt")}}) {
    std::vector<std::string> line = args;
    line.insert(line.begin() + 1, dir.file("cut.dat"));
    const auto r = run_cli(line);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_EQ(r.err.rfind("Interrupted acquisition: the file header was never completed", 0), 0u) << args[0] << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("cut.txt")));
}

class CliCapture : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const auto r = run_cli({"synth", "-o", path_, "--frames", "3000", "--layout", GetParam(), "--seed", "5",
                            "--zone-size", "32768"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  test::TempDir dir_;
  std::string path_ = dir_.file("sample.dat");
};

TEST_P(CliCapture, ListsTheSameRecordsForwardsAndBackwards) {
  const auto fwd = run_cli({"records", path_, "--json"});
  const auto back = run_cli({"records", path_, "--json", "--reverse"});
  ASSERT_EQ(fwd.status, 0) << fwd.err;
  ASSERT_EQ(back.status, 0) << back.err;
  auto lines = back.lines();
  std::reverse(lines.begin(), lines.end());
  ASSERT_GT(lines.size(), 100u);
  EXPECT_EQ(lines, fwd.lines());
  EXPECT_NE(fwd.out.find("\"hex\": \"03"), std::string::npos);

  const auto info = run_cli({"info", path_, "--json"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"records\": " + std::to_string(lines.size())), std::string::npos);
  EXPECT_NE(info.out.find(std::string("\"layout\": \"") + GetParam() + "\""), std::string::npos);
}

TEST_P(CliCapture, FromAndCountSelectAWindow) {
  const auto all = run_cli({"records", path_}).lines();
  const auto window = run_cli({"records", path_, "--from", "10", "--count", "5"}).lines();
  ASSERT_EQ(window.size(), 5u);
  EXPECT_TRUE(std::equal(window.begin(), window.end(), all.begin() + 10));
  const auto last = run_cli({"records", path_, "--reverse", "--count", "2"}).lines();
  ASSERT_EQ(last.size(), 2u);
  EXPECT_EQ(last[0], all.back());
  EXPECT_EQ(last[1], all[all.size() - 2]);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CliCapture, ::testing::Values("linear", "circular", "pretrig"));

TEST(CliRecords, CorruptCaptureListsWhatIsReadableThenFails) {
  test::TempDir dir;
  test::FileImage image;
  const auto stream = test::stream_of({{0, {0x03, 0x90, 0x02, 0x9E, 0x06}, 0}, {470, {0x40, 0x00, 0x00}, 0}});
  image.put(88, stream);
  image.header.ullLgZonePostTrig = stream.size() + 4;
  image.put(88 + stream.size(), {5, 0, 0, 0});  // a length of 5 cannot be a record
  image.save(dir.file("bad.dat"));
  const auto r = run_cli({"records", dir.file("bad.dat")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.lines().size(), 2u);
  EXPECT_NE(r.err.find("invalid end of data at offset " + std::to_string(88 + stream.size())), std::string::npos);
  EXPECT_NE(r.out.find("ID_DAT(9002)  CRC : 9E06"), std::string::npos);
}

TEST(CliSynth, RefusesBadOptions) {
  test::TempDir dir;
  EXPECT_EQ(run_cli({"synth", "-o", dir.file("a.dat"), "--frames", "10", "--layout", "spiral"}).status, 1);
  EXPECT_EQ(run_cli({"synth", "-o", dir.file("a.dat"), "--frames", "10", "--speed", "4"}).status, 1);
  EXPECT_EQ(run_cli({"synth", "-o", dir.file("no/such/dir/a.dat"), "--frames", "10"}).status, 1);
}

}  // namespace
}  // namespace brv

namespace brv {
namespace {

TEST(CliConfig, NewThenShowListsTheDefaults) {
  test::TempDir dir;
  const std::string cfg = dir.file("new.cfg");
  ASSERT_EQ(run_cli({"config", "new", "-o", cfg}).status, 0);
  const auto show = run_cli({"config", "show", cfg});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("views.network_configuration_time.ns: 1000000000\n"), std::string::npos);
  EXPECT_NE(show.out.find("views.stored_points: 100\n"), std::string::npos);
  EXPECT_NE(show.out.find("filter.mode: 1\n"), std::string::npos);
  const auto json = run_cli({"config", "show", cfg, "--json"});
  EXPECT_NE(json.out.find("\"filter.mode\": 1"), std::string::npos);

  test::write_bytes(cfg, std::vector<uint8_t>{'C', 'O', 'N', 'F', 'I', 'G'});
  const auto bad = run_cli({"config", "show", cfg});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Configuration file invalid."), std::string::npos);
}

TEST(CliInfo, DescribesTheAcquisitionAndItsMissingTail) {
  test::TempDir dir;
  const std::string dat = dir.file("a.dat");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "100"}).status, 0);
  const auto info = run_cli({"info", dat});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("  Speed adapter: bi-medium at 1 Mbit/s - FIP frames\n"), std::string::npos);
  EXPECT_NE(info.out.find("  The acquisition ended normally.\n"), std::string::npos);
  EXPECT_NE(info.out.find("configuration: none\n"), std::string::npos);
  EXPECT_NE(info.err.find("No configuration data in acquisition file."), std::string::npos);
}

}  // namespace
}  // namespace brv

namespace brv {
namespace {

TEST(CliFrames, RowsInEveryFormAndStatistics) {
  test::TempDir dir;
  const std::string dat = dir.file("a.dat");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "3000", "--layout", "pretrig", "--zone-size", "4000"}).status, 0);

  const auto text = run_cli({"frames", dat, "--count", "3"});
  ASSERT_EQ(text.status, 0) << text.err;
  ASSERT_EQ(text.lines().size(), 3u);
  EXPECT_EQ(text.lines()[0].rfind("0\t", 0), 0u);

  const auto json = run_cli({"frames", dat, "--json", "--from", "10", "--count", "2"});
  ASSERT_EQ(json.lines().size(), 2u);
  for (const char* key : {"\"row\": 10", "\"offset\"", "\"date0\"", "\"mark\"", "\"absdate\": \"", "\"reldate\"",
                          "\"interframe\"", "\"traffic\"", "\"channel\"", "\"txerr1\"", "\"txerr2\"", "\"text\"",
                          "\"annotation\""}) {
    EXPECT_NE(json.lines()[0].find(key), std::string::npos) << key;
  }

  const auto csv = run_cli({"frames", dat, "--csv", "--count", "2"});
  ASSERT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out.rfind("row,offset,date,date0,mark,absdate,reldate,interframe,traffic,channel,txerr1,txerr2,text,"
                          "annotation\r\n",
                          0),
            0u);
  EXPECT_EQ(csv.lines().size(), 3u);

  const auto stats = run_cli({"stats", dat, "--json"});
  ASSERT_EQ(stats.status, 0) << stats.err;
  for (const char* key : {"\"acquired\": ", "\"displayable\": ", "\"padding\": \"Not defined\"", "\"types\": {\"ID_DAT\": ",
                          "\"error_counters\": {\"erroneous_frames\": ", "\"network\": [{\"identifier\": \""}) {
    EXPECT_NE(stats.out.find(key), std::string::npos) << key;
  }
  const auto plain = run_cli({"stats", dat});
  EXPECT_NE(plain.out.find("STATISTICS\n"), std::string::npos);
  EXPECT_NE(plain.out.find("NETWORK CONFIGURATION ("), std::string::npos);
}

TEST(CliFrames, ConfigurationFileSetsTheFilter) {
  test::TempDir dir;
  const std::string dat = dir.file("a.dat");
  const std::string cfg = dir.file("a.cfg");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "500"}).status, 0);
  ASSERT_EQ(run_cli({"config", "new", "-o", cfg}).status, 0);
  const auto with = run_cli({"frames", dat, "--config", cfg});
  EXPECT_EQ(with.status, 0) << with.err;
  EXPECT_EQ(with.lines().size(), 500u);
  EXPECT_EQ(run_cli({"frames", dat, "--config", dir.file("absent.cfg")}).status, 1);
}

}  // namespace
}  // namespace brv

namespace brv {
namespace {

TEST(CliCards, SaysPlainlyWhenNoCardIsPresent) {
  const auto r = run_cli({"cards"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "No probe card present.\n");
  const auto all = run_cli({"cards", "--all", "--json"});
  EXPECT_EQ(all.status, 0);
  EXPECT_EQ(all.out.rfind("{\"devices\": [", 0), 0u);
}

}  // namespace
}  // namespace brv

namespace brv {
namespace {

TEST(CliExport, WritesSectionsAndRowsAndChecksUserData) {
  test::TempDir dir;
  const std::string dat = dir.file("a.dat");
  const std::string txt = dir.file("brv.txt");
  const std::string csv = dir.file("plant.csv");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "2000"}).status, 0);
  {
    std::ofstream out(csv);
    out << "// plant\nCycle counter;ID;3;0x9003;;;\nVariable 0100;ID;3!2;0x0100;;;\n";
  }
  const auto check = run_cli({"userdata", "check", csv});
  ASSERT_EQ(check.status, 0) << check.err;
  EXPECT_NE(check.out.find("2 entries"), std::string::npos);
  {
    std::ofstream out(csv);
    out << "// plant\n;ID;3;1;;;\n";
  }
  const auto bad = run_cli({"userdata", "check", csv});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.err.find("Invalid user data file (line 2)"), std::string::npos);

  const auto exp = run_cli({"export", dat, "-o", txt, "--spreadsheet", "--separator", ";", "--frames", "10-12"});
  ASSERT_EQ(exp.status, 0) << exp.err;
  EXPECT_EQ(exp.out, "exported 3 rows to " + txt + "\n");
  std::ifstream in(txt);
  const std::string all((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(all.find("STATISTICS\nAcquired frames;2000\n"), std::string::npos);
  EXPECT_NE(all.find("FRAMES\n"), std::string::npos);

  EXPECT_EQ(all.find("TIMING\n"), std::string::npos);
  // Sections by name: only the timing, the same text as the timing command's.
  ASSERT_EQ(run_cli({"export", dat, "-o", txt, "--sections", "timing", "--frames", "none"}).status, 0);
  std::ifstream seul(txt);
  const std::string timing((std::istreambuf_iterator<char>(seul)), {});
  EXPECT_EQ(timing, "TIMING\n" + run_cli({"timing", dat}).out + "\n");
  EXPECT_EQ(run_cli({"export", dat, "-o", txt, "--sections", "timing,bogus"}).status, 1);

  EXPECT_EQ(run_cli({"export", dat, "-o", txt, "--frames", "12-10"}).status, 1);
  EXPECT_EQ(run_cli({"export", dat, "-o", dir.file("no/dir/x.txt")}).status, 1);
}

}  // namespace
}  // namespace brv
