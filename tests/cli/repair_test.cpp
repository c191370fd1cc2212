// repair: what it tells and leaves behind for each kind of capture it is given.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <brv_platform/endian.h>

#include "cli/capture_truth.h"
#include "cli/cli_run.h"

namespace brv {
namespace {

using test::run_cli;

void spit(const std::string& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// The header as the engine wrote it at the start: state 1, no data length.
std::string with_start_header(std::string capture) {
  platform::store_le32(reinterpret_cast<uint8_t*>(capture.data()) + 4, 1);
  platform::store_le64(reinterpret_cast<uint8_t*>(capture.data()) + 40, 0);
  return capture;
}

TEST(CliRepair, TellsWhatItRecoveredOrWhyItCouldNot) {
  test::TempDir dir;
  const std::string whole_path = dir.file("whole.dat");
  ASSERT_EQ(run_cli({"synth", "-o", whole_path, "--frames", "500"}).status, 0);
  const std::string whole = test::read_text(whole_path);
  const std::string records_count = std::to_string(run_cli({"records", whole_path}).lines().size());

  struct Case {
    const char* name;
    std::string bytes;
    bool keep_exists;  // a FILE.orig is there already
    bool to_other;     // -o
    int status;
    std::string said;  // on stdout when 0, on stderr otherwise
    bool changed;      // the input is rewritten
  } const cases[] = {
      {"interrupted", with_start_header(whole), false, false, 0, records_count + " records, ", true},
      {"interrupted, written elsewhere", with_start_header(whole), false, true, 0, "The capture was repaired: ", false},
      {"original kept already", with_start_header(whole), true, false, 1, ".orig exists already", false},
      {"complete", whole, false, false, 0, "nothing to repair", false},
      {"header alone", with_start_header(whole.substr(0, 88)), false, false, 1, "nothing can be recovered", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file("c.dat"), other = dir.file("other.dat");
    std::filesystem::remove(path + ".orig");
    std::filesystem::remove(other);
    spit(path, c.bytes);
    if (c.keep_exists) spit(path + ".orig", "mine");
    std::vector<std::string> args = {"repair", path};
    if (c.to_other) args.insert(args.end(), {"-o", other});
    const auto r = run_cli(args);
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE((c.status == 0 ? r.out : r.err).find(c.said), std::string::npos) << r.out << r.err;
    EXPECT_EQ(test::read_text(path) != c.bytes, c.changed);
    EXPECT_EQ(std::filesystem::exists(path + ".orig"), c.changed || c.keep_exists);
    if (c.changed || c.keep_exists) {
      EXPECT_EQ(test::read_text(path + ".orig"), c.keep_exists ? std::string("mine") : c.bytes);
    }
    const std::string& repaired = c.to_other ? other : path;
    if (c.status == 0 && (c.changed || c.to_other)) {
      EXPECT_EQ(run_cli({"records", repaired}).status, 0);
      EXPECT_EQ(run_cli({"repair", repaired}).out, "The acquisition file is complete: there is nothing to repair.\n");
    }
  }
}

}  // namespace
}  // namespace brv
