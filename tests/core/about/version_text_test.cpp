// The --version text of both programs: the program's version, then what the loaded libraries say.

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "brv_core/about/version_text.h"

namespace brv {
namespace {

TEST(VersionText, ProgramLineThenTheLibrariesLoaded) {
  const std::string t = TexteVersion("brenvale-cli");
  const size_t fin = t.find('\n');
  ASSERT_NE(fin, std::string::npos) << t;
  EXPECT_EQ(t.find('\n', fin + 1), std::string::npos) << "two lines, no final newline: " << t;

  EXPECT_TRUE(std::regex_match(VersionProgramme(), std::regex(R"(\d+\.\d+\.\d+)"))) << VersionProgramme();
  EXPECT_EQ(t.substr(0, fin), std::string("brenvale-cli ") + VersionProgramme());
  // Every library answers with a real version, not an empty text.
  const std::string bibliotheques = t.substr(fin + 1);
  EXPECT_TRUE(std::regex_match(
      bibliotheques,
      std::regex(R"(Vandrel \d+\.\d+\.\d+, Kestrin \d+\.\d+\.\d+, libftdi1 \d+\.\d+\S*, libusb \d+\.\d+\.\d+)")))
      << bibliotheques;
  // The engine and the card link are built with the program: one version for all three.
  const std::string v = VersionProgramme();
  EXPECT_EQ(bibliotheques.rfind("Vandrel " + v + ", Kestrin " + v + ",", 0), 0u) << bibliotheques;
}

}  // namespace
}  // namespace brv
