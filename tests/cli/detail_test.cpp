// detail: the report page of one row of a synthetic capture, with the user data's names.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "cli/cli_run.h"

namespace brv {
namespace {

using test::run_cli;

TEST(CliDetail, WritesThePageOfARowAndRefusesARowBeyondTheList) {
  test::TempDir dir;
  const std::string dat = dir.file("a.dat");
  const std::string csv = dir.file("plant.csv");
  const std::string html = dir.file("row1.html");
  ASSERT_EQ(run_cli({"synth", "-o", dat, "--frames", "200"}).status, 0);
  std::ofstream(csv) << "Pump speed;ID;3!2;0x0100;;;\nFirst byte;FIELD;3!2;0x0100;;;8;8;HEXA;;\n";

  // Row 1 is the RP_DAT answering ID_DAT 0100 of row 0: its bit field is named.
  const auto r = run_cli({"detail", dat, "1", "--userdata", csv, "-o", html});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, html + "\n");
  std::ifstream in(html);
  const std::string page((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(page.find("<B>Frame type :</B> RP_DAT<BR>"), std::string::npos) << page;
  EXPECT_NE(page.find("<font color=\"blue\"><B>First byte</B> =</font> 40 (h)<BR>"), std::string::npos) << page;
  EXPECT_TRUE(page.ends_with("\n\n</HTML>"));

  const auto beyond = run_cli({"detail", dat, "200", "-o", html});
  EXPECT_EQ(beyond.status, 1);
  EXPECT_NE(beyond.err.find("Row 200 is beyond the last row of the list (200 rows)."), std::string::npos) << beyond.err;
  EXPECT_EQ(run_cli({"detail", dat, "1", "-o", dir.file("no/dir/p.html")}).status, 1);
}

}  // namespace
}  // namespace brv
