// brenvale-cli --version: the shared version text, a success without a subcommand, and a failure
// when it cannot be written.

#include <gtest/gtest.h>

#include "brv_core/about/version_text.h"
#include "cli/cli_run.h"

namespace brv {
namespace {

TEST(CliVersion, PrintsTheSharedTextAndSucceeds) {
  // Alone, or where a subcommand's options would go: the version wins over the missing subcommand.
  for (const auto& args : {std::vector<std::string>{"--version"}, std::vector<std::string>{"stats", "--version"}}) {
    SCOPED_TRACE(args.front());
    const test::CliResult r = test::run_cli(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, TexteVersion("brenvale-cli") + "\n");
    EXPECT_EQ(r.err, "");
  }
}

TEST(CliVersion, AFullDiskIsAFailure) {
  const test::CliResult r = test::run_shell(test::quote(BRV_CLI_PATH) + " --version >/dev/full 2>/dev/null; echo $?");
  EXPECT_NE(r.out, "0\n");
}

}  // namespace
}  // namespace brv
