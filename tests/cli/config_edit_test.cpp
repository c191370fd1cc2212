// config set / add / remove: what a script changes reads back through `config show --json`, and a
// refused change leaves the file exactly as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "cli/cli_run.h"

namespace brv {
namespace {

using test::run_cli;
using Champs = std::map<std::string, std::string>;

std::string slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// The flat object `config show --json` prints: names to values, strings unquoted.
Champs lit_json(const std::string& t) {
  Champs out;
  size_t i = t.find('{') + 1;
  const auto chaine = [&t, &i]() {
    std::string s;
    for (++i; i < t.size() && t[i] != '"'; ++i) s += t[i] == '\\' ? t[++i] : t[i];
    ++i;
    return s;
  };
  while (i < t.size()) {
    while (i < t.size() && t[i] != '"' && t[i] != '}') ++i;
    if (i >= t.size() || t[i] == '}') break;
    const std::string nom = chaine();
    i = t.find_first_not_of(": ", i);
    if (t[i] == '"') {
      out[nom] = chaine();
    } else {
      const size_t fin = t.find_first_of(",}", i);
      out[nom] = t.substr(i, fin - i);
      i = fin;
    }
  }
  return out;
}

class CliConfigEdit : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(run_cli({"config", "new", "-o", cfg_}).status, 0); }
  Champs show(const std::string& cfg) const {
    const auto r = run_cli({"config", "show", cfg, "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return lit_json(r.out);
  }
  // Every expected field reads back as given.
  void expect_fields(const std::string& cfg, const Champs& expected, const std::string& label) const {
    const Champs lus = show(cfg);
    for (const auto& [nom, valeur] : expected) {
      const auto it = lus.find(nom);
      ASSERT_NE(it, lus.end()) << label << ": " << nom;
      EXPECT_EQ(it->second, valeur) << label << ": " << nom;
    }
  }
  std::vector<std::string> edit(const std::string& sub, const std::string& cfg, std::vector<std::string> args) const {
    args.insert(args.begin(), {"config", sub, cfg});
    return args;
  }

  test::TempDir dir_;
  std::string cfg_ = dir_.file("setup.cfg");
};

TEST_F(CliConfigEdit, SettingsReadBackAsThePagesStoreThem) {
  struct Case {
    std::vector<std::vector<std::string>> steps;
    Champs expected;
  } const cases[] = {
      {{{"views.stored_points=500", "views.open_automatically=1"}},
       {{"views.stored_points", "500"}, {"views.open_automatically", "1"}}},
      // The path is completed with ".dat", as the page shows it.
      {{{"acquisition.path=/plant/bus1", "acquisition.start_action=2"}},
       {{"acquisition.path", "/plant/bus1.dat"}, {"acquisition.start_action", "2"}}},
      {{{"post_trigger.size=5", "pre_trigger.selected=1", "pre_trigger.method=1", "pre_trigger.percentage=10"}},
       {{"post_trigger.size_bytes", "5120000"}, {"pre_trigger.equivalent_size", "512000"}}},
      {{{"pre_trigger.selected=1", "pre_trigger.method=2", "pre_trigger.frames=100"}},
       {{"pre_trigger.method", "2"}, {"pre_trigger.equivalent_size", "10574"}}},
      // Above one byte, kept whole.
      {{{"pre_trigger.selected=1", "pre_trigger.method=1", "pre_trigger.percentage=300"}},
       {{"pre_trigger.percentage", "300"}, {"pre_trigger.equivalent_size", "3072000"}}},
      // A new zone size alone moves the history's share with it.
      {{{"post_trigger.size=5", "pre_trigger.selected=1", "pre_trigger.method=1", "pre_trigger.percentage=10"},
        {"post_trigger.size=10"}},
       {{"pre_trigger.equivalent_size", "1024000"}}},
      // Choosing the duration radio leaves the size radio.
      {{{"post_trigger.duration_selected=1", "post_trigger.duration.minutes=5"}},
       {{"post_trigger.size_selected", "0"}, {"post_trigger.duration_selected", "1"}, {"post_trigger.duration.minutes", "5"}}},
      {{{"post_trigger.continuous=1", "post_trigger.duration_selected=1", "post_trigger.duration.hours=2"}},
       {{"post_trigger.size_selected", "1"}, {"post_trigger.duration_selected", "1"}}},
      {{{"acquisition.padding.identifier=0x8002", "acquisition.padding.delete_frames=1", "acquisition.channel=2"}},
       {{"acquisition.padding.on", "1"}, {"acquisition.padding.identifier", "32770"},
        {"acquisition.padding.delete_frames", "1"}, {"acquisition.channel", "2"}}},
      {{{"acquisition.padding.identifier=12"}, {"acquisition.padding.on=0"}},
       {{"acquisition.padding.on", "0"}, {"acquisition.padding.identifier", "0"}}},
      {{{"views.network_configuration_time.value=2", "views.network_configuration_time.unit=2"}},
       {{"views.network_configuration_time.ns", "120000000000"}}},
      {{{"views.data_rate_time.value=3600"}}, {{"views.data_rate_time.ns", "3600000000000"}}},
      {{{"deferred_start.on=1", "deferred_start.delay.seconds=30"}},
       {{"deferred_start.on", "1"}, {"deferred_start.delay.seconds", "30"}}},
      {{{"filter.mode=0", "display.padding.on=1", "display.padding.identifier=9080", "trigger.method=3",
         "trigger.frame_filtering=1"}},
       {{"filter.mode", "0"}, {"display.padding.identifier", "9080"}, {"trigger.method", "3"}}},
  };
  const std::string defaults = slurp(cfg_);
  for (const Case& c : cases) {
    const std::string label = c.steps.front().front();
    std::ofstream(cfg_, std::ios::binary | std::ios::trunc) << defaults;
    for (const auto& step : c.steps) {
      const auto r = run_cli(edit("set", cfg_, step));
      ASSERT_EQ(r.status, 0) << label << ": " << r.err;
    }
    expect_fields(cfg_, c.expected, label);
  }
  // A value set to what the file already holds writes the same bytes.
  std::ofstream(cfg_, std::ios::binary | std::ios::trunc) << defaults;
  ASSERT_EQ(run_cli(edit("set", cfg_, {"filter.mode=1", "views.stored_points=100"})).status, 0);
  EXPECT_EQ(slurp(cfg_), defaults);
}

TEST_F(CliConfigEdit, RefusedChangesLeaveTheFileByteForByte) {
  // A list that is full, and a file with bytes the configuration does not account for.
  const std::string full = dir_.file("full.cfg"), tail = dir_.file("tail.cfg");
  std::filesystem::copy_file(cfg_, full);
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(run_cli(edit("add", full, {"--list", "event", "--name", "e" + std::to_string(i)})).status, 0);
  }
  std::ofstream(tail, std::ios::binary) << slurp(cfg_) << "xx";
  ASSERT_EQ(run_cli(edit("add", cfg_, {"--list", "event", "--name", "Station 5", "--field", "8:16:=:1405"})).status, 0);

  const std::string add = "add", set = "set";
  struct Case {
    std::string sub;
    std::string file;
    std::vector<std::string> args;
    std::string message;
  } const cases[] = {
      {set, cfg_, {"views.stored_points=10000"}, "exceeded possible limits. (views.stored_points: limit 6000)"},
      {set, cfg_, {"views.network_configuration_time.value=50", "views.network_configuration_time.unit=0"},
       "(views.network_configuration_time: limit 100 ms)"},
      {set, cfg_, {"bogus.key=1"}, "unknown key 'bogus.key'"},
      {set, cfg_, {"views.stored_points=500", "filter.mode=7"}, "filter.mode: '7' is not a whole number from 0 to 1"},
      {set, cfg_, {"views.stored_points=5e2"}, "views.stored_points: '5e2' is not a whole number"},
      {set, cfg_, {"post_trigger.duration.days=250"}, "250 is outside what the page accepts (it would become 48)"},
      {set, cfg_, {"pre_trigger.percentage=1001"}, "(it would become 1000)"},
      {set, cfg_, {"post_trigger.size=0"}, "Please enter the length of the post-trig zone. (post_trigger.size=0)"},
      {set, cfg_, {"pre_trigger.selected=1", "pre_trigger.method=3"}, "Please define the length of the pre-trig zone."},
      {set, cfg_, {"acquisition.path=/plant/"}, "The acquisition file path or name is not valid."},
      {set, cfg_, {"pre_trigger.method=2"}, "pre_trigger.method=2 is not kept by the page's rules"},
      {set, cfg_, {"post_trigger.size_selected=1", "post_trigger.duration_selected=1"}, "exclude each other"},
      {set, cfg_, {"acquisition.padding.on=1"}, "needs acquisition.padding.identifier"},
      {set, cfg_, {"post_trigger.size_bytes=1"}, "is computed from"},
      {set, cfg_, {"events[0].name=x"}, "definitions are changed with `config add` and `config remove`"},
      {set, cfg_, {"filter.mode=0", "filter.mode=1"}, "filter.mode is given twice"},
      {set, tail, {"filter.mode=0"}, "Configuration file invalid. (" + tail + ": bytes beyond the configuration)"},
      {add, full, {"--list", "event", "--name", "one more"}, "The event list already holds 20 definitions."},
      {add, cfg_, {"--list", "event", "--name", "x", "--type", "RP_DAT", "--field", "0:8:=:2"},
       "--field '0:8:=:2': The starting position of the bit field overlaps the control byte."},
      {add, cfg_, {"--list", "event", "--name", "x", "--field", "8:12:=:7:hex:signed"}, "can be signed"},
      {add, cfg_, {"--list", "event", "--name", "x", "--field", "8:8:=>:7"}, "'=>' is not an operation"},
      {add, cfg_, {"--list", "event", "--name", "x", "--field", "8:8:=:7:oct"}, "'oct' is not a format"},
      {add, cfg_, {"--list", "event", "--name", "x", "--type", "ID_DAT", "--field", "32:16:=:1"},
       "--field '32:16:=:1': not added"},
      {add, cfg_, {"--list", "event", "--name", "x", "--type", "77"}, "--type: '77' is not a frame type"},
      {add, cfg_, {"--list", "event", "--name", "STATION 5"}, "This frame name already exists."},
      {add, cfg_, {"--list", "event", "--name", std::string(51, 'n')}, "at most 50 characters"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "com"}, "nothing chosen"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "station"}, "nothing chosen"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "unite", "--by-transmitter"},
       "--by-transmitter needs --source"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "com", "--station", "31"},
       "--station: '31' is not a whole number from 0 to 30"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "com", "--station", "3", "--odd"},
       "--odd is not an option of the com picker"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--field", "8:8:=:1", "--station", "3"},
       "--station is an option of --picker"},
      {add, cfg_, {"--list", "trigger", "--name", "x", "--picker", "telegram", "--destination", "3"},
       "--destination needs --no-arbitrator-filter"},
      {"remove", cfg_, {"--list", "filter", "--name", "Station 5"}, "No filter definition has this name."},
  };
  for (const Case& c : cases) {
    const std::string before = slurp(c.file);
    const auto r = run_cli(edit(c.sub, c.file, c.args));
    EXPECT_EQ(r.status, 1) << c.message;
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(slurp(c.file), before) << c.message;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.file("")), {}), 3) << "a temporary was left";
}

TEST_F(CliConfigEdit, DefinitionsReadBackAndRemoveShiftsTheList) {
  ASSERT_EQ(run_cli(edit("add", cfg_, {"--list", "filter", "--name", "first"})).status, 0);
  const auto r = run_cli(edit("add", cfg_,
                              {"--list", "filter", "--name", "Values", "--type", "05", "--id", "1A2", "--no-dissociate-rp",
                               "--field", "8:16:>=:8000", "--field", "24:8:=:-2:dec:signed:lsb", "--field",
                               "8:32:<:1.5:float", "--field", "40:4:!=:1010:bin", "--yes"}));
  ASSERT_EQ(r.status, 0) << r.err;
  // The last field lies beyond an ID_MSG: asked, and answered Yes.
  EXPECT_NE(r.err.find("exceeds the maximum length of the frame"), std::string::npos);
  EXPECT_NE(r.err.find("answered Yes by --yes"), std::string::npos);
  const std::string p = "filter[1].";
  expect_fields(cfg_,
                {{"filter.count", "2"}, {p + "name", "Values"}, {p + "frame_type", "5"}, {p + "identifier", "418"},
                 {p + "do_not_dissociate_rp", "1"}, {p + "in_use", "1"}, {p + "byte_order", "2"},
                 {p + "fields.count", "4"},
                 {p + "fields[0].operation", "9"}, {p + "fields[0].value", "32768"}, {p + "fields[0].interpretation", "1"},
                 {p + "fields[1].value", "18446744073709551614"}, {p + "fields[1].signed", "1"},
                 {p + "fields[1].order", "1"}, {p + "fields[1].interpretation", "2"},
                 {p + "fields[2].length", "32"}, {p + "fields[2].value", "1069547520"}, {p + "fields[2].operation", "6"},
                 {p + "fields[3].position", "40"}, {p + "fields[3].value", "10"}, {p + "fields[3].interpretation", "0"}},
                "add");

  ASSERT_EQ(run_cli(edit("remove", cfg_, {"--list", "filter", "--name", "FIRST"})).status, 0);
  const Champs lus = show(cfg_);
  EXPECT_EQ(lus.at("filter.count"), "1");
  EXPECT_EQ(lus.at("filter[0].name"), "Values");
  EXPECT_EQ(lus.at("filter[0].fields.count"), "4");
  EXPECT_EQ(lus.count("filter[1].name"), 0u);
}

TEST_F(CliConfigEdit, AFileSavedWithoutIdentifiersKeepsItsForm) {
  const std::string cfg = dir_.file("after.cfg");
  ASSERT_EQ(run_cli({"config", "new", "--after-capture", "-o", cfg}).status, 0);
  ASSERT_EQ(run_cli(edit("add", cfg, {"--after-capture", "--list", "event", "--name", "a", "--field", "8:8:=:1"})).status, 0);
  const auto size = std::filesystem::file_size(cfg);
  // Read without the flag, the file's own form decides.
  ASSERT_EQ(run_cli(edit("set", cfg, {"filter.mode=0"})).status, 0);
  EXPECT_EQ(std::filesystem::file_size(cfg), size);
  const auto id = run_cli(edit("add", cfg, {"--list", "event", "--name", "b", "--id", "12"}));
  EXPECT_EQ(id.status, 1);
  EXPECT_NE(id.err.find("saved without definition identifiers"), std::string::npos);
  EXPECT_EQ(lit_json(run_cli({"config", "show", "--after-capture", cfg, "--json"}).out).at("events[0].name"), "a");
}

// Each picker's conditions as the definition editor's pickers lay them out: operation "=",
// hexadecimal, unsigned, most significant byte first.
TEST_F(CliConfigEdit, PickersWriteTheirConditions) {
  struct Condition {
    int position, length;
    uint64_t value;
  };
  struct Case {
    std::vector<std::string> args;
    int type, identifier, dissociate;
    std::vector<Condition> conditions;
  } const cases[] = {
      {{"--picker", "unite", "--request", "READ_CPU", "--source", "3", "--even"}, 0x14, 0x4F50, 0,
       {{0, 8, 0x14}, {8, 8, 0x09}, {32, 8, 0x09}, {40, 8, 3}, {56, 8, 0xF1}, {96, 8, 0x09}, {112, 8, 0x4F}}},
      {{"--picker", "unite", "--request", "4f", "--source", "3", "--report"}, 0x14, 0x4F50, 0,
       {{0, 8, 0x14}, {8, 8, 0x09}, {32, 8, 0x09}, {40, 8, 3}, {56, 8, 0xF1}, {96, 8, 0x19}, {112, 8, 0x7F}}},
      {{"--picker", "unite", "--destination", "12", "--odd", "--no-service"}, 0x94, 0x50, 0,
       {{0, 8, 0x94}, {8, 8, 0x09}, {16, 8, 12}, {32, 8, 0x09}, {56, 8, 0xF1}}},
      {{"--picker", "unite", "--by-transmitter", "--source", "7"}, 0x05, 0x50, 1, {{0, 8, 0x05}, {8, 16, 7}}},
      {{"--picker", "com", "--station", "30"}, 0x03, 0x50, 1, {{0, 8, 0x03}, {8, 16, 30}}},
      {{"--picker", "telegram", "--source", "2"}, 0x05, 0x51, 1, {{0, 8, 0x05}, {8, 16, 0x0D02}}},
      {{"--picker", "telegram", "--no-arbitrator-filter", "--source", "2", "--destination", "9", "--odd"}, 0x94, 0x51, 0,
       {{0, 8, 0x94}, {8, 8, 0x0D}, {16, 8, 9}, {32, 8, 0x0D}, {40, 8, 2}, {56, 8, 0xF5}}},
      {{"--picker", "station", "--station", "5", "--identification"}, 0x03, 0x50, 1, {{0, 8, 0x03}, {8, 16, 0x1005}}},
      {{"--picker", "station", "--station", "63"}, 0x03, 0x50, 1, {{0, 8, 0x03}, {8, 16, 0x143F}}},
  };
  const std::string defaults = slurp(cfg_);
  for (const Case& c : cases) {
    const std::string label = c.args[1] + " " + c.args[2];
    std::ofstream(cfg_, std::ios::binary | std::ios::trunc) << defaults;
    std::vector<std::string> args = {"--list", "filter", "--name", "picked"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = run_cli(edit("add", cfg_, args));
    ASSERT_EQ(r.status, 0) << label << ": " << r.err;
    Champs expected = {{"filter[0].frame_type", std::to_string(c.type)},
                       {"filter[0].identifier", std::to_string(c.identifier)},
                       {"filter[0].do_not_dissociate_rp", std::to_string(c.dissociate)},
                       {"filter[0].fields.count", std::to_string(c.conditions.size())}};
    for (size_t i = 0; i < c.conditions.size(); ++i) {
      const std::string q = "filter[0].fields[" + std::to_string(i) + "].";
      expected[q + "position"] = std::to_string(c.conditions[i].position);
      expected[q + "length"] = std::to_string(c.conditions[i].length);
      expected[q + "value"] = std::to_string(c.conditions[i].value);
      expected[q + "operation"] = "5";
      expected[q + "interpretation"] = "1";
      expected[q + "signed"] = "0";
      expected[q + "order"] = "0";
    }
    expect_fields(cfg_, expected, label);
  }
}

}  // namespace
}  // namespace brv
